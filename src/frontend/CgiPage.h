// The CGI front end: one request in, one complete HTML page out.
//
// The web server starts the program once per request; QUERY_STRING names
// the document (key "filename") and may ask for the first page only (key
// "firstpage").  The page carries a heading (the document's title, or the
// error that stopped the conversion) and the text, line by line.  An
// encrypted document (PDF, Word, OpenDocument) answers with a form that POSTs
// its password back.
#pragma once

#include "frontend/ReaderRegistry.h"
#include "frontend/RequestedFile.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// Decodes a URL-encoded value: "%%" gives "%", "%" and two hexadecimal
// digits give that byte, "+" gives a blank.  A "%" not followed by two
// hexadecimal digits is copied as it stands.
std::string UrlDecode(std::string_view text);

// One key and value of a query, each percent-decoded.
struct QueryPair {
  std::string key, value;
};
// The pairs of a query: split at "&", each at its first "=", then decoded.
std::vector<QueryPair> QueryPairs(std::string_view query);

struct CgiRequest {
  bool firstPage = false;
  std::string fileName;     // decoded, letters as written
  std::string password{};   // of an encrypted document, from a POSTed form only
  std::string scriptName{}; // the CGI's own address (SCRIPT_NAME), where the form posts
  bool tooLarge = false;    // a POST body above kMaxRequestBody: refused unread
};

// Reads the request from the environment entries ("NAME=value"); each
// QUERY_STRING entry is taken in turn and the last one stands.
CgiRequest ScanRequest(const std::vector<std::string>& environment);

// The largest POST body read: a password form needs a few hundred bytes.
constexpr size_t kMaxRequestBody = 64 * 1024;

// What ContentLength gives for a number of more digits than it holds.
constexpr size_t kLengthPastAnyLimit = SIZE_MAX;

// CONTENT_LENGTH as a number: decimal digits only, nothing when it is
// empty or holds anything else; kLengthPastAnyLimit for more than 18
// digits (leading zeros aside), so that such a body is too large.
std::optional<size_t> ContentLength(std::string_view value);

// Takes the keys of a URL-encoded form body into the request: "filename"
// and "firstpage" as in the query (the body's stand), and "password".
void ScanFormBody(std::string_view body, CgiRequest& request);

// How many bytes of the request body to read: CONTENT_LENGTH for a POST of
// a URL-encoded form of at most kMaxRequestBody bytes, else none (a longer
// body is left unread).
size_t RequestBodyLength(const std::vector<std::string>& environment);

// The whole request: the query, and for a POST of a URL-encoded form the
// body (its first CONTENT_LENGTH bytes are taken; a longer announced body
// marks the request tooLarge and is not looked at).
CgiRequest ReadRequest(const std::vector<std::string>& environment, std::string_view body);

// The same with the body read from a stream: RequestBodyLength bytes at
// most, fewer when the stream ends first.
CgiRequest ReadRequest(const std::vector<std::string>& environment, std::FILE* body);

// How the page shows a document: "classic", the text line by line under a
// centred heading (the default), or "document", the document page with its
// headings, lists, tables and notes.
enum class PageLayout { Classic, Document };

// How long one request may convert unless the configuration says otherwise.
constexpr std::chrono::milliseconds kDefaultTimeLimit{30'000};
// How long a FastCGI worker waits for one request to arrive whole.
constexpr std::chrono::milliseconds kDefaultRequestTimeout{10'000};
// The pages a resident worker keeps for the next requests, in bytes.
constexpr size_t kDefaultPageCacheBytes = 32u << 20;

// The site's settings from the configuration file.
struct PageConfig {
  std::string headBlock;                   // section Head, each line followed by CR LF
  std::string endBlock;                    // section EndOfBody, likewise
  std::string documentRoot;                // first line of section DocumentRoot, or empty
  PageLayout layout = PageLayout::Classic; // first line of section Layout
  // First line of section TimeLimit: seconds, a decimal fraction allowed
  // ("30", "2.5"); anything else keeps the default.
  std::chrono::milliseconds timeLimit = kDefaultTimeLimit;
  // First line of section RequestTimeout, seconds as TimeLimit writes
  // them: how long a FastCGI worker waits for a request, from accepting
  // its connection to the end of its body, before it drops the client.
  std::chrono::milliseconds requestTimeout = kDefaultRequestTimeout;
  // First line of section PageCache: megabytes of pages a FastCGI worker
  // keeps (0: none).
  size_t pageCacheBytes = kDefaultPageCacheBytes;
};

PageConfig ReadPageConfig(const std::string& configFileName);

// The time limit a TimeLimit (or RequestTimeout) line gives: a positive
// number of seconds ("30", "0.25", at most a day), to the millisecond;
// nothing otherwise.
std::optional<std::chrono::milliseconds> ParseTimeLimit(std::string_view line);

// The configuration file of an executable: its path with ".cfg".
std::string ConfigFileFor(const std::string& executablePath);

// What the conversion gives the page.
struct PageContent {
  std::string heading;            // title or file name; empty on error
  std::vector<std::string> lines; // text lines, system code page
  std::string error;              // set when no text can be shown
  bool notFound = false;          // no file name, no such file, or outside the root
  bool passwordRequired = false;  // an encrypted document the password given does not open
  bool tooLarge = false;          // the request body was refused
  bool serverError = false;       // the server could not answer (out of memory)
  bool timedOut = false;          // the conversion ran past the time limit
  // The document page, in the document layout; empty there when no
  // document can be shown (error says why).
  std::string documentPage{};
};

// The file a request names: a relative name resolves against the document
// root when there is one; when no file has the name as written, the
// lower-cased name is tried.  Returns the first that exists, or the name as
// written (under the root).
std::string LocateRequestedFile(const std::string& fileName, const std::string& documentRoot);

// Converts the requested file with the reader its extension selects; the
// lines are bytes of the code page.
PageContent ConvertForPage(const CgiRequest& request, const PageConfig& config,
                           int codePage = 65001);

// Whether the request gets as far as its file: it names one, and its body
// was not refused.
bool NamesAFile(const CgiRequest& request);

// The same with the file the request names opened beforehand (see
// OpenRequestedFile): what was opened is what is read.
PageContent ConvertForPage(const CgiRequest& request, const PageConfig& config,
                           const RequestedFile& file, int codePage = 65001);

// The whole response: CGI header and HTML page, every line ending in CR LF.
std::string RenderPage(const CgiRequest& request, const PageConfig& config,
                       const PageContent& content, int codePage = 65001);

// The response to a request: converted and rendered; whatever escapes the
// conversion (out of memory while the page is written, say) becomes an
// error page of its own with "Status: 500", so that a worker that serves
// many requests goes on with the next.
std::string Respond(const CgiRequest& request, const PageConfig& config, int codePage = 65001);
std::string Respond(const CgiRequest& request, const PageConfig& config, const RequestedFile& file,
                    int codePage = 65001);

// The page that answers a request whose conversion ran past the time limit
// ("Status: 503 Service Unavailable").
std::string TimeLimitPage(const CgiRequest& request, const PageConfig& config,
                          int codePage = 65001);

// The host's code page: SCRIVLET_CODEPAGE of the process environment, read
// once; an unknown one keeps UTF-8 (65001).
int HostCodePage();

} // namespace scrivlet
