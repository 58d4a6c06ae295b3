// Linked into the static scrivlet.cgi only.  libfcgi can open a TCP socket
// by host name (FCGX_OpenSocket), and so refers to gethostbyname, which a
// static program can take from glibc only by loading its shared name
// service modules at run time (the linker warns about it).  The program
// never opens a socket of its own: a FastCGI worker answers on the
// listening socket it inherits as standard input.  This definition stands
// in for glibc's, so that nothing of the name service is linked.
#include <netdb.h>

extern "C" struct hostent* gethostbyname(const char*) {
  h_errno = NO_RECOVERY;
  return nullptr;
}
