// scrivlet.cgi as a resident FastCGI worker: the web server (or spawn-fcgi,
// or systemd) starts it with a listening socket as its standard input, and
// it answers request after request through libfcgi with the pages the CGI
// writes.
#pragma once

#include "frontend/PageService.h"

struct FCGX_Request;

namespace scrivlet {

// Whether the process was started as a FastCGI application: its standard
// input is a listening socket.
bool StartedAsFastCgi();

// Reads one accepted request's parameters and body, answers it and
// finishes it.  A failure to answer (out of memory, say) is answered with
// a plain error response; the worker goes on either way.
void AnswerFastCgiRequest(FCGX_Request& request, PageService& service);

// Accepts and answers requests on standard input's socket until the web
// server closes it or stops the worker.  Returns the exit code.
int RunFastCgi();

} // namespace scrivlet
