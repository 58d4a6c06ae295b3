#include "frontend/PageService.h"

namespace scrivlet {

PageService::PageService(std::string configFileName, int codePage, bool keepPages)
    : FConfigs(std::move(configFileName)), FCodePage(codePage), FKeepPages(keepPages) {}

std::string PageService::Answer(const std::vector<std::string>& environment, std::string_view body,
                                const RequestWatchdog::Expiry& expired) {
  const PageConfig& config = FConfigs.Current();
  CgiRequest request = ReadRequest(environment, body);
  std::optional<std::string> key;
  if (FKeepPages) {
    FPages.SetCapacity(config.pageCacheBytes);
    if (config.pageCacheBytes > 0)
      key = PageCache::KeyOf(request, config, FConfigs.Version(), FCodePage);
    if (key)
      if (const std::string* page = FPages.Find(*key))
        return *page;
  }
  std::string page = Convert(request, config, expired);
  if (key)
    FPages.Store(*key, page);
  return page;
}

std::string PageService::Convert(const CgiRequest& request, const PageConfig& config,
                                 const RequestWatchdog::Expiry& expired) {
  std::string timeLimitPage = TimeLimitPage(request, config, FCodePage);
  FWatchdog.Arm(config.timeLimit, timeLimitPage, expired);
  std::string page = Respond(request, config, FCodePage);
  if (!FWatchdog.Disarm())
    return timeLimitPage;
  return page;
}

} // namespace scrivlet
