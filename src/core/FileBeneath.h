// Opening a file that a client names, confined to a directory.  Checking a
// name and then opening it is a race: a symbolic link inside the directory
// may point inside when the name is checked and outside when it is opened.
// So the file is opened once and what was opened is checked: the kernel
// resolves the name beneath the directory (openat2 with RESOLVE_BENEATH),
// or, where that cannot be used (an older kernel, a system-call filter, a
// name that climbs out and back in, an absolute link that stays inside),
// the opened file's own path is looked up and compared with the
// directory's.  Everything after that (fstat, reading) uses the one
// descriptor.
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace scrivlet {

// An open file, closed at the end of its owner's life.
class OpenedFile {
public:
  OpenedFile() = default;
  OpenedFile(int descriptor, const struct stat& status);
  ~OpenedFile();
  OpenedFile(OpenedFile&& other) noexcept;
  OpenedFile& operator=(OpenedFile&& other) noexcept;
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  bool IsOpen() const { return FDescriptor >= 0; }
  // What fstat said of the file when it was opened.
  const struct stat& Status() const { return FStatus; }
  // The file's bytes: as many as its size was when it was opened (fewer
  // when it has shrunk since).  Raises ReadError when a read fails.
  std::string ReadAll() const;

private:
  void Close();

  int FDescriptor = -1;
  struct stat FStatus {};
};

enum class BeneathOutcome {
  Opened,     // a regular file beneath the directory
  Missing,    // no such file (or a component that is no directory, a loop)
  NotRegular, // beneath the directory, but a directory, a device, a pipe
  Outside,    // the name leads out of the directory
  Unreadable, // there, but it could not be opened (error says why)
};

struct BeneathFile {
  BeneathOutcome outcome = BeneathOutcome::Missing;
  OpenedFile file; // open when the outcome is Opened
  int error = 0;   // the errno of Unreadable
  // How the file was checked: by the kernel's resolution beneath the
  // directory, or by the opened file's path (the fallback).
  bool checkedByPath = false;
};

// Opens name (relative to directory, or absolute) for reading when the
// file it leads to lies beneath directory; an empty directory is the
// working directory.  Opening never waits on a pipe or device.
BeneathFile OpenFileBeneath(const std::string& directory, const std::string& name);

} // namespace scrivlet
