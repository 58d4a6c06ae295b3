#include "frontend/CgiPage.h"
#include "core/Ascii.h"

#include "core/BidiIsolation.h"
#include "core/CodePage.h"
#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "core/Numbers.h"
#include "core/Process.h"
#include "document/FirstPage.h"
#include "frontend/ConfigFile.h"
#include "frontend/Conversion.h"
#include "frontend/ReaderRegistry.h"
#include "writers/Markup.h"
#include "writers/PageWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace scrivlet {
namespace {

constexpr const char* kMakerAddress = "https://quorvane.example/";
constexpr const char* kNoFileMessage = "Filename is not defined or file is not found";
constexpr size_t kFirstPageLines = 56;
// What the PDF reader raises when no password it was given opens the file
// (none given is tried as the empty password); the other readers raise a
// PasswordError.
constexpr const char* kPasswordRefused = "Password is not valid";
constexpr const char* kPasswordWanted = "This document is protected by a password";
constexpr const char* kPasswordWrong = "The password is not valid";
constexpr const char* kTooLargeMessage = "The request is too large";

// A decoded file name as the page takes it: stripped of one leading and
// one trailing quote, and cut at a NUL.
std::string CleanFileName(std::string name) {
  auto isQuote = [](char c) { return c == '"' || c == '\''; };
  if (!name.empty() && isQuote(name.front()))
    name.erase(0, 1);
  if (!name.empty() && isQuote(name.back()))
    name.pop_back();
  // The file system takes the name up to a NUL ("%00"): so does everything
  // else, the reader chosen by the extension included.
  if (size_t nul = name.find('\0'); nul != std::string::npos)
    name.resize(nul);
  return name;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines)
    text += line + "\r\n";
  return text;
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// The document's title; the file name (as the request wrote it) for formats
// that record no title and for documents whose title is empty, so that no
// page goes without a heading.
std::string HeadingOf(const Conversion& conversion, const std::string& fileName, int codePage) {
  if (conversion.kind->heading == HeadingSource::FileName)
    return fileName;
  const DocumentSummary* summary = SummaryOf(conversion);
  std::string title = summary != nullptr ? WideToAnsi(summary->Title, codePage) : std::string();
  return IsBlank(title) ? fileName : title;
}

// One page line: the text and the line end.
class ResponseWriter {
public:
  void Line(std::string_view text) {
    FPage += text;
    FPage += "\r\n";
  }
  void Block(const std::string& block) {
    if (block.empty())
      return;
    FPage += block;
    FPage += "\r\n";
  }
  void Append(const std::string& text) { FPage += text; }
  std::string Take() { return std::move(FPage); }

private:
  std::string FPage;
};

// What the browser shows for the page: the document's title, else the file
// name as the request wrote it; a request without a name gets the
// program's own.
std::string PageTitle(const CgiRequest& request, const PageContent& content) {
  if (content.error.empty() && !content.heading.empty())
    return content.heading;
  if (!request.fileName.empty())
    return request.fileName;
  return "Scrivlet " SCRIVLET_VERSION_MAJOR_MINOR " conversion";
}

// The form that asks for an encrypted document's password: it posts the password with the
// file name to the program itself, so that the password stays out of the
// address (and so out of server logs and history); it is never written back
// into a page.
std::string PasswordForm(const CgiRequest& request) {
  ResponseWriter form;
  form.Line("<form method=\"post\" action=\"" + EscapeText(OutputFormat::Html, request.scriptName) +
            "\">");
  form.Line("<input type=\"hidden\" name=\"filename\" value=\"" +
            EscapeText(OutputFormat::Html, request.fileName) + "\">");
  if (request.firstPage)
    form.Line("<input type=\"hidden\" name=\"firstpage\" value=\"1\">");
  form.Line("<label>Password: <input type=\"password\" name=\"password\" "
            "autocomplete=\"current-password\" autofocus></label>");
  form.Line("<input type=\"submit\" value=\"Open\">");
  form.Line("</form>");
  return form.Take();
}

std::string CreditLine(std::string_view lead) {
  return std::string(lead) + ", <A HREF=\"" + kMakerAddress + "\">Quorvane Software</A><BR>";
}

// A file name or title in the page's code page, isolated (see
// BidiIsolation) when it holds bidirectional controls; as it stands
// otherwise.
std::string ShownName(const std::string& text, int codePage) {
  std::u16string wide = AnsiToWide(text, codePage);
  return HasBidiControls(wide) ? WideToAnsi(IsolatedBidiText(wide), codePage) : text;
}

// A heading's text as HTML: in a <bdi> when it holds bidirectional
// controls, so that none reorders the page around it.
std::string HeadingMarkup(const std::string& text, int codePage) {
  std::u16string wide = AnsiToWide(text, codePage);
  if (!HasBidiControls(wide))
    return EscapeText(OutputFormat::Html, text);
  return "<bdi>" + EscapeText(OutputFormat::Html, WideToAnsi(BalancedBidiText(wide), codePage)) +
         "</bdi>";
}

// Why the requested file cannot be shown, or nothing when it is open.  A
// name outside the root gets the page of a missing name, and one refused
// without a root the page of a missing file: whether a file exists
// elsewhere is not for the client to learn.
std::optional<PageContent> RefusedFile(const RequestedFile& file, const std::string& name,
                                       const std::string& documentRoot) {
  PageContent content;
  content.notFound = true;
  switch (file.outcome) {
  case BeneathOutcome::Opened: return std::nullopt;
  case BeneathOutcome::Outside: content.error = kNoFileMessage; return content;
  case BeneathOutcome::Missing:
    content.error = documentRoot.empty() ? "File " + name + " is not found." : kNoFileMessage;
    return content;
  case BeneathOutcome::NotRegular:
    content.error = "File " + name + " is not found.";
    return content;
  case BeneathOutcome::Unreadable: break;
  }
  content.notFound = false;
  content.error = Format("Cannot open file \"%s\". %s",
                         {LocateRequestedFile(name, documentRoot), std::strerror(file.error)});
  return content;
}

} // namespace

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c != '%') {
      out += c;
    } else if (i + 1 < text.size() && text[i + 1] == '%') {
      out += '%';
      ++i;
    } else if (i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
               HexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += c; // not an escape: kept as written
    }
  }
  return out;
}

