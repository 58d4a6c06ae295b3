#include "frontend/PageService.h"

namespace scrivlet {

PageService::PageService(std::string configFileName, int codePage)
    : FConfigs(std::move(configFileName)), FCodePage(codePage) {}

std::string PageService::Answer(const std::vector<std::string>& environment, std::string_view body,
                                const RequestWatchdog::Expiry& expired) {
  const PageConfig& config = FConfigs.Current();
  CgiRequest request = ReadRequest(environment, body);
  std::string timeLimitPage = TimeLimitPage(request, config, FCodePage);
  FWatchdog.Arm(config.timeLimit, timeLimitPage, expired);
  std::string page = Respond(request, config, FCodePage);
  if (!FWatchdog.Disarm())
    return timeLimitPage;
  return page;
}

} // namespace scrivlet
