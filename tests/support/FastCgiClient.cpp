#include "support/FastCgiClient.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace scrivlet::test {
namespace {

enum RecordType : uint8_t {
  BeginRequest = 1,
  EndRequest = 3,
  Params = 4,
  Stdin = 5,
  Stdout = 6,
};

std::string Record(RecordType type, uint16_t requestId, std::string_view content) {
  std::string record;
  record += static_cast<char>(1); // version
  record += static_cast<char>(type);
  record += static_cast<char>(requestId >> 8);
  record += static_cast<char>(requestId & 0xFF);
  record += static_cast<char>(content.size() >> 8);
  record += static_cast<char>(content.size() & 0xFF);
  record += '\0'; // no padding
  record += '\0'; // reserved
  record += content;
  return record;
}

// Content split into records of at most 65,535 bytes, then the empty
// record that ends the stream.
std::string Stream(RecordType type, uint16_t requestId, std::string_view content) {
  std::string records;
  while (!content.empty()) {
    size_t chunk = std::min<size_t>(content.size(), 0xFFFF);
    records += Record(type, requestId, content.substr(0, chunk));
    content.remove_prefix(chunk);
  }
  return records + Record(type, requestId, {});
}

std::string Length(size_t length) {
  if (length < 0x80)
    return std::string(1, static_cast<char>(length));
  std::string bytes;
  bytes += static_cast<char>(0x80 | ((length >> 24) & 0x7F));
  bytes += static_cast<char>((length >> 16) & 0xFF);
  bytes += static_cast<char>((length >> 8) & 0xFF);
  bytes += static_cast<char>(length & 0xFF);
  return bytes;
}

int ConnectTo(const std::string& path) {
  int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  if (socket >= 0 && ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
    return socket;
  if (socket >= 0)
    ::close(socket);
  return -1;
}

} // namespace

std::string FastCgiNameValue(std::string_view name, std::string_view value) {
  return Length(name.size()) + Length(value.size()) + std::string(name) + std::string(value);
}

std::string FastCgiRawRequestRecords(uint16_t requestId, std::string_view paramsContent,
                                     std::string_view body) {
  // Role 1 (responder), flags 0: the worker closes the connection after
  // the response.
  std::string begin{0, 1, 0, 0, 0, 0, 0, 0};
  return Record(BeginRequest, requestId, begin) + Stream(Params, requestId, paramsContent) +
         Stream(Stdin, requestId, body);
}

std::string FastCgiRequestRecords(uint16_t requestId, const FastCgiParams& params,
                                  std::string_view body) {
  std::string content;
  for (const auto& [name, value] : params)
    content += FastCgiNameValue(name, value);
  return FastCgiRawRequestRecords(requestId, content, body);
}

FastCgiResponse ParseFastCgiResponse(std::string_view records) {
  FastCgiResponse response;
  while (records.size() >= 8) {
    auto type = static_cast<uint8_t>(records[1]);
    size_t length = static_cast<uint8_t>(records[4]) * 256u + static_cast<uint8_t>(records[5]);
    size_t padding = static_cast<uint8_t>(records[6]);
    if (records.size() < 8 + length + padding)
      break;
    if (type == Stdout)
      response.out.append(records.substr(8, length));
    else if (type == EndRequest)
      response.ended = true;
    records.remove_prefix(8 + length + padding);
  }
  return response;
}

int ConnectToFastCgi(const std::string& socketPath) {
  return ConnectTo(socketPath);
}

FastCgiResponse ExchangeFastCgi(const std::string& socketPath, const std::string& records) {
  return ExchangeOnConnection(ConnectTo(socketPath), records);
}

void SetReceiveTimeout(int connection, int milliseconds) {
  timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
  ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

FastCgiResponse ExchangeOnConnection(int socket, const std::string& records,
                                     int timeoutMilliseconds) {
  if (socket < 0)
    return {};
  if (timeoutMilliseconds > 0)
    SetReceiveTimeout(socket, timeoutMilliseconds);
  // The worker may answer before it has read everything (a body it
  // refuses): writing on a thread of its own never blocks the reading.
  std::thread writer([socket, &records] {
    size_t done = 0;
    while (done < records.size()) {
      ssize_t n = ::send(socket, records.data() + done, records.size() - done, MSG_NOSIGNAL);
      if (n <= 0)
        break;
      done += static_cast<size_t>(n);
    }
  });
  std::string answer;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(socket, buffer, sizeof(buffer));
    if (n <= 0)
      break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::shutdown(socket, SHUT_RDWR);
  writer.join();
  ::close(socket);
  return ParseFastCgiResponse(answer);
}

FastCgiWorker::FastCgiWorker(const std::string& program, const std::string& directory,
                             const std::string& socketPath,
                             const std::vector<std::string>& environment)
    : FSocketPath(socketPath) {
  int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
  ::unlink(socketPath.c_str());
  if (listener < 0 ||
      ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener, 16) != 0) {
    if (listener >= 0)
      ::close(listener);
    return;
  }
  std::vector<std::string> envCopy = environment;
  std::vector<char*> envp;
  for (auto& entry : envCopy)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  FPid = ::fork();
  if (FPid == 0) {
    ::dup2(listener, 0);
    int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    ::dup2(devNull, 2);
    if (::chdir(directory.c_str()) != 0)
      ::_exit(126);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execve(program.c_str(), argv, envp.data());
    ::_exit(127);
  }
  ::close(listener);
}

FastCgiWorker::~FastCgiWorker() {
  if (FPid > 0) {
    ::kill(FPid, SIGTERM);
    ::waitpid(FPid, nullptr, 0);
  }
  ::unlink(FSocketPath.c_str());
}

FastCgiResponse FastCgiWorker::Request(const FastCgiParams& params, std::string_view body) const {
  return ExchangeFastCgi(FSocketPath, FastCgiRequestRecords(1, params, body));
}

int FastCgiWorker::WaitForExit(int milliseconds) {
  for (int waited = 0; FPid > 0 && waited <= milliseconds; waited += 10) {
    int status = 0;
    if (::waitpid(FPid, &status, WNOHANG) == FPid) {
      FPid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::usleep(10000);
  }
  return -1;
}

} // namespace scrivlet::test