std::vector<QueryPair> QueryPairs(std::string_view query) {
  std::vector<QueryPair> pairs;
  while (!query.empty()) {
    size_t ampersand = query.find('&');
    std::string_view pair = query.substr(0, ampersand);
    size_t equals = pair.find('=');
    if (!pair.empty())
      pairs.push_back(
          {UrlDecode(pair.substr(0, equals)),
           equals == std::string_view::npos ? std::string() : UrlDecode(pair.substr(equals + 1))});
    if (ampersand == std::string_view::npos)
      break;
    query.remove_prefix(ampersand + 1);
  }
  return pairs;
}

// The query is split at "&" and "=" before anything is decoded, so that a
// file name may hold "&", "=", "+" or "%" (written %26, %3D, %2B, %25).
// Keys are matched in any letter case; the first "filename" stands.
CgiRequest ScanRequest(const std::vector<std::string>& environment) {
  CgiRequest request;
  for (const auto& entry : environment) {
    if (entry.compare(0, 13, "QUERY_STRING=") != 0)
      continue;
    request.firstPage = false;
    bool named = false;
    for (QueryPair& pair : QueryPairs(std::string_view(entry).substr(13))) {
      std::string key = AsciiLowerCase(std::move(pair.key));
      if (key == "firstpage") {
        std::string value = AsciiLowerCase(std::move(pair.value));
        request.firstPage = request.firstPage || value == "1" || value == "true";
      } else if (key == "filename" && !named) {
        request.fileName = CleanFileName(std::move(pair.value));
        named = true;
      }
    }
  }
  return request;
}

namespace {

// The value of the last entry NAME=value, or nothing.
std::optional<std::string_view> EnvironmentValue(const std::vector<std::string>& environment,
                                                 std::string_view name) {
  std::optional<std::string_view> value;
  for (const auto& entry : environment)
    if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
        entry[name.size()] == '=')
      value = std::string_view(entry).substr(name.size() + 1);
  return value;
}

