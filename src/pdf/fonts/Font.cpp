#include "pdf/fonts/Font.h"
#include "core/Utf8.h"

#include "core/CodePage.h"
#include "pdf/fonts/BaseEncoding.h"
#include "pdf/fonts/CffEncoding.h"
#include "pdf/fonts/CharacterCollections.h"
#include "pdf/fonts/GlyphNames.h"
#include "pdf/fonts/StandardFonts.h"
#include "pdf/fonts/Type1Encoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace scrivlet::pdf {
namespace {

constexpr int kSymbolicFlag = 4;
constexpr double kUnknownWidth = 0.5; // half an em

bool IsSymbolic(const FontDescription& description, const StandardFontMetrics* standard) {
  if (description.flags & kSymbolicFlag)
    return true;
  return description.flags == 0 && standard && IsSymbolicStandardFont(*standard);
}

// Appends a code's text; when the string is spaced, a blank goes before it
// unless one is already there.
void AppendCodeText(ShownText& out, std::u16string_view text) {
  if (out.spaced && !text.empty() && !out.text.empty() && out.text.back() != u' ' &&
      text.front() != u' ')
    out.text += u' ';
  out.text += text;
}

} // namespace

std::unique_ptr<Font> Font::Create(const FontDescription& description, const FontContext& context) {
  auto font = std::unique_ptr<Font>(new Font());
  std::shared_ptr<const CMap> toUnicode = description.toUnicodeMap;
  if (!toUnicode && !description.toUnicode.empty())
    toUnicode = std::make_shared<const CMap>(CMap::Parse(description.toUnicode));
  if (toUnicode && toUnicode->HasUnicode())
    font->FToUnicode = std::move(toUnicode);
  if (description.subtype == "Type0") {
    font->FComposite = true;
    font->SetUpComposite(description, context.collections);
  } else {
    font->SetUpSimpleText(description, context.legacyCodePage);
    font->SetUpSimpleWidths(description);
  }
  return font;
}

void Font::SetUpSimpleText(const FontDescription& description, int legacyCodePage) {
  const StandardFontMetrics* standard = FindStandardFont(description.baseFont);
  BaseEncoding base = BaseEncodingFromName(description.encodingName);
  bool hasEncoding = base != BaseEncoding::None || description.hasEncodingDictionary ||
                     (description.differences && !description.differences->empty());
  bool symbolic = IsSymbolic(description, standard);
  std::optional<Type1Encoding> builtIn;
  if (base == BaseEncoding::None && !description.type1Program.empty())
    builtIn = ReadType1Encoding(description.type1Program);
  if (base == BaseEncoding::None && !builtIn && !description.cffProgram.empty())
    builtIn = ReadCffEncoding(description.cffProgram);
  if (base == BaseEncoding::None && standard && std::string_view(standard->name) == "Symbol")
    base = BaseEncoding::Symbol;

  for (int code = 0; code < 256; ++code) {
    std::u16string& text = FCodeText[code];
    auto byte = static_cast<unsigned char>(code);
    if (base != BaseEncoding::None) {
      if (char16_t c = EncodedCharacter(base, byte))
        text = c;
    } else if (builtIn && !builtIn->standard) {
      text = GlyphNameToText(builtIn->names[code]);
    } else if (!hasEncoding && legacyCodePage != 0) {
      if (code >= 0x20)
        text = AnsiToWide(std::string(1, static_cast<char>(byte)), legacyCodePage);
    } else if (symbolic && !builtIn) {
      if (code >= 0x20)
        text = static_cast<char16_t>(code);
    } else if (char16_t c = EncodedCharacter(BaseEncoding::Standard, byte)) {
      text = c;
    }
  }
  for (const auto& [code, name] :
       description.differences ? *description.differences : GlyphDifferences{}) {
    if (code < 0 || code > 255)
      continue;
    std::u16string named = GlyphNameToText(name);
    if (!named.empty())
      FCodeText[code] = std::move(named);
  }
}

void Font::SetUpSimpleWidths(const FontDescription& description) {
  const StandardFontMetrics* standard =
      description.hasWidths ? nullptr : FindStandardFont(description.baseFont);
  double scale = description.subtype == "Type3" ? std::abs(description.fontMatrixA) : 0.001;
  if (!std::isfinite(scale) || scale == 0 || scale > 1)
    scale = 0.001;
  for (int code = 0; code < 256; ++code) {
    double width = kUnknownWidth;
    if (description.hasWidths) {
      long index = static_cast<long>(code) - description.firstChar;
      width = index >= 0 && index < static_cast<long>(description.widths.size())
                  ? description.widths[index] * scale
                  : description.missingWidth * scale;
    } else if (standard) {
      unsigned units = 0;
      if (IsSymbolicStandardFont(*standard))
        units = StandardWidthOfCode(*standard, static_cast<unsigned char>(code));
      else if (FCodeText[code].size() == 1)
        units = StandardWidthOfCharacter(*standard, FCodeText[code][0]);
      if (units)
        width = units / 1000.0;
    }
    if (!std::isfinite(width) || std::abs(width) > 100)
      width = kUnknownWidth;
    FCodeWidth[code] = width;
  }
}

