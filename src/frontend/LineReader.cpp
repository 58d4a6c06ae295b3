#include "frontend/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace scrivlet {

bool LineReader::HasLine() const {
  return FEnd || FBuffer.size() >= kMaxLine || FBuffer.find('\n') != std::string::npos;
}

bool LineReader::ReadOnce() {
  char chunk[65536];
  while (true) {
    ssize_t n = read(FFd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      FEnd = true;
      return false;
    }
    FBuffer.append(chunk, static_cast<size_t>(n));
    return true;
  }
}

std::optional<std::string> LineReader::Next() {
  while (!HasLine())
    ReadOnce();
  size_t end = FBuffer.find('\n');
  if (end == std::string::npos) {
    if (FBuffer.empty())
      return std::nullopt;
    end = std::min(FBuffer.size(), kMaxLine); // the last line, or a piece of an overlong one
    std::string line = FBuffer.substr(0, end);
    FBuffer.erase(0, end);
    return line;
  }
  std::string line = FBuffer.substr(0, end);
  FBuffer.erase(0, end + 1);
  return line;
}

int LineReader::WaitDescriptor() {
  while (!HasLine()) {
    pollfd ready{FFd, POLLIN, 0};
    int n = poll(&ready, 1, 0);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return n == 0 ? FFd : -1; // on a poll error, Next() finds out by reading
    ReadOnce();
  }
  return -1;
}

} // namespace scrivlet
