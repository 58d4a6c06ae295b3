#include "frontend/PageCache.h"

#include <sys/stat.h>

namespace scrivlet {
namespace {

void AppendField(std::string& key, std::string_view field) {
  key += field;
  key += '\0';
}

void AppendNumber(std::string& key, int64_t number) {
  AppendField(key, std::to_string(number));
}

// A page answered with a status of its own carries a Status line first.
bool IsPlainAnswer(const std::string& page) {
  return page.starts_with("Content-Type:");
}

} // namespace

std::optional<std::string> PageCache::KeyOf(const CgiRequest& request, const RequestedFile& file,
                                            uint64_t configVersion, int codePage) {
  if (!request.password.empty() || !NamesAFile(request) || file.outcome != BeneathOutcome::Opened)
    return std::nullopt;
  const struct stat& status = file.file.Status();
  std::string key;
  AppendField(key, request.fileName);
  AppendNumber(key, request.firstPage ? 1 : 0);
  AppendNumber(key, static_cast<int64_t>(configVersion));
  AppendNumber(key, codePage);
  for (int64_t part :
       {static_cast<int64_t>(status.st_dev), static_cast<int64_t>(status.st_ino),
        static_cast<int64_t>(status.st_size), static_cast<int64_t>(status.st_mtim.tv_sec),
        static_cast<int64_t>(status.st_mtim.tv_nsec), static_cast<int64_t>(status.st_ctim.tv_sec),
        static_cast<int64_t>(status.st_ctim.tv_nsec)})
    AppendNumber(key, part);
  return key;
}

std::optional<std::string> PageCache::KeyOf(const CgiRequest& request, const PageConfig& config,
                                            uint64_t configVersion, int codePage) {
  if (!NamesAFile(request))
    return std::nullopt;
  return KeyOf(request, OpenRequestedFile(request.fileName, config.documentRoot), configVersion,
               codePage);
}

const std::string* PageCache::Find(const std::string& key) {
  auto found = FIndex.find(key);
  if (found == FIndex.end())
    return nullptr;
  FPages.splice(FPages.begin(), FPages, found->second);
  return &found->second->page;
}

void PageCache::Store(const std::string& key, const std::string& page) {
  const size_t cost = key.size() + page.size();
  // A page larger than an eighth of the whole would push out many others.
  if (!IsPlainAnswer(page) || cost > FCapacity / 8 || FIndex.contains(key))
    return;
  FPages.push_front({key, page});
  FIndex.emplace(key, FPages.begin());
  FBytes += cost;
  Trim();
}

void PageCache::SetCapacity(size_t bytes) {
  FCapacity = bytes;
  Trim();
}

void PageCache::Trim() {
  while (FBytes > FCapacity && !FPages.empty()) {
    const Entry& oldest = FPages.back();
    FBytes -= oldest.key.size() + oldest.page.size();
    FIndex.erase(oldest.key);
    FPages.pop_back();
  }
}

} // namespace scrivlet
