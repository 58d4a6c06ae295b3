// Dates and times as documents and the page need them.
//
// OleDate counts days since 1899-12-30 with the time of day as the
// fraction, as the summary record stores it.  A file time counts
// 100-nanosecond intervals since 1601-01-01 UTC; a DOS date and time packs a
// local date from 1980 to 2107 with two-second resolution.
#pragma once

#include <cstdint>
#include <string_view>

namespace scrivlet {

using OleDate = double;

struct DateTimeFields {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Current local date and time.
DateTimeFields NowFields();
OleDate Now();

// Calendar fields -> OleDate; false when a field is out of range.
bool TryEncodeDateTime(const DateTimeFields& fields, OleDate& value);
// OleDate -> calendar fields (milliseconds rounded).
DateTimeFields DecodeDateTime(OleDate value);

// File time (UTC) -> local calendar fields; false when it cannot be
// represented.
bool FileTimeToLocalFields(uint64_t fileTime, DateTimeFields& local);

// Local calendar fields <-> packed DOS date and time.  Packing fails for
// years outside 1980..2107; unpacking fails for an invalid packed value.
bool FieldsToDosDateTime(const DateTimeFields& fields, uint16_t& dosDate, uint16_t& dosTime);
bool DosDateTimeToDateTime(uint16_t dosDate, uint16_t dosTime, OleDate& value);

// "YYYY-MM-DDTHH:MM:SS" (anything after the seconds ignored) as a date-time
// value; 0 for an empty or invalid stamp.
OleDate XmlDateToDateTime(std::u16string_view text);

} // namespace scrivlet
