#include "core/DocumentReader.h"

#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Process.h"
#include "core/Stream.h"

namespace scrivlet {

// ---------------------------------------------------------------- TextLines

int TextLines::Add(std::u16string text) {
  FItems.push_back(std::move(text));
  return Count() - 1;
}

void TextLines::Insert(int index, std::u16string text) {
  if (index < 0 || index > Count())
    throw ListIndexError("WideStrings index out of bounds");
  FItems.insert(FItems.begin() + index, std::move(text));
}

std::u16string TextLines::Get(int index) const {
  if (index < 0 || index >= Count())
    return {};
  return FItems[static_cast<size_t>(index)];
}

std::u16string TextLines::GetTextW() const {
  size_t length = 0;
  for (const auto& item : FItems)
    length += item.size() + 2;
  std::u16string text;
  text.reserve(length);
  for (const auto& item : FItems) {
    text += item;
    text += u"\r\n";
  }
  return text;
}

std::string TextLines::GetText() const {
  return WideToAnsi(GetTextW());
}

// ------------------------------------------------------ prologue and epilogue

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

std::u16string PrologueText(OutputFormat formating, int codePage,
                            const DateTimeFields& created) {
  const std::string acp = std::to_string(codePage);
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
           "content=\"text/html; charset=windows-" +
           acp + "\">\r\n" + "<meta name=\"GENERATOR\" content=\"" + name + "\">\r\n" + "<title>" +
           name + "</title>\r\n" + "</head>\r\n\r\n" + "<body bgcolor=\"#FFFFFF\">\r\n";
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

// ------------------------------------------------------------ DocumentReader

void DocumentReader::Clear() {
  FLines.Clear();
  FTextLimited = false;
  FOutputCharacters = 0;
}

void DocumentReader::CountOutput(size_t characters) {
  FOutputCharacters += characters;
  if (FOutputCharacters > FLimits.outputCharacters)
    throw LimitExceeded("output characters", FLimits.outputCharacters);
}

void DocumentReader::AddText(std::u16string text, TextLines& list) {
  CountOutput(text.size());
  list.Add(std::move(text));
  if (FMaxTextLength <= 0)
    return;
  FTextLimited = true;
  // The joined list cut to the limit becomes the only entry.  The cut is
  // made on the wide text, so characters outside the system code page
  // survive it.
  std::u16string joined = list.GetTextW();
  if (joined.size() > static_cast<size_t>(FMaxTextLength))
    joined.resize(static_cast<size_t>(FMaxTextLength));
  list.Clear();
  list.Add(std::move(joined));
}

void DocumentReader::LoadFromStream(Stream& stream) {
  ParseStream(stream);
}

void DocumentReader::ParseStream(Stream& /*stream*/) {
  Clear();
}

void DocumentReader::LoadFromBlobStream(Stream& stream) {
  char signature[12];
  stream.ReadBuffer(signature, sizeof signature);
  if (std::string_view(signature, 4) != "BDOC")
    stream.Seek(-12, SeekOrigin::Current);
  LoadFromStream(stream);
}

void DocumentReader::LoadFromFile(const std::u16string& fileName) {
  std::string name = WideToAnsi(fileName);
  if (!FileExists(name))
    throw Exception("File %s is not found.", {name});
}

void DocumentReader::ParseFile(const std::u16string& fileName) {
  DocumentReader::LoadFromFile(fileName);
  FileStream file(WideToAnsi(fileName));
  file.SetPosition(0);
  ParseStream(file);
}

std::u16string DocumentReader::ConvertSysChar(SpecialChar kind, const std::u16string& value,
                                                std::u16string result) {
  if (OnConvertSysChar)
    OnConvertSysChar(*this, kind, value, result);
  return result;
}

std::u16string DocumentReader::GetHeaderText() {
  std::u16string text = PrologueText(FTextFormating, SystemCodePage(), NowFields());
  if (OnBeforeText)
    OnBeforeText(*this, text);
  return text;
}

std::u16string DocumentReader::GetFooterText() {
  std::u16string text = EpilogueText(FTextFormating);
  if (OnAfterText)
    OnAfterText(*this, text);
  return text;
}

} // namespace scrivlet
