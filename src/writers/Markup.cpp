#include "writers/Markup.h"

#include "core/CodePage.h"

namespace scrivlet {

namespace {

constexpr const char* kParserName = "Quorvane Word Document Parser";

std::string RtfCreationTime(const DateTimeFields& t) {
  std::string text = "yr" + std::to_string(t.year) + "\\mo" + std::to_string(t.month) + "\\dy" +
                     std::to_string(t.day);
  if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0)
    text += "\\hr" + std::to_string(t.hour) + "\\min" + std::to_string(t.minute);
  return text;
}

} // namespace

std::u16string PrologueText(OutputFormat formating, int codePage, const DateTimeFields& created) {
  // RTF has no UTF-8 code page: with UTF-8 its text is ASCII with \uN
  // escapes under the Western code page.
  const std::string acp = std::to_string(codePage == 65001 ? 1252 : codePage);
  const std::string name = kParserName;
  std::string text;
  switch (formating) {
  case OutputFormat::PlainText: break;
  case OutputFormat::Rtf:
    text = "{\\rtf1\\ansi\\ansicpg" + acp + "\\uc1\r\n" + "{\\*\\generator " + name + ";}" +
           "{\\info{\\operator " + name + "}" + "{\\*\\company Quorvane Software}" +
           "{\\creatim\\" + RtfCreationTime(created) + "}" + "{\\title " + name + "}}\r\n";
    break;
  case OutputFormat::Html:
    text = "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\"\r\n"
           "content=\"text/html; charset=" +
           std::string(CharsetName(codePage)) + "\">\r\n" + "<meta name=\"GENERATOR\" content=\"" +
           name + "\">\r\n" + "<title>" + name + "</title>\r\n" + "</head>\r\n\r\n" +
           "<body bgcolor=\"#FFFFFF\">\r\n";
    break;
  }
  return std::u16string(text.begin(), text.end()); // ASCII throughout
}

std::u16string EpilogueText(OutputFormat formating) {
  switch (formating) {
  case OutputFormat::Rtf: return u"\r\n}";
  case OutputFormat::Html: return u"\r\n</body>\r\n</html>";
  default: return {};
  }
}

std::u16string_view LineBreak(OutputFormat format, BreakStyle style) {
  switch (format) {
  case OutputFormat::Rtf: return u"\r\n\\par ";
  case OutputFormat::Html: return style == BreakStyle::Html ? u"<br>\r\n" : u"<br/>";
  default: return u"\r\n";
  }
}

namespace {

template <class Char, class String>
void AppendEscapedChar(OutputFormat format, Char c, String& out) {
  if (format == OutputFormat::Html) {
    const char* entity = c == '&'   ? "&amp;"
                         : c == '<' ? "&lt;"
                         : c == '>' ? "&gt;"
                         : c == '"' ? "&quot;"
                                    : nullptr;
    if (entity != nullptr) {
      for (; *entity; ++entity)
        out += static_cast<Char>(*entity);
      return;
    }
  } else if (format == OutputFormat::Rtf && (c == '\\' || c == '{' || c == '}')) {
    out += static_cast<Char>('\\');
  }
  out += c;
}

template <class String, class View> String Escape(OutputFormat format, View text) {
  String out;
  if (format == OutputFormat::PlainText)
    return String(text);
  out.reserve(text.size());
  for (auto c : text)
    AppendEscapedChar(format, c, out);
  return out;
}

} // namespace

std::string RtfUnicodeText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += "\\u";
      out += std::to_string(static_cast<int16_t>(c));
      out += '?';
    }
  }
  return out;
}

void AppendEscaped(OutputFormat format, char16_t c, std::u16string& out) {
  AppendEscapedChar(format, c, out);
}

void AppendEscaped(OutputFormat format, char c, std::string& out) {
  AppendEscapedChar(format, c, out);
}

std::u16string EscapeText(OutputFormat format, std::u16string_view text) {
  return Escape<std::u16string>(format, text);
}

std::string EscapeText(OutputFormat format, std::string_view text) {
  return Escape<std::string>(format, text);
}

std::string HtmlFontSize(int points) {
  if (points >= 6 && points <= 7)
    return "1";
  if (points >= 8 && points <= 9)
    return "2";
  if (points >= 14 && points <= 17)
    return "4";
  if (points >= 18 && points <= 23)
    return "5";
  if (points >= 24 && points <= 35)
    return "6";
  return "-1";
}

} // namespace scrivlet
