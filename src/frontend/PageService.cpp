#include "frontend/PageService.h"

namespace scrivlet {

PageService::PageService(std::string configFileName, int codePage, bool keepPages)
    : FConfigs(std::move(configFileName)), FCodePage(codePage), FKeepPages(keepPages) {}

std::string PageService::Answer(const std::vector<std::string>& environment, std::string_view body,
                                const RequestWatchdog::Expiry& expired) {
  const PageConfig& config = FConfigs.Current();
  CgiRequest request = ReadRequest(environment, body);
  // The file is opened once: the page kept for it and the page made from
  // it are those of what was opened.
  RequestedFile file;
  if (NamesAFile(request))
    file = OpenRequestedFile(request.fileName, config.documentRoot);
  std::optional<std::string> key;
  if (FKeepPages) {
    FPages.SetCapacity(config.pageCacheBytes);
    if (config.pageCacheBytes > 0)
      key = PageCache::KeyOf(request, file, FConfigs.Version(), FCodePage);
    if (key)
      if (const std::string* page = FPages.Find(*key))
        return *page;
  }
  std::string page = Convert(request, config, file, expired);
  if (key)
    FPages.Store(*key, page);
  return page;
}

std::string PageService::Convert(const CgiRequest& request, const PageConfig& config,
                                 const RequestedFile& file,
                                 const RequestWatchdog::Expiry& expired) {
  std::string timeLimitPage = TimeLimitPage(request, config, FCodePage);
  FWatchdog.Arm(config.timeLimit, timeLimitPage, expired);
  std::string page = Respond(request, config, file, FCodePage);
  if (!FWatchdog.Disarm())
    return timeLimitPage;
  return page;
}

} // namespace scrivlet
