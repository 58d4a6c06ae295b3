// The predefined CMaps a composite font can name as its "/Encoding" and that
// carry their characters in the codes themselves:
//   Identity-H/V                      two-byte codes that are CIDs
//   Uni*-UCS2-H/V, Uni*-UTF16-H/V     UTF-16BE codes
//   90ms-RKSJ-H/V, 90msp-RKSJ-H,      Windows code pages 932, 936, 949 and
//   GBK-EUC-H/V, ETen-B5-H/V,         950
//   KSCms-UHC-H, KSCms-UHC-HW-H/V
//   H, V (JIS X 0208), EUC-H/V,       the national double-byte charsets, read
//   GB-EUC-H/V, GBpc-EUC-H,           through iconv
//   GBKp-EUC-H, KSC-EUC-H, B5pc-H/V
// Names are compared ignoring letter case.
#pragma once

#include "pdf/fonts/CMap.h"

#include <memory>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

class PredefinedCMap {
public:
  enum class Kind { Unknown, Identity, Utf16, CodePage, Charset };

  // The CMap of a name (with or without its "/"); Kind::Unknown for others.
  static PredefinedCMap Find(std::string_view name);

  PredefinedCMap();
  ~PredefinedCMap();
  PredefinedCMap(PredefinedCMap&&) noexcept;
  PredefinedCMap& operator=(PredefinedCMap&&) noexcept;

  Kind GetKind() const { return FKind; }
  bool IsVertical() const { return FVertical; }
  int CodePage() const { return FCodePage; }

  // The code at bytes[pos] (pos < bytes.size()).
  CharCode ReadCode(std::string_view bytes, size_t pos) const;
  // The characters of a code; empty when the code stands for none (and for
  // Identity, whose codes are glyph numbers, not characters).
  std::u16string Text(CharCode code) const;

private:
  class Charset;

  Kind FKind = Kind::Unknown;
  bool FVertical = false;
  int FCodePage = 0;
  std::string FCharsetName;
  mutable std::unique_ptr<Charset> FCharset; // opened on first use
};

} // namespace scrivlet::pdf
