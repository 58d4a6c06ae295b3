#include "frontend/PageConfigCache.h"

#include <sys/stat.h>

namespace scrivlet {

PageConfigCache::PageConfigCache(std::string fileName) : FFileName(std::move(fileName)) {}

PageConfigCache::FileStamp PageConfigCache::StampOf(const std::string& fileName) {
  FileStamp stamp;
  struct stat status {};
  if (fileName.empty() || ::stat(fileName.c_str(), &status) != 0)
    return stamp;
  stamp.exists = true;
  stamp.device = static_cast<uint64_t>(status.st_dev);
  stamp.inode = static_cast<uint64_t>(status.st_ino);
  stamp.size = static_cast<uint64_t>(status.st_size);
  stamp.seconds = static_cast<int64_t>(status.st_mtim.tv_sec);
  stamp.nanoseconds = static_cast<int64_t>(status.st_mtim.tv_nsec);
  return stamp;
}

const PageConfig& PageConfigCache::Current() {
  FileStamp stamp = StampOf(FFileName);
  if (FLoaded && stamp == FStamp)
    return FConfig;
  try {
    FConfig = ReadPageConfig(FFileName);
  } catch (const std::exception&) {
    // An unreadable configuration file leaves the page without site mark-up.
    FConfig = PageConfig();
  }
  FStamp = stamp;
  FLoaded = true;
  ++FVersion;
  return FConfig;
}

} // namespace scrivlet
