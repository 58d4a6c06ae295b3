#include "pdf/fonts/BaseEncoding.h"

#include "pdf/fonts/BaseEncodingTables.h"

#include <cctype>

namespace scrivlet::pdf {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

} // namespace

BaseEncoding BaseEncodingFromName(std::string_view name) {
  if (!name.empty() && name[0] == '/')
    name.remove_prefix(1);
  if (EqualsIgnoringCase(name, "WinAnsiEncoding"))
    return BaseEncoding::WinAnsi;
  if (EqualsIgnoringCase(name, "MacRomanEncoding"))
    return BaseEncoding::MacRoman;
  if (EqualsIgnoringCase(name, "StandardEncoding"))
    return BaseEncoding::Standard;
  if (EqualsIgnoringCase(name, "PDFDocEncoding"))
    return BaseEncoding::PdfDoc;
  return BaseEncoding::None;
}

char16_t EncodedCharacter(BaseEncoding encoding, unsigned char code) {
  switch (encoding) {
  case BaseEncoding::Standard: return kStandardEncoding[code];
  case BaseEncoding::MacRoman: return kMacRomanEncoding[code];
  case BaseEncoding::WinAnsi: return kWinAnsiEncoding[code];
  case BaseEncoding::PdfDoc: return kPdfDocEncoding[code];
  case BaseEncoding::Symbol: return kSymbolEncoding[code];
  case BaseEncoding::None: break;
  }
  return 0;
}

} // namespace scrivlet::pdf
