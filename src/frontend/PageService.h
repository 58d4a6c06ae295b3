// What the CGI and the FastCGI front end share: one request's environment
// entries and body in, the response's bytes out, under the site's
// configuration and the request's time limit.  Both modes answer through
// it, so that the same request gets the same bytes either way.
#pragma once

#include "frontend/CgiPage.h"
#include "frontend/PageCache.h"
#include "frontend/PageConfigCache.h"
#include "frontend/RequestWatchdog.h"

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class PageService {
public:
  // The configuration file (re-read when it changes) and the host's code
  // page.  keepPages: a resident worker keeps the pages it made (see
  // PageCache); a CGI, which answers once, does not.
  PageService(std::string configFileName, int codePage, bool keepPages = false);

  // Bytes of the request body to read before Answer: see RequestBodyLength.
  static size_t BodyLength(const std::vector<std::string>& environment) {
    return RequestBodyLength(environment);
  }

  // The response to one request.  Each request starts from nothing but the
  // configuration: its options and limits are made afresh.  When the
  // conversion runs past the configured time limit, `expired` answers with
  // the time-limit page instead (see RequestWatchdog), and this returns
  // only where the expiry does not end the process, with that same page.
  std::string Answer(const std::vector<std::string>& environment, std::string_view body,
                     const RequestWatchdog::Expiry& expired);

  // How long a client may take to send one request (the configuration as
  // it now stands).
  std::chrono::milliseconds RequestTimeout() { return FConfigs.Current().requestTimeout; }

private:
  std::string Convert(const CgiRequest& request, const PageConfig& config,
                      const RequestedFile& file, const RequestWatchdog::Expiry& expired);

  PageConfigCache FConfigs;
  int FCodePage;
  bool FKeepPages;
  PageCache FPages;
  RequestWatchdog FWatchdog;
};

} // namespace scrivlet