bool IsFormContent(std::string_view contentType) {
  constexpr std::string_view kForm = "application/x-www-form-urlencoded";
  if (contentType.size() < kForm.size() ||
      !EqualsIgnoringAsciiCase(contentType.substr(0, kForm.size()), kForm))
    return false;
  return contentType.size() == kForm.size() || contentType[kForm.size()] == ';' ||
         contentType[kForm.size()] == ' ';
}

// Reads up to length bytes (fewer when the input ends first).
std::string ReadBody(std::FILE* input, size_t length) {
  std::string body(length, '\0');
  size_t got = 0;
  while (got < length) {
    size_t n = std::fread(body.data() + got, 1, length - got, input);
    if (n == 0)
      break;
    got += n;
  }
  body.resize(got);
  return body;
}

} // namespace

std::optional<size_t> ContentLength(std::string_view value) {
  if (value.empty() || !std::all_of(value.begin(), value.end(), IsAsciiDigit))
    return std::nullopt;
  // Leading zeros say nothing; past 18 digits the number may not fit, and
  // it is more than any body read anyway.
  size_t first = std::min(value.find_first_not_of('0'), value.size());
  value.remove_prefix(first);
  if (value.size() > 18)
    return kLengthPastAnyLimit;
  size_t length = 0;
  for (char c : value)
    length = length * 10 + static_cast<size_t>(c - '0');
  return length;
}

void ScanFormBody(std::string_view body, CgiRequest& request) {
  for (QueryPair& pair : QueryPairs(body)) {
    std::string key = AsciiLowerCase(std::move(pair.key));
    if (key == "password") {
      request.password = std::move(pair.value);
    } else if (key == "filename") {
      request.fileName = CleanFileName(std::move(pair.value));
    } else if (key == "firstpage") {
      std::string value = AsciiLowerCase(std::move(pair.value));
      request.firstPage = value == "1" || value == "true";
    }
  }
}

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  return text;
}

std::u16string DescribedPageText(const Conversion& conversion, int codePage) {
  DescribedOutputOptions output;
  output.codePage = codePage;
  return Describe(conversion, output).lines.GetTextW();
}

// The characters of the text's first kFirstPageLines lines, or 0 when the
// text has no more lines than that.
int32_t FirstLinesLength(std::u16string_view text) {
  size_t lines = 0, characters = 0, at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of(u"\r\n", at);
    if (lines == kFirstPageLines)
      return static_cast<int32_t>(std::max<size_t>(characters, 1));
    if (end == std::u16string_view::npos)
      return 0;
    characters += end - at;
    ++lines;
    at = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
  }
  return 0;
}

PageOptions PageOptionsFor(const CgiRequest& request, const PageConfig& config, int codePage) {
  PageOptions page;
  page.fileName = AnsiToWide(request.fileName, codePage);
  page.siteHead = config.headBlock;
  page.siteEnd = config.endBlock;
  return page;
}

// The document page; for the first page only, the document's own first
// page where it records pages, else as much text as the first lines of the
// classic page hold.
std::string DocumentPage(const CgiRequest& request, const PageConfig& config,
                         Conversion& conversion, int codePage) {
  PageOptions page = PageOptionsFor(request, config, codePage);
  if (request.firstPage && !KeepFirstPage(conversion.document))
    page.maxTextLength = FirstLinesLength(DescribedPageText(conversion, codePage));
  return PageDocument(conversion.document, page);
}

} // namespace

size_t RequestBodyLength(const std::vector<std::string>& environment) {
  std::string_view method = EnvironmentValue(environment, "REQUEST_METHOD").value_or("GET");
  if (!EqualsIgnoringAsciiCase(method, "POST") ||
      !IsFormContent(EnvironmentValue(environment, "CONTENT_TYPE").value_or("")))
    return 0;
  size_t length =
      ContentLength(EnvironmentValue(environment, "CONTENT_LENGTH").value_or("")).value_or(0);
  return length <= kMaxRequestBody ? length : 0;
}

