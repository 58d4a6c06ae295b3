// Lines of a file descriptor (a pipe, a terminal, a file), read with a
// buffer of its own so that a caller can ask whether the next line is at
// hand before it asks for it: a batch that reads its list from a pipe keeps
// writing finished results while the next path is still to come.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace scrivlet {

class LineReader {
public:
  // A line longer than this without an LF is handed on in pieces of this
  // size: a list line is a path, and no path is that long.
  static constexpr size_t kMaxLine = 1 << 20;

  // Reads fd, which stays the caller's to close.
  explicit LineReader(int fd) : FFd(fd) {}

  // The next line without its LF; nothing at the end of the input.  Waits
  // until a whole line, or the end, has come.
  std::optional<std::string> Next();

  // -1 when Next() would answer at once; otherwise the descriptor to wait
  // on (poll for input) before asking again.  Takes in what is ready
  // without waiting.
  int WaitDescriptor();

private:
  bool HasLine() const;
  // One read(); false at the end of the input or on an error.
  bool ReadOnce();

  int FFd;
  std::string FBuffer;
  bool FEnd = false;
};

} // namespace scrivlet
