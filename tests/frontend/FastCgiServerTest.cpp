// scrivlet.cgi as a FastCGI worker, spoken to as a web server speaks to it:
// a listening socket as its standard input, FastCGI records on each
// connection.  Each response must be the bytes the same request gets from
// the program run as a CGI.
#include "support/ChildProcess.h"
#include "support/DocxBuilder.h"
#include "support/FastCgiClient.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace scrivlet {
namespace {

using test::FastCgiParams;
using test::FastCgiWorker;
using test::TempDir;

// A site: the program with its configuration in one folder, the documents
// in another.
class FastCgiSite : public ::testing::Test {
protected:
  void SetUp() override {
    FProgram = FBin.File("scrivlet.cgi");
    std::filesystem::copy_file(SCRIVLET_CGI_PATH, FProgram);
    FDocs.Write("letter.wri", test::SampleWriteLetter());
    FDocs.Write("damaged.docx", test::SampleWriteLetter().substr(0, 200));
    test::EncryptionSettings settings;
    settings.UserPassword = "sesame";
    FDocs.Write("locked.pdf",
                test::PdfEncryptionBuilder(settings).BuildFile({"Behind the door"}, "Vault"));
    Configure("");
  }
  void Configure(const std::string& extra) const {
    FBin.Write("scrivlet.cfg", "[DocumentRoot]\n" + FDocs.Path() + "\n" + extra);
  }
  std::unique_ptr<FastCgiWorker> StartWorker() const {
    auto worker = std::make_unique<FastCgiWorker>(FProgram, FBin.Path(), FSocket.File("w"),
                                                  std::vector<std::string>{"PATH=/usr/bin:/bin"});
    EXPECT_TRUE(worker->Started());
    return worker;
  }
  // The same request as a CGI run: the parameters as its environment, the
  // body on standard input.
  std::string CgiAnswer(const FastCgiParams& params, const std::string& body = "") const {
    std::vector<std::string> environment{"PATH=/usr/bin:/bin"};
    for (const auto& [name, value] : params)
      environment.push_back(name + "=" + value);
    std::string input = FSocket.Write("body", body);
    return test::RunChild(
               "/bin/sh",
               {"-c", "cd \"$1\" && exec \"$2\" < \"$3\"", "sh", FBin.Path(), FProgram, input},
               environment)
        .out;
  }
  static FastCgiParams Get(const std::string& query) {
    return {{"QUERY_STRING", query},
            {"REQUEST_METHOD", "GET"},
            {"SCRIPT_NAME", "/cgi-bin/scrivlet.cgi"}};
  }
  static FastCgiParams Post(const std::string& body) {
    return {{"QUERY_STRING", ""},
            {"REQUEST_METHOD", "POST"},
            {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
            {"CONTENT_LENGTH", std::to_string(body.size())},
            {"SCRIPT_NAME", "/cgi-bin/scrivlet.cgi"}};
  }

  TempDir FBin, FDocs, FSocket;
  std::string FProgram;
};

TEST_F(FastCgiSite, OneWorkerAnswersRequestAfterRequestWithTheCgiBytes) {
  auto worker = StartWorker();
  const std::vector<std::string> queries = {
      "filename=letter.wri",
      "filename=letter.wri&firstpage=1",
      "filename=missing.doc",
      "filename=../../../../etc/passwd",
      "filename=damaged.docx",
      "filename=locked.pdf",
      "",
      "FileName=LETTER.WRI",
  };
  for (int round = 0; round < 2; ++round) {
    for (const std::string& query : queries) {
      test::FastCgiResponse response = worker->Request(Get(query));
      EXPECT_TRUE(response.ended) << query;
      EXPECT_EQ(response.out, CgiAnswer(Get(query))) << query;
    }
  }
  // The password form's POST, wrong then right, and a body past the limit.
  for (const std::string body :
       {"filename=locked.pdf&password=wrong", "filename=locked.pdf&password=sesame"}) {
    test::FastCgiResponse response = worker->Request(Post(body), body);
    EXPECT_EQ(response.out, CgiAnswer(Post(body), body)) << body;
  }
  EXPECT_NE(worker
                ->Request(Post("filename=locked.pdf&password=sesame"),
                          "filename=locked.pdf&password=sesame")
                .out.find("Behind the door"),
            std::string::npos);
  std::string huge(64 * 1024 + 1, 'x');
  test::FastCgiResponse refused = worker->Request(Post(huge), huge);
  EXPECT_EQ(refused.out.rfind("Status: 413 Request Entity Too Large\r\n", 0), 0u);
  // Still the same worker, still answering.
  EXPECT_EQ(worker->WaitForExit(0), -1);
  EXPECT_EQ(worker->Request(Get("filename=letter.wri")).out, CgiAnswer(Get("filename=letter.wri")));
}

TEST_F(FastCgiSite, TheConfigurationIsReadAgainWhenItChanges) {
  auto worker = StartWorker();
  EXPECT_EQ(worker->Request(Get("filename=letter.wri")).out.find("first-head"), std::string::npos);
  Configure("[Head]\n<meta name=\"first-head\">\n");
  EXPECT_NE(worker->Request(Get("filename=letter.wri")).out.find("first-head"), std::string::npos);
  // The same size, another text: a new file in its place.
  FBin.Write("scrivlet.cfg.new",
             "[DocumentRoot]\n" + FDocs.Path() + "\n[Head]\n<meta name=\"other-head\">\n");
  std::filesystem::rename(FBin.File("scrivlet.cfg.new"), FBin.File("scrivlet.cfg"));
  std::string page = worker->Request(Get("filename=letter.wri")).out;
  EXPECT_NE(page.find("other-head"), std::string::npos);
  EXPECT_EQ(page.find("first-head"), std::string::npos);
  // Gone: the defaults, so no document root and a 404 for the name.
  std::filesystem::remove(FBin.File("scrivlet.cfg"));
  EXPECT_EQ(worker->Request(Get("filename=letter.wri")).out.rfind("Status: 404", 0), 0u);
}

TEST_F(FastCgiSite, AConversionPastTheTimeLimitIsAnsweredAndTheWorkerEnds) {
  test::DocxBuilder docx;
  for (int i = 0; i < 200000; ++i)
    docx.body += test::DocxBuilder::Paragraph(test::DocxBuilder::Run("Line " + std::to_string(i)));
  FDocs.Write("slow.docx", docx.Build());
  Configure("[TimeLimit]\n0.02\n");
  auto worker = StartWorker();
  test::FastCgiResponse response = worker->Request(Get("filename=slow.docx"));
  EXPECT_TRUE(response.ended);
  EXPECT_EQ(response.out.rfind("Status: 503 Service Unavailable\r\n", 0), 0u) << response.out;
  EXPECT_NE(response.out.find("The conversion took longer than the limit of 0.02 s"),
            std::string::npos);
  // The process manager starts the next worker.
  EXPECT_EQ(worker->WaitForExit(5000), 3);
  // The CGI answers the same page, and a quick request stays in time.
  EXPECT_EQ(CgiAnswer(Get("filename=slow.docx")), response.out);
  Configure("[TimeLimit]\n5\n");
  auto next = StartWorker();
  EXPECT_EQ(next->Request(Get("filename=letter.wri")).out.rfind("Content-Type: text/html", 0), 0u);
}

TEST_F(FastCgiSite, DamagedParametersAreAnswered) {
  auto worker = StartWorker();
  // PARAMS that are not name-value pairs (a length past the record), then
  // a request as usual on the next connection.
  std::string broken = test::FastCgiNameValue("QUERY_STRING", "filename=letter.wri");
  broken.resize(broken.size() - 5);
  broken[0] = '\x7F';
  test::ExchangeFastCgi(FSocket.File("w"), test::FastCgiRawRequestRecords(1, broken, ""));
  EXPECT_EQ(worker->Request(Get("filename=letter.wri")).out, CgiAnswer(Get("filename=letter.wri")));
}

// The records of a request cut short: what a client that stalls has sent.
std::string BeginRequest() {
  return test::FastCgiRawRequestRecords(1, "", "").substr(0, 16);
}
std::string RecordHeader(uint8_t type, uint16_t length) {
  return {1,
          static_cast<char>(type),
          0,
          1,
          static_cast<char>(length >> 8),
          static_cast<char>(length & 0xFF),
          0,
          0};
}

// Sends the bytes, one every few milliseconds when trickling, until they
// are all sent or the worker hangs up.
void SendSlowly(int connection, const std::string& bytes, bool trickle) {
  for (size_t at = 0; at < bytes.size();) {
    size_t chunk = trickle ? 1 : bytes.size() - at;
    ssize_t sent = ::send(connection, bytes.data() + at, chunk, MSG_NOSIGNAL);
    if (sent <= 0)
      return;
    at += static_cast<size_t>(sent);
    if (trickle)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A client that stops half-way holds a worker only for RequestTimeout: the
// worker drops it unanswered and answers the next client.
TEST_F(FastCgiSite, AStalledClientIsDroppedAfterTheRequestTimeout) {
  test::DocxBuilder docx; // a page larger than the socket's buffers
  for (int i = 0; i < 30000; ++i)
    docx.body += test::DocxBuilder::Paragraph(test::DocxBuilder::Run("Line " + std::to_string(i)));
  FDocs.Write("long.docx", docx.Build());
  Configure("[RequestTimeout]\n0.3\n[PageCache]\n0\n");
  const std::string params = test::FastCgiNameValue("QUERY_STRING", "filename=letter.wri");
  const std::string post =
      test::FastCgiNameValue("REQUEST_METHOD", "POST") +
      test::FastCgiNameValue("CONTENT_TYPE", "application/x-www-form-urlencoded") +
      test::FastCgiNameValue("CONTENT_LENGTH", "60000");
  struct Stall {
    const char* what;
    std::string bytes;
    bool trickle = false;
    bool answered = false; // a whole request before the stall
  };
  // A request that asks the worker to keep the connection for the next.
  std::string keep = test::FastCgiRequestRecords(1, Get("filename=letter.wri"), "");
  keep[10] = 1; // FCGI_KEEP_CONN in BEGIN_REQUEST's flags
  const Stall stalls[] = {
      {"nothing after connecting", ""},
      {"half a BEGIN_REQUEST record", BeginRequest().substr(0, 12)},
      {"half a PARAMS record", BeginRequest() + RecordHeader(4, 200) + params},
      {"PARAMS never ended", BeginRequest() + RecordHeader(4, params.size()) + params},
      {"a POST announcing 60,000 bytes that sends 11",
       test::FastCgiRawRequestRecords(1, post, "").substr(0, 16 + 8 + post.size() + 8) +
           RecordHeader(5, 11) + "filename=ab"},
      {"a whole request a byte at a time",
       test::FastCgiRequestRecords(1, Get("filename=letter.wri"), ""), true},
      {"a request whose answer is never read",
       test::FastCgiRequestRecords(1, Get("filename=long.docx"), "")},
      {"a kept connection with no next request", keep, false, true},
  };
  auto worker = StartWorker();
  for (const Stall& stall : stalls) {
    int stalled = test::ConnectToFastCgi(FSocket.File("w"));
    ASSERT_GE(stalled, 0);
    std::thread client(SendSlowly, stalled, stall.bytes, stall.trickle);
    // Without the timeout the worker would never come to this client: the
    // guard of 20 s only keeps the test from waiting for ever.
    test::FastCgiResponse next = test::ExchangeOnConnection(
        test::ConnectToFastCgi(FSocket.File("w")),
        test::FastCgiRequestRecords(1, Get("filename=letter.wri"), ""), 20000);
    client.join();
    EXPECT_TRUE(next.ended) << stall.what;
    EXPECT_NE(next.out.find("Dear reader,"), std::string::npos) << stall.what;
    // The stalled client was hung up on: no answer for the cut requests,
    // the unread answer not finished; the kept connection closed after its
    // answer.
    test::SetReceiveTimeout(stalled, 20000);
    std::string got;
    char buffer[65536];
    for (ssize_t n; (n = ::read(stalled, buffer, sizeof buffer)) > 0;)
      got.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(test::ParseFastCgiResponse(got).ended, stall.answered) << stall.what;
    ::close(stalled);
  }
  EXPECT_EQ(worker->WaitForExit(0), -1); // the same worker all along
}

} // namespace
} // namespace scrivlet
