#include "frontend/CgiProgram.h"
#include "frontend/FastCgiServer.h"

// One program, two modes: a resident FastCGI worker when the web server
// hands it a listening socket as standard input, a CGI run for one request
// otherwise.
int main() {
  return scrivlet::StartedAsFastCgi() ? scrivlet::RunFastCgi() : scrivlet::RunCgi();
}
