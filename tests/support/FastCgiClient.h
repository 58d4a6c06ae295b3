// The web server's side of FastCGI, for tests: the records of one request,
// the standard output of a response, and a worker program started with a
// listening socket as its standard input, as lighttpd or spawn-fcgi start it.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace scrivlet::test {

using FastCgiParams = std::vector<std::pair<std::string, std::string>>;

// The records of one responder request: BEGIN_REQUEST, the parameters as
// name-value pairs in PARAMS records, an empty PARAMS record, the body in
// STDIN records and an empty STDIN record.
std::string FastCgiRequestRecords(uint16_t requestId, const FastCgiParams& params,
                                  std::string_view body);

// The same, with the PARAMS content given as raw bytes (well-formed
// name-value pairs or not), split into records of at most 65,535 bytes.
std::string FastCgiRawRequestRecords(uint16_t requestId, std::string_view paramsContent,
                                     std::string_view body);

// One name-value pair as a PARAMS record carries it.
std::string FastCgiNameValue(std::string_view name, std::string_view value);

// What a response carries: its STDOUT bytes, and whether an END_REQUEST
// record closed it.
struct FastCgiResponse {
  std::string out;
  bool ended = false;
};
FastCgiResponse ParseFastCgiResponse(std::string_view records);

// Sends the records on a new connection to the Unix socket at `path` and
// reads the answer until the worker closes the connection.
FastCgiResponse ExchangeFastCgi(const std::string& socketPath, const std::string& records);

// A connection to the Unix socket at `path` (-1 when refused), and the same
// exchange on it (the connection is closed afterwards).  With a timeout,
// the reading stops when the worker has sent nothing for that long.
int ConnectToFastCgi(const std::string& socketPath);
FastCgiResponse ExchangeOnConnection(int connection, const std::string& records,
                                     int timeoutMilliseconds = -1);

// Makes reads on a connection give up after the given silence.
void SetReceiveTimeout(int connection, int milliseconds);

// A worker: the program started in `directory` with a listening Unix socket
// (socketPath) as standard input and the environment given.  Ended with
// SIGTERM by the destructor unless it has ended already.
class FastCgiWorker {
public:
  FastCgiWorker(const std::string& program, const std::string& directory,
                const std::string& socketPath, const std::vector<std::string>& environment);
  ~FastCgiWorker();
  FastCgiWorker(const FastCgiWorker&) = delete;
  FastCgiWorker& operator=(const FastCgiWorker&) = delete;

  bool Started() const { return FPid > 0; }
  FastCgiResponse Request(const FastCgiParams& params, std::string_view body = {}) const;
  // Waits up to `milliseconds` for the worker to end; its exit status, or
  // -1 when it still runs or did not exit normally.
  int WaitForExit(int milliseconds);

private:
  std::string FSocketPath;
  pid_t FPid = -1;
};

} // namespace scrivlet::test