void Font::SetUpComposite(const FontDescription& description, CharacterCollections* collections) {
  if (description.encodingCMapText.find("begincodespacerange") != std::string::npos ||
      description.encodingCMapText.find("begincid") != std::string::npos) {
    CMap map = CMap::Parse(description.encodingCMapText);
    // An embedded CMap that only extends a predefined one keeps its reading.
    if (!map.HasCodeSpace() && !map.UseCMap().empty())
      FPredefined = PredefinedCMap::Find(map.UseCMap());
    else
      FEncodingCMap = std::move(map);
  } else {
    FPredefined = PredefinedCMap::Find(description.encodingCMapText);
  }
  FVertical = FEncodingCMap ? description.encodingCMapText.find("/WMode 1") != std::string::npos
                            : FPredefined.IsVertical();
  FDefaultWidth = description.defaultCidWidth / 1000.0;
  if (!std::isfinite(FDefaultWidth) || std::abs(FDefaultWidth) > 100)
    FDefaultWidth = 1;
  FCidWidths = description.cidWidths;
  FCidToGid = description.cidToGidMap;
  if (!description.trueTypeProgram.empty())
    FGlyphCharacters = TrueTypeCmap::Read(description.trueTypeProgram);
  FCollections = collections;
  FCollectionName = description.collection;
}

void Font::Decode(std::string_view bytes, ShownText& out) const {
  if (FComposite)
    DecodeComposite(bytes, out);
  else
    DecodeSimple(bytes, out);
}

void Font::DecodeSimple(std::string_view bytes, ShownText& out) const {
  for (char b : bytes) {
    auto code = static_cast<unsigned char>(b);
    std::optional<std::u16string> mapped;
    if (FToUnicode)
      mapped = FToUnicode->Text({code, 1});
    AppendCodeText(out, mapped ? *mapped : FCodeText[code]);
    out.width += FCodeWidth[code];
    ++out.codes;
    if (code == 32)
      ++out.spaces;
  }
}

CharCode Font::ReadCompositeCode(std::string_view bytes, size_t pos) const {
  if (FEncodingCMap)
    return FEncodingCMap->ReadCode(bytes, pos, 2);
  if (FPredefined.GetKind() != PredefinedCMap::Kind::Unknown)
    return FPredefined.ReadCode(bytes, pos);
  if (FToUnicode && FToUnicode->HasCodeSpace())
    return FToUnicode->ReadCode(bytes, pos, 2);
  size_t length = std::min<size_t>(2, bytes.size() - pos);
  uint32_t value = 0;
  for (size_t i = 0; i < length; ++i)
    value = value << 8 | static_cast<uint8_t>(bytes[pos + i]);
  return {value, static_cast<uint8_t>(length)};
}

std::optional<uint32_t> Font::CidOf(CharCode code) const {
  if (FEncodingCMap)
    return FEncodingCMap->Cid(code);
  switch (FPredefined.GetKind()) {
  case PredefinedCMap::Kind::Identity:
  case PredefinedCMap::Kind::Unknown: return code.value;
  default: return std::nullopt; // the code's CID needs the CMap file
  }
}

void Font::AppendCompositeText(CharCode code, std::optional<uint32_t> cid,
                               std::u16string& text) const {
  if (FToUnicode)
    if (auto mapped = FToUnicode->Text(code)) {
      text += *mapped;
      return;
    }
  switch (FPredefined.GetKind()) {
  case PredefinedCMap::Kind::Utf16:
  case PredefinedCMap::Kind::CodePage:
  case PredefinedCMap::Kind::Charset: text += FPredefined.Text(code); return;
  default: break;
  }
  if (!cid)
    return;
  if (!FGlyphCharacters.Empty()) {
    uint32_t glyph = *cid;
    if (!FCidToGid.empty()) {
      size_t at = size_t{*cid} * 2;
      glyph = at + 1 < FCidToGid.size() ? static_cast<uint8_t>(FCidToGid[at]) << 8 |
                                              static_cast<uint8_t>(FCidToGid[at + 1])
                                        : 0;
    }
    if (char32_t c = FGlyphCharacters.CharacterOfGlyph(glyph)) {
      AppendCodePoint(text, c);
      return;
    }
  }
  if (!FCollectionRead) {
    FCollectionRead = true;
    if (FCollections && !FCollectionName.empty())
      FCollection = FCollections->UnicodeMap(FCollectionName);
  }
  if (FCollection && *cid <= 0xFFFF)
    if (auto mapped = FCollection->Text({*cid, 2}))
      if (*mapped != u"\xFFFD")
        text += *mapped;
}

double Font::CidWidth(std::optional<uint32_t> cid) const {
  if (!cid || !FCidWidths)
    return FDefaultWidth;
  return FCidWidths->Width(*cid).value_or(FDefaultWidth);
}

void Font::DecodeComposite(std::string_view bytes, ShownText& out) const {
  for (size_t pos = 0; pos < bytes.size();) {
    CharCode code = ReadCompositeCode(bytes, pos);
    pos += std::max<size_t>(1, code.length);
    std::optional<uint32_t> cid = CidOf(code);
    std::u16string text;
    AppendCompositeText(code, cid, text);
    AppendCodeText(out, text);
    out.width += CidWidth(cid);
    ++out.codes;
    if (code.length == 1 && code.value == 32)
      ++out.spaces;
  }
}

} // namespace scrivlet::pdf