CgiRequest ReadRequest(const std::vector<std::string>& environment, std::string_view body) {
  CgiRequest request = ScanRequest(environment);
  request.scriptName = EnvironmentValue(environment, "SCRIPT_NAME").value_or("");
  std::string_view method = EnvironmentValue(environment, "REQUEST_METHOD").value_or("GET");
  if (!EqualsIgnoringAsciiCase(method, "POST"))
    return request;
  size_t length =
      ContentLength(EnvironmentValue(environment, "CONTENT_LENGTH").value_or("")).value_or(0);
  if (length > kMaxRequestBody) {
    request.tooLarge = true;
    return request;
  }
  if (IsFormContent(EnvironmentValue(environment, "CONTENT_TYPE").value_or("")))
    ScanFormBody(body.substr(0, length), request);
  return request;
}

CgiRequest ReadRequest(const std::vector<std::string>& environment, std::FILE* body) {
  return ReadRequest(environment, ReadBody(body, RequestBodyLength(environment)));
}

std::string ConfigFileFor(const std::string& executablePath) {
  return ChangeFileExt(executablePath, ".cfg");
}

PageConfig ReadPageConfig(const std::string& configFileName) {
  PageConfig config;
  if (configFileName.empty() || !FileExists(configFileName))
    return config;
  ConfigFile ini(configFileName);
  std::vector<std::string> lines;
  ini.ReadSection("Head", lines);
  config.headBlock = JoinLines(lines);
  ini.ReadSection("EndOfBody", lines);
  config.endBlock = JoinLines(lines);
  ini.ReadSection("DocumentRoot", lines);
  if (!lines.empty())
    config.documentRoot = lines.front();
  ini.ReadSection("Layout", lines);
  if (!lines.empty() && EqualsIgnoringAsciiCase(Trimmed(lines.front()), "document"))
    config.layout = PageLayout::Document;
  ini.ReadSection("TimeLimit", lines);
  if (!lines.empty())
    config.timeLimit = ParseTimeLimit(lines.front()).value_or(kDefaultTimeLimit);
  ini.ReadSection("RequestTimeout", lines);
  if (!lines.empty())
    config.requestTimeout = ParseTimeLimit(lines.front()).value_or(kDefaultRequestTimeout);
  ini.ReadSection("PageCache", lines);
  if (!lines.empty()) {
    // Whole megabytes, at most 4096; anything else keeps the default.
    std::optional<int32_t> megabytes = ParseInteger(Trimmed(lines.front()));
    if (megabytes && *megabytes >= 0 && *megabytes <= 4096)
      config.pageCacheBytes = static_cast<size_t>(*megabytes) << 20;
  }
  return config;
}

// Whole seconds, then at most three decimals: no number of the file is
// taken past what a millisecond count holds.
std::optional<std::chrono::milliseconds> ParseTimeLimit(std::string_view line) {
  constexpr int64_t kMostMilliseconds = 24 * 60 * 60 * 1000;
  line = Trimmed(line);
  int64_t milliseconds = 0, scale = 1000;
  bool digits = false, point = false;
  for (char c : line) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9')
      return std::nullopt;
    digits = true;
    if (point) {
      scale /= 10; // decimals past the millisecond are dropped
      milliseconds += (c - '0') * scale;
    } else {
      milliseconds = milliseconds * 10 + (c - '0') * 1000;
      if (milliseconds > kMostMilliseconds)
        return std::nullopt;
    }
  }
  if (!digits || milliseconds <= 0 || milliseconds > kMostMilliseconds)
    return std::nullopt;
  return std::chrono::milliseconds(milliseconds);
}

std::string LocateRequestedFile(const std::string& fileName, const std::string& documentRoot) {
  auto underRoot = [&](const std::string& name) {
    if (documentRoot.empty() || name.empty() || name.front() == '/')
      return name;
    return documentRoot.back() == '/' ? documentRoot + name : documentRoot + "/" + name;
  };
  std::string asWritten = underRoot(fileName);
  if (FileExists(asWritten))
    return asWritten;
  std::string lowerCase = underRoot(AsciiLowerCase(std::string(fileName)));
  return FileExists(lowerCase) ? lowerCase : asWritten;
}

