#include "core/DateTime.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <string>

namespace scrivlet {
namespace {

constexpr int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 0001-01-01 to the given date (proleptic Gregorian calendar).
int64_t DayNumber(int year, int month, int day) {
  int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m)
    days += DaysInMonth(year, m);
  return days + day - 1;
}

const int64_t kDayNumberOf18991230 = DayNumber(1899, 12, 30);

DateTimeFields FieldsFromTm(const std::tm& tm, int millisecond) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
          tm.tm_min,         tm.tm_sec,     millisecond};
}

} // namespace

DateTimeFields NowFields() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  return FieldsFromTm(local, static_cast<int>(ms.count()));
}

OleDate Now() {
  OleDate value = 0;
  TryEncodeDateTime(NowFields(), value);
  return value;
}

bool TryEncodeDateTime(const DateTimeFields& f, OleDate& value) {
  if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > DaysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
      f.minute > 59 || f.second < 0 || f.second > 59 || f.millisecond < 0 || f.millisecond > 999)
    return false;
  double days = static_cast<double>(DayNumber(f.year, f.month, f.day) - kDayNumberOf18991230);
  double time =
      (f.hour * 3600000.0 + f.minute * 60000.0 + f.second * 1000.0 + f.millisecond) / 86400000.0;
  // Before 1899-12-30 the fraction counts forwards from the (negative) day.
  value = days >= 0 ? days + time : days - time;
  return true;
}

DateTimeFields DecodeDateTime(OleDate value) {
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
    return {};
  double whole = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
  int64_t day = static_cast<int64_t>(whole) + kDayNumberOf18991230;
  if (ms >= 86400000) {
    ms -= 86400000;
    day += 1;
  }
  DateTimeFields f;
  if (!std::isfinite(value) || day < 0 || day > DayNumber(9999, 12, 31))
    return f;
  // Walk years and months from the day number; at most 400-year steps.
  int64_t cycles = day / 146097;
  day -= cycles * 146097;
  int year = static_cast<int>(cycles * 400) + 1;
  while (day >= (IsLeapYear(year) ? 366 : 365)) {
    day -= IsLeapYear(year) ? 366 : 365;
    ++year;
  }
  int month = 1;
  while (day >= DaysInMonth(year, month)) {
    day -= DaysInMonth(year, month);
    ++month;
  }
  f.year = year;
  f.month = month;
  f.day = static_cast<int>(day) + 1;
  f.hour = static_cast<int>(ms / 3600000);
  f.minute = static_cast<int>(ms / 60000 % 60);
  f.second = static_cast<int>(ms / 1000 % 60);
  f.millisecond = static_cast<int>(ms % 1000);
  return f;
}

bool FileTimeToLocalFields(uint64_t fileTime, DateTimeFields& local) {
  int64_t seconds =
      static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond) - kSecondsFrom1601To1970;
  int millisecond = static_cast<int>(fileTime % kFileTimeTicksPerSecond / 10'000);
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr)
    return false;
  local = FieldsFromTm(tm, millisecond);
  return true;
}

bool FieldsToDosDateTime(const DateTimeFields& f, uint16_t& dosDate, uint16_t& dosTime) {
  if (f.year < 1980 || f.year > 2107)
    return false;
  dosDate = static_cast<uint16_t>((f.year - 1980) << 9 | f.month << 5 | f.day);
  dosTime = static_cast<uint16_t>(f.hour << 11 | f.minute << 5 | f.second / 2);
  return true;
}

bool DosDateTimeToDateTime(uint16_t dosDate, uint16_t dosTime, OleDate& value) {
  DateTimeFields f;
  f.year = (dosDate >> 9) + 1980;
  f.month = dosDate >> 5 & 0x0F;
  f.day = dosDate & 0x1F;
  f.hour = dosTime >> 11;
  f.minute = dosTime >> 5 & 0x3F;
  f.second = (dosTime & 0x1F) * 2;
  return TryEncodeDateTime(f, value);
}

namespace {

// A whole number of optional sign and decimal digits.
std::optional<int> FieldValue(std::u16string_view field) {
  std::string ascii;
  for (char16_t c : field) {
    if (c > 0x7F)
      return std::nullopt;
    ascii += static_cast<char>(c);
  }
  std::string_view digits = ascii;
  if (!digits.empty() && digits.front() == '+')
    digits.remove_prefix(1);
  int value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return value;
}

std::u16string_view Field(std::u16string_view text, size_t start, size_t length) {
  return start < text.size() ? text.substr(start, length) : std::u16string_view();
}

} // namespace

OleDate XmlDateToDateTime(std::u16string_view text);

OleDate XmlDateToDateTime(std::u16string_view text) {
  if (text.empty())
    return 0;
  auto year = FieldValue(Field(text, 0, 4)), month = FieldValue(Field(text, 5, 2)),
       day = FieldValue(Field(text, 8, 2)), hour = FieldValue(Field(text, 11, 2)),
       minute = FieldValue(Field(text, 14, 2)), second = FieldValue(Field(text, 17, 2));
  if (!year || !month || !day || !hour || !minute || !second)
    return 0;
  OleDate value = 0;
  if (!TryEncodeDateTime({*year, *month, *day, *hour, *minute, *second, 0}, value))
    return 0;
  return value;
}

} // namespace scrivlet
