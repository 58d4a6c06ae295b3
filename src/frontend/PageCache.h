// The pages a resident worker has made, kept for the next request that
// asks for the same page of the same file: a site's visitors open the same
// documents again and again.  A page is found again only when everything it
// came from is the same: the name as the request wrote it and the first
// page switch, the file itself as it was opened for the request (device,
// inode, size, modification and change times to the nanosecond), the configuration's version and
// the host's code page.  Password requests and answers with a status of their own (404, 403, 413,
// 500, 503) are never kept.  The pages held are bounded in bytes; the least recently used go first.
#pragma once

#include "frontend/CgiPage.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

namespace scrivlet {

class PageCache {
public:
  explicit PageCache(size_t capacityBytes = 0) : FCapacity(capacityBytes) {}

  // The key of a request's page, or nothing when its page may not be kept
  // (a password, a body refused, no file of that name).  The file is the
  // one opened for the request: its fstat names it.
  static std::optional<std::string> KeyOf(const CgiRequest& request, const RequestedFile& file,
                                          uint64_t configVersion, int codePage);
  // The same with the file opened here, as the request would open it now.
  static std::optional<std::string> KeyOf(const CgiRequest& request, const PageConfig& config,
                                          uint64_t configVersion, int codePage);

  // The page kept under key, or nullptr.
  const std::string* Find(const std::string& key);
  // Keeps a page that went out as a plain 200 answer, if it fits.
  void Store(const std::string& key, const std::string& page);
  // The bytes the pages may take; fewer drops the oldest at once.
  void SetCapacity(size_t bytes);
  size_t Size() const { return FBytes; }
  size_t Count() const { return FPages.size(); }

private:
  struct Entry {
    std::string key, page;
  };
  void Trim();

  size_t FCapacity;
  size_t FBytes = 0;
  std::list<Entry> FPages; // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> FIndex;
};

} // namespace scrivlet
