// scrivlet.cgi started once per request by the web server (plain CGI).
#pragma once

namespace scrivlet {

// Reads the request from the environment and standard input, writes the
// response to standard output.  Returns the exit code.
int RunCgi();

} // namespace scrivlet