PageContent ConvertForPage(const CgiRequest& request, const PageConfig& config, int codePage) {
  RequestedFile file;
  if (NamesAFile(request))
    file = OpenRequestedFile(request.fileName, config.documentRoot);
  return ConvertForPage(request, config, file, codePage);
}

bool NamesAFile(const CgiRequest& request) {
  return !request.tooLarge && !request.fileName.empty();
}

PageContent ConvertForPage(const CgiRequest& request, const PageConfig& config,
                           const RequestedFile& file, int codePage) {
  PageContent content;
  if (request.tooLarge) {
    content.error = kTooLargeMessage;
    content.tooLarge = true;
    return content;
  }
  if (request.fileName.empty()) {
    content.error = kNoFileMessage;
    content.notFound = true;
    return content;
  }
  // Messages name the file as the request did, not by the server's path,
  // isolated when it holds bidirectional controls.
  const std::string name = ShownName(request.fileName, codePage);
  if (std::optional<PageContent> refused = RefusedFile(file, name, config.documentRoot))
    return *refused;
  std::string bytes;
  try {
    bytes = file.file.ReadAll();
  } catch (const std::exception& error) {
    content.error = *error.what() != '\0' ? error.what() : "Error";
    return content;
  }
  // Content that no format claims under a name whose extension names none
  // (a flat .fodt, a text file) is said to be so, as the command line says
  // it, rather than refused in the Word reader's words.
  if (ReaderNamedByExtension(request.fileName) == nullptr && ReadersBySignature(bytes).empty()) {
    content.error = name + ": unrecognised format (not " + ReaderNamesAsAlternatives() + ")";
    return content;
  }
  // The reader its extension selects, with every default: plain text, the
  // text and the summary.
  const ReaderKind& byExtension = ReaderForFileName(request.fileName);
  ReaderOptions options = OptionsForCodePage(codePage);
  options.password = request.password;
  Conversion conversion = Convert(bytes, name, byExtension, options);
  // A file that the extension's reader refuses but whose content is
  // another format's (a Word 6 file called .wri) is read by that format's
  // reader, as the command line reads it.
  if (conversion.failed) {
    std::vector<const ReaderKind*> byContent = ReadersBySignature(bytes);
    if (byContent.size() == 1 && byContent.front() != &byExtension)
      conversion = Convert(bytes, name, *byContent.front(), options);
  }
  if (conversion.failed) {
    // Whatever stopped the reader becomes the heading; the page goes on.
    content.error = conversion.error;
    if (conversion.passwordRefused ||
        (conversion.encrypted && conversion.error == kPasswordRefused)) {
      content.passwordRequired = true;
      content.error = request.password.empty() ? kPasswordWanted : kPasswordWrong;
    }
    return content;
  }
  content.heading = HeadingOf(conversion, name, codePage);
  if (config.layout == PageLayout::Document) {
    content.documentPage = DocumentPage(request, config, conversion, codePage);
    return content;
  }
  content.lines = SplitLines(WideToAnsi(DescribedPageText(conversion, codePage), codePage));
  return content;
}

namespace {

void WriteStatus(ResponseWriter& page, const PageContent& content) {
  if (content.notFound)
    page.Line("Status: 404 Not Found");
  else if (content.passwordRequired)
    page.Line("Status: 403 Forbidden");
  else if (content.tooLarge)
    page.Line("Status: 413 Request Entity Too Large");
  else if (content.serverError)
    page.Line("Status: 500 Internal Server Error");
  else if (content.timedOut)
    page.Line("Status: 503 Service Unavailable");
}

// The document layout: the page in UTF-8 whatever the host's code page, or
// a page of the same look that says why there is none.
std::string RenderDocumentLayout(const CgiRequest& request, const PageConfig& config,
                                 const PageContent& content, int codePage) {
  ResponseWriter page;
  WriteStatus(page, content);
  page.Line("Content-Type: text/html; charset=utf-8");
  page.Line("");
  if (!content.documentPage.empty()) {
    page.Append(content.documentPage);
  } else {
    PageOptions options = PageOptionsFor(request, config, codePage);
    page.Append(MessagePage(
        AnsiToWide(PageTitle(request, content), codePage), AnsiToWide(content.error, codePage),
        content.passwordRequired ? PasswordForm(request) : std::string(), options));
  }
  return page.Take();
}

} // namespace

