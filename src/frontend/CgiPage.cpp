#include "frontend/CgiPage.h"
#include "core/Ascii.h"

#include "core/CodePage.h"
#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "writers/Markup.h"
#include "core/Process.h"
#include "frontend/ConfigFile.h"
#include "frontend/Conversion.h"
#include "frontend/ReaderRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace scrivlet {
namespace {

constexpr const char* kMakerAddress = "https://quorvane.example/";
constexpr const char* kNoFileMessage = "Filename is not defined or file is not found";
constexpr size_t kFirstPageLines = 56;

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

// The directory part as the title shows it: up to and including the last
// "\" or ":".
std::string_view TitleDirectory(std::string_view fileName) {
  size_t delimiter = fileName.find_last_of("\\:");
  return delimiter == std::string_view::npos ? std::string_view()
                                             : fileName.substr(0, delimiter + 1);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines)
    text += line + "\r\n";
  return text;
}

// Whether the file lies inside the configured document root.
bool InsideDocumentRoot(const std::string& fileName, const std::string& documentRoot) {
  if (documentRoot.empty())
    return true;
  std::string root = ResolvePath(documentRoot);
  std::string file = ResolvePath(fileName);
  if (root.empty() || file.empty())
    return false;
  if (root.back() != '/')
    root += '/';
  return file.compare(0, root.size(), root) == 0;
}

std::string HeadingOf(const Conversion& conversion, const std::string& fileName, int codePage) {
  if (conversion.kind->heading == HeadingSource::FileName)
    return fileName;
  const DocumentSummary* summary = SummaryOf(conversion);
  return summary != nullptr ? WideToAnsi(summary->Title, codePage) : std::string();
}

// One page line: the text and the line end.
class PageWriter {
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
  std::string Take() { return std::move(FPage); }

private:
  std::string FPage;
};

std::string CreditLine(std::string_view lead) {
  return std::string(lead) + ", <A HREF=\"" + kMakerAddress + "\">Quorvane Software</A><BR>";
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
      pairs.push_back({UrlDecode(pair.substr(0, equals)),
                       equals == std::string_view::npos ? std::string()
                                                        : UrlDecode(pair.substr(equals + 1))});
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
  return config;
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
  PageContent content;
  if (request.fileName.empty()) {
    content.error = kNoFileMessage;
    content.notFound = true;
    return content;
  }
  std::string path = LocateRequestedFile(request.fileName, config.documentRoot);
  if (!InsideDocumentRoot(path, config.documentRoot)) {
    content.error = kNoFileMessage;
    content.notFound = true;
    return content;
  }
  if (!FileExists(path)) {
    content.error = "File " + request.fileName + " is not found.";
    content.notFound = true;
    return content;
  }
  std::string bytes;
  try {
    bytes = ReadDocumentFile(path);
  } catch (const std::exception& error) {
    content.error = *error.what() != '\0' ? error.what() : "Error";
    return content;
  }
  // The reader its extension selects, with every default: plain text, the
  // text and the summary.
  const ReaderKind& byExtension = ReaderForFileName(request.fileName);
  const ReaderOptions options = OptionsForCodePage(codePage);
  // Messages name the file as the request did, not by the server's path.
  const std::string& name = request.fileName;
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
    return content;
  }
  DescribedOutputOptions output;
  output.codePage = codePage;
  content.heading = HeadingOf(conversion, request.fileName, codePage);
  content.lines = SplitLines(WideToAnsi(Describe(conversion, output).lines.GetTextW(), codePage));
  return content;
}

std::string RenderPage(const CgiRequest& request, const PageConfig& config,
                       const PageContent& content, int codePage) {
  PageWriter page;
  if (content.notFound)
    page.Line("Status: 404 Not Found");
  page.Line(std::string("Content-Type: text/html; charset=") + CharsetName(codePage));
  page.Line("");
  page.Line("<html>");
  page.Line("<head>");
  page.Line(std::string("<meta charset=\"") + CharsetName(codePage) + "\">");
  page.Line("<meta name=\"GENERATOR\" content=\"Scrivlet " SCRIVLET_VERSION_MAJOR_MINOR
            " conversion\">");
  std::string title = "<title>Scrivlet " SCRIVLET_VERSION_MAJOR_MINOR " conversion";
  if (!request.fileName.empty())
    title += ", " + EscapeText(OutputFormat::Html, TitleDirectory(request.fileName));
  page.Line(title + "</title>");
  page.Block(config.headBlock);
  page.Line("</head>");
  page.Line("<body>");
  page.Line(CreditLine("<br>Generated by MS Word to Text cgi-convertor"));
  if (!content.error.empty()) {
    page.Line("<h1 align=\"center\">" + EscapeText(OutputFormat::Html, content.error) + "</h1>");
  } else {
    page.Line("<h1 align=\"center\">" + EscapeText(OutputFormat::Html, content.heading) + "</h1>");
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

int RunCgi() {
  CgiRequest request = ScanRequest(EnvironmentEntries());
  PageConfig config;
  try {
    config = ReadPageConfig(ConfigFileFor(ExecutablePath()));
  } catch (const std::exception&) {
    // An unreadable configuration file leaves the page without site mark-up.
  }
  // The host's code page, read once; an unknown one keeps UTF-8.
  int codePage = 65001;
  if (const char* setting = std::getenv("SCRIVLET_CODEPAGE"))
    codePage = ParseCodePageSetting(setting).value_or(65001);
  SetSystemCodePage(codePage);
  PageContent content = ConvertForPage(request, config, codePage);
  std::string page = RenderPage(request, config, content, codePage);
  std::fwrite(page.data(), 1, page.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace scrivlet
