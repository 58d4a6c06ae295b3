#include "core/LegacyReader.h"

#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Process.h"
#include "core/Stream.h"

namespace scrivlet {

// ------------------------------------------------------------ LegacyReader

void LegacyReader::Clear() {
  FLines.Clear();
  FTextLimited = false;
  FOutputCharacters = 0;
}

void LegacyReader::CountOutput(size_t characters) {
  FOutputCharacters += characters;
  if (FOutputCharacters > FLimits.outputCharacters)
    throw LimitExceeded("output characters", FLimits.outputCharacters);
}

void LegacyReader::AddText(std::u16string text, TextLines& list) {
  CountOutput(text.size());
  if (FMaxTextLength <= 0) {
    list.Add(std::move(text));
    return;
  }
  FTextLimited = true;
  // The joined list cut to the limit becomes the only entry.  The cut is
  // made on the wide text, so characters outside the system code page
  // survive it.
  const size_t limit = static_cast<size_t>(FMaxTextLength);
  if (list.Count() == 1) {
    // The usual case: the list already is one joined entry, which the new
    // text extends in place (joining it again on every call would make a
    // long document quadratic).
    std::u16string& joined = list.Entry(0);
    if (joined.size() >= limit) {
      joined.resize(limit);
      return;
    }
    joined += u"\r\n";
    joined += text;
    joined += u"\r\n";
    if (joined.size() > limit)
      joined.resize(limit);
    return;
  }
  list.Add(std::move(text));
  std::u16string joined = list.GetTextW();
  if (joined.size() > limit)
    joined.resize(limit);
  list.Clear();
  list.Add(std::move(joined));
}

void LegacyReader::LoadFromStream(Stream& stream) {
  ParseStream(stream);
}

void LegacyReader::ParseStream(Stream& /*stream*/) {
  Clear();
}

void LegacyReader::LoadFromBlobStream(Stream& stream) {
  char signature[12];
  stream.ReadBuffer(signature, sizeof signature);
  if (std::string_view(signature, 4) != "BDOC")
    stream.Seek(-12, SeekOrigin::Current);
  LoadFromStream(stream);
}

void LegacyReader::LoadFromFile(const std::string& fileName) {
  if (!FileExists(fileName))
    throw Exception("File %s is not found.", {fileName});
}

std::string LegacyReader::ReadWholeFile(const std::string& fileName) {
  if (FFileBytes && FFileBytes->first == fileName) {
    std::string bytes = std::move(FFileBytes->second);
    FFileBytes.reset();
    return bytes;
  }
  LegacyReader::LoadFromFile(fileName);
  FileStream file(fileName);
  return file.ReadAllBytes();
}

void LegacyReader::ParseFile(const std::string& fileName) {
  MemoryStream bytes(ReadWholeFile(fileName));
  ParseStream(bytes);
}

std::u16string LegacyReader::ConvertSysChar(SpecialChar kind, const std::u16string& value,
                                              std::u16string result) {
  if (OnConvertSysChar)
    OnConvertSysChar(*this, kind, value, result);
  return result;
}

std::u16string LegacyReader::GetHeaderText() {
  // Only the RTF prologue carries a time: plain text and HTML never read the
  // clock or the time zone.
  DateTimeFields created = FTextFormating == OutputFormat::Rtf ? NowFields() : DateTimeFields{};
  std::u16string text = PrologueText(FTextFormating, SystemCodePage(), created);
  if (OnBeforeText)
    OnBeforeText(*this, text);
  return text;
}

std::u16string LegacyReader::GetFooterText() {
  std::u16string text = EpilogueText(FTextFormating);
  if (OnAfterText)
    OnAfterText(*this, text);
  return text;
}

} // namespace scrivlet
