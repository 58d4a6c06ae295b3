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

class RequestDeadline;

// Reads one accepted request's body, answers it and finishes it, with the
// client's time (RequestTimeout) running from its acceptance: a body not
// all there when it runs out drops the client unanswered, and so does an
// answer the client does not take within the same time.  A failure to
// answer (out of memory, say) is answered with a plain error response; the
// worker goes on either way.
void AnswerFastCgiRequest(FCGX_Request& request, PageService& service, RequestDeadline& deadline);

// Accepts and answers requests on standard input's socket until the web
// server closes it or stops the worker (SIGTERM, SIGUSR1: the request under
// way is answered first).  Returns the exit code.
int RunFastCgi();

} // namespace scrivlet
