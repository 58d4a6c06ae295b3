#include "pdf/fonts/FontRecordKey.h"

#include "pdf/fonts/StandardFonts.h"

#include <cstring>

namespace scrivlet::pdf {
namespace {

void AddText(std::string& key, std::string_view text) {
  key += std::to_string(text.size());
  key += ':';
  key += text;
}

template <class Value> void AddValue(std::string& key, const Value& value) {
  char bytes[sizeof(Value)];
  std::memcpy(bytes, &value, sizeof(Value));
  key.append(bytes, sizeof(Value));
}

} // namespace

std::optional<std::string> FontRecordKey(const FontDescription& description) {
  if (!description.type1Program.empty() || !description.cffProgram.empty() ||
      !description.trueTypeProgram.empty() || !description.cidToGidMap.empty() ||
      !description.encodingCMapText.empty() || !description.toUnicode.empty())
    return std::nullopt;
  std::string key;
  // The record reads the base font only for its standard metrics.
  const StandardFontMetrics* standard = FindStandardFont(description.baseFont);
  AddValue(key, standard);
  AddText(key, description.subtype);
  AddText(key, description.encodingName);
  AddText(key, description.collection);
  // Shared arrays and maps are one object for every font that names them.
  AddValue(key, description.differences.get());
  AddValue(key, description.toUnicodeMap.get());
  AddValue(key, description.cidWidths.get());
  AddValue(key, description.hasEncodingDictionary);
  AddValue(key, description.hasWidths);
  AddValue(key, description.firstChar);
  AddValue(key, description.missingWidth);
  AddValue(key, description.fontMatrixA);
  AddValue(key, description.defaultCidWidth);
  AddValue(key, description.flags);
  AddValue(key, description.widths.size());
  for (double width : description.widths)
    AddValue(key, width);
  return key;
}

} // namespace scrivlet::pdf