std::string RenderPage(const CgiRequest& request, const PageConfig& config,
                       const PageContent& content, int codePage) {
  if (config.layout == PageLayout::Document)
    return RenderDocumentLayout(request, config, content, codePage);
  ResponseWriter page;
  WriteStatus(page, content);
  page.Line(std::string("Content-Type: text/html; charset=") + CharsetName(codePage));
  page.Line("");
  page.Line("<html>");
  page.Line("<head>");
  page.Line(std::string("<meta charset=\"") + CharsetName(codePage) + "\">");
  page.Line("<meta name=\"GENERATOR\" content=\"Scrivlet " SCRIVLET_VERSION_MAJOR_MINOR
            " conversion\">");
  page.Line("<title>" +
            EscapeText(OutputFormat::Html, ShownName(PageTitle(request, content), codePage)) +
            "</title>");
  page.Block(config.headBlock);
  page.Line("</head>");
  page.Line("<body>");
  page.Line(CreditLine("<br>Generated by MS Word to Text cgi-convertor"));
  if (!content.error.empty()) {
    page.Line("<h1 align=\"center\">" + HeadingMarkup(content.error, codePage) + "</h1>");
    if (content.passwordRequired)
      page.Append(PasswordForm(request));
  } else {
    page.Line("<h1 align=\"center\">" + HeadingMarkup(content.heading, codePage) + "</h1>");
    size_t count =
        request.firstPage ? std::min(content.lines.size(), kFirstPageLines) : content.lines.size();
    for (size_t i = 0; i < count; ++i)
      page.Line(EscapeText(OutputFormat::Html, content.lines[i]) + "<BR>");
  }
  page.Line("<hr>");
  page.Line(CreditLine("<br>Generated by Scrivlet (MS Word to Text) cgi-convertor"));
  page.Block(config.endBlock);
  page.Line("</body>");
  page.Line("</html>");
  return page.Take();
}

namespace {

// A page for a failure outside the conversion: the request's own page with
// the message as its heading.
std::string ServerErrorPage(const CgiRequest& request, const PageConfig& config,
                            std::string message, int codePage) {
  PageContent content;
  content.error = std::move(message);
  content.serverError = true;
  return RenderPage(request, config, content, codePage);
}

// Seconds as the configuration may write them: "30", "2.5", "0.05".
std::string SecondsText(std::chrono::milliseconds limit) {
  std::string text = std::to_string(limit.count() / 1000);
  if (int64_t rest = limit.count() % 1000; rest != 0) {
    std::string decimals = std::to_string(1000 + rest).substr(1);
    while (decimals.back() == '0')
      decimals.pop_back();
    text += "." + decimals;
  }
  return text;
}

} // namespace

std::string Respond(const CgiRequest& request, const PageConfig& config, int codePage) {
  RequestedFile file;
  if (NamesAFile(request))
    file = OpenRequestedFile(request.fileName, config.documentRoot);
  return Respond(request, config, file, codePage);
}

std::string Respond(const CgiRequest& request, const PageConfig& config, const RequestedFile& file,
                    int codePage) {
  try {
    return RenderPage(request, config, ConvertForPage(request, config, file, codePage), codePage);
  } catch (const std::bad_alloc&) {
    return ServerErrorPage(request, config, "Out of memory", codePage);
  } catch (const std::exception& error) {
    return ServerErrorPage(request, config, *error.what() != '\0' ? error.what() : "Error",
                           codePage);
  }
}

std::string TimeLimitPage(const CgiRequest& request, const PageConfig& config, int codePage) {
  PageContent content;
  content.error =
      "The conversion took longer than the limit of " + SecondsText(config.timeLimit) + " s";
  content.timedOut = true;
  return RenderPage(request, config, content, codePage);
}

int HostCodePage() {
  if (const char* setting = std::getenv("SCRIVLET_CODEPAGE"))
    return ParseCodePageSetting(setting).value_or(65001);
  return 65001;
}

} // namespace scrivlet
