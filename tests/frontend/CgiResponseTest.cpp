// The request-to-response path both front ends share: the body to read,
// the time limit of the configuration, and the pages of failures that
// happen outside a conversion.
#include "frontend/CgiPage.h"
#include "frontend/PageService.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Post(const std::string& length, const std::string& type) {
  return {"REQUEST_METHOD=POST", "CONTENT_LENGTH=" + length, "CONTENT_TYPE=" + type,
          "QUERY_STRING=filename=q.pdf"};
}

TEST(RequestBody, OnlyAFormPostWithinTheLimitIsRead) {
  constexpr const char* kForm = "application/x-www-form-urlencoded";
  EXPECT_EQ(RequestBodyLength(Post("12", kForm)), 12u);
  EXPECT_EQ(RequestBodyLength(Post(std::to_string(kMaxRequestBody), kForm)), kMaxRequestBody);
  EXPECT_EQ(RequestBodyLength(Post(std::to_string(kMaxRequestBody + 1), kForm)), 0u);
  EXPECT_EQ(RequestBodyLength(Post("99999999999999999999", kForm)), 0u);
  EXPECT_EQ(RequestBodyLength(Post("12", "multipart/form-data")), 0u);
  EXPECT_EQ(RequestBodyLength(
                {"REQUEST_METHOD=GET", "CONTENT_LENGTH=12", std::string("CONTENT_TYPE=") + kForm}),
            0u);
  EXPECT_EQ(RequestBodyLength({}), 0u);
}

TEST(RequestBody, TheBodyIsTakenUpToItsAnnouncedLength) {
  const std::string form = "filename=a.pdf&password=pw";
  CgiRequest request =
      ReadRequest(Post(std::to_string(form.size()), "application/x-www-form-urlencoded"),
                  form + "&password=beyond");
  EXPECT_EQ(request.fileName, "a.pdf");
  EXPECT_EQ(request.password, "pw");
  // A shorter body than announced (the client went away) is taken as is.
  request = ReadRequest(Post("500", "application/x-www-form-urlencoded"), "password=x");
  EXPECT_EQ(request.password, "x");
  EXPECT_EQ(request.fileName, "q.pdf");
  EXPECT_TRUE(ReadRequest(Post("70000", "application/x-www-form-urlencoded"), "").tooLarge);
}

TEST(TimeLimit, SecondsWithAFractionToTheMillisecond) {
  EXPECT_EQ(ParseTimeLimit("30"), 30000ms);
  EXPECT_EQ(ParseTimeLimit(" 2.5 "), 2500ms);
  EXPECT_EQ(ParseTimeLimit("0.05"), 50ms);
  EXPECT_EQ(ParseTimeLimit(".25"), 250ms);
  EXPECT_EQ(ParseTimeLimit("1.23456"), 1234ms);
  EXPECT_EQ(ParseTimeLimit("86400"), 86400000ms);
  for (std::string_view refused :
       {"", "0", "0.0001", "-1", "1e3", "30s", "1.2.3", ".", "86401", "99999999999999999999999999"})
    EXPECT_FALSE(ParseTimeLimit(refused).has_value()) << refused;
}

TEST(TimeLimit, TheConfigurationSetsItAndKeepsTheDefaultOtherwise) {
  test::TempDir dir;
  EXPECT_EQ(ReadPageConfig(dir.Write("a.cfg", "[TimeLimit]\n4\n")).timeLimit, 4000ms);
  EXPECT_EQ(ReadPageConfig(dir.Write("b.cfg", "[TimeLimit]\nsoon\n")).timeLimit, kDefaultTimeLimit);
  EXPECT_EQ(ReadPageConfig(dir.Write("c.cfg", "[Head]\n<x>\n")).timeLimit, kDefaultTimeLimit);
  EXPECT_EQ(kDefaultTimeLimit, 30s);
}

TEST(RequestTimeout, TheConfigurationSetsItAsTimeLimitIsSet) {
  test::TempDir dir;
  const struct {
    const char* text;
    std::chrono::milliseconds timeout;
  } cases[] = {
      {"[RequestTimeout]\n4\n", 4000ms},
      {"[RequestTimeout]\n 0.25 \n", 250ms},
      {"[RequestTimeout]\nsoon\n", kDefaultRequestTimeout},
      {"[RequestTimeout]\n0\n", kDefaultRequestTimeout},
      {"[TimeLimit]\n4\n", kDefaultRequestTimeout},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadPageConfig(dir.Write("a.cfg", c.text)).requestTimeout, c.timeout) << c.text;
  EXPECT_EQ(kDefaultRequestTimeout, 10s);
}

TEST(TimeLimit, ItsPageSaysSoWithItsOwnStatusInBothLayouts) {
  CgiRequest request;
  request.fileName = "big.docx";
  PageConfig config;
  config.timeLimit = 2500ms;
  std::string classic = TimeLimitPage(request, config);
  EXPECT_EQ(classic.rfind("Status: 503 Service Unavailable\r\nContent-Type: text/html", 0), 0u);
  EXPECT_NE(classic.find("The conversion took longer than the limit of 2.5 s"), std::string::npos);
  EXPECT_NE(classic.find("<title>big.docx</title>"), std::string::npos);
  config.layout = PageLayout::Document;
  config.timeLimit = 30s;
  std::string document = TimeLimitPage(request, config);
  EXPECT_EQ(document.rfind("Status: 503 Service Unavailable\r\n", 0), 0u);
  EXPECT_NE(document.find("<h1>The conversion took longer than the limit of 30 s</h1>"),
            std::string::npos);
}

TEST(PageServiceAnswer, IsTheRenderedPageOfTheRequest) {
  test::TempDir docs, bin;
  docs.Write("letter.wri", test::SampleWriteLetter());
  std::string configFile = bin.Write("scrivlet.cfg", "[DocumentRoot]\n" + docs.Path() + "\n");
  PageService service(configFile, 65001);
  bool expired = false;
  auto onExpiry = [&](const std::string&) { expired = true; };
  for (const std::string query : {"filename=letter.wri", "filename=none.doc", ""}) {
    std::vector<std::string> environment{"QUERY_STRING=" + query};
    CgiRequest request = ReadRequest(environment, std::string_view());
    PageConfig config = ReadPageConfig(configFile);
    EXPECT_EQ(service.Answer(environment, "", onExpiry),
              RenderPage(request, config, ConvertForPage(request, config)))
        << query;
  }
  EXPECT_FALSE(expired);
}

} // namespace
} // namespace scrivlet
