// The configuration of a resident worker: read once, and again whenever the
// file on disk changes (another inode, size or modification time), so that
// a site's edit takes effect at the next request as it does for a CGI
// that starts afresh each time.
#pragma once

#include "frontend/CgiPage.h"

#include <cstdint>
#include <string>

namespace scrivlet {

class PageConfigCache {
public:
  explicit PageConfigCache(std::string fileName);

  // The configuration as the file now stands: an unreadable or missing
  // file gives the defaults (no site mark-up, no document root).
  const PageConfig& Current();
  // Counts the readings of the file: pages made under one version of the
  // configuration are not those of another.
  uint64_t Version() const { return FVersion; }

private:
  // What tells one version of the file from another.
  struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t seconds = 0, nanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
  };
  static FileStamp StampOf(const std::string& fileName);

  std::string FFileName;
  FileStamp FStamp;
  bool FLoaded = false;
  PageConfig FConfig;
  uint64_t FVersion = 0;
};

} // namespace scrivlet
