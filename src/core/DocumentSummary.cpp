#include "core/DocumentSummary.h"

#include "core/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace scrivlet {
namespace {

using S = DocumentSummary;

constexpr uint64_t kFileTimeTicksPerMinute = 600'000'000;

uint64_t FileTimeOf(std::string_view value) {
  uint64_t fileTime = 0;
  for (size_t i = 0; i < 8 && i < value.size(); ++i)
    fileTime |= static_cast<uint64_t>(static_cast<uint8_t>(value[i])) << (8 * i);
  return fileTime;
}

int32_t IntegerOf(std::string_view value) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && i < value.size(); ++i)
    v |= static_cast<uint32_t>(static_cast<uint8_t>(value[i])) << (8 * i);
  return static_cast<int32_t>(v);
}

// File time -> local time -> DOS date and time (1980..2107, two seconds)
// -> date-time value; 0 when any step fails.
OleDate DateOf(std::string_view value) {
  DateTimeFields local;
  uint16_t dosDate = 0, dosTime = 0;
  OleDate result = 0;
  if (!FileTimeToLocalFields(FileTimeOf(value), local) ||
      !FieldsToDosDateTime(local, dosDate, dosTime) ||
      !DosDateTimeToDateTime(dosDate, dosTime, result))
    return 0;
  return result;
}

} // namespace

const std::array<S::Property, 28>& S::Properties() {
  static const std::array<Property, 28> properties = {{
      {"AppName", 18, 0, &S::AppName},
      {"Author", 4, 0, &S::Author},
      {"CharCount", 16, 0, &S::CharCount},
      {"Comments", 6, 0, &S::Comments},
      {"Created", 12, 0, &S::Created},
      {"EditTime", 10, 0, &S::EditTime},
      {"Keywords", 5, 0, &S::Keywords},
      {"LastAuthor", 8, 0, &S::LastAuthor},
      {"LastPrinted", 11, 0, &S::LastPrinted},
      {"LastSaved", 13, 0, &S::LastSaved},
      {"PageCount", 14, 0, &S::PageCount},
      {"RevNumber", 9, 0, &S::RevNumber},
      {"Subject", 3, 0, &S::Subject},
      {"Template", 7, 0, &S::Template},
      {"Title", 2, 0, &S::Title},
      {"WordCount", 15, 0, &S::WordCount},
      {"Category", 0, 2, &S::Category},
      {"PresentationTarget", 0, 3, &S::PresentationTarget},
      {"ByteCount", 0, 4, &S::ByteCount},
      {"LineCount", 0, 5, &S::LineCount},
      {"ParagraphCount", 0, 6, &S::ParagraphCount},
      {"SlideCount", 0, 7, &S::SlideCount},
      {"NoteCount", 0, 8, &S::NoteCount},
      {"HiddenSlideCount", 0, 9, &S::HiddenSlideCount},
      {"MMClipCount", 0, 10, &S::MMClipCount},
      {"Manager", 0, 14, &S::Manager},
      {"Company", 0, 15, &S::Company},
      {"CharCount2", 0, 17, &S::CharCount2},
  }};
  return properties;
}

void S::SetText(uint32_t id, std::u16string_view text, bool documentSummary) {
  if (id == 0)
    return;
  for (const Property& property : Properties())
    if ((documentSummary ? property.documentSummaryId : property.summaryId) == id)
      if (auto* field = std::get_if<std::u16string S::*>(&property.field)) {
        this->*(*field) = std::u16string(text.substr(0, text.find(u'\0')));
        return;
      }
}

void S::SetProperty(uint32_t id, std::string_view value, bool documentSummary) {
  if (id == 0)
    return;
  const auto& properties = Properties();
  auto property = std::find_if(properties.begin(), properties.end(), [&](const Property& p) {
    return (documentSummary ? p.documentSummaryId : p.summaryId) == id;
  });
  if (property == properties.end())
    return;
  if (auto* text = std::get_if<std::u16string S::*>(&property->field)) {
    this->*(*text) = Utf8ToUtf16(value.substr(0, value.find('\0')));
  } else if (auto* date = std::get_if<OleDate S::*>(&property->field)) {
    this->*(*date) = DateOf(value);
  } else if (auto* number = std::get_if<int32_t S::*>(&property->field)) {
    // The editing time is a duration in file-time units, kept in minutes.
    this->*(*number) = *number == &S::EditTime
                           ? static_cast<int32_t>(std::min<uint64_t>(
                                 FileTimeOf(value) / kFileTimeTicksPerMinute, INT32_MAX))
                           : IntegerOf(value);
  }
}

} // namespace scrivlet
