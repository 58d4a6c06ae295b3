#include "pdf/fonts/PredefinedCMap.h"

#include "core/CodePage.h"

#include <array>
#include <cctype>
#include <iconv.h>

namespace scrivlet::pdf {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

struct NamedCodePage {
  const char* name;
  int codePage;
};

constexpr std::array<NamedCodePage, 10> kCodePageCMaps{{
    {"gbk-euc-h", 936},
    {"gbk-euc-v", 936},
    {"eten-b5-h", 950},
    {"eten-b5-v", 950},
    {"90ms-rksj-h", 932},
    {"90ms-rksj-v", 932},
    {"90msp-rksj-h", 932},
    {"kscms-uhc-h", 949},
    {"kscms-uhc-hw-h", 949},
    {"kscms-uhc-hw-v", 949},
}};

struct NamedCharset {
  const char* name;
  const char* charset;
};

constexpr std::array<NamedCharset, 12> kCharsetCMaps{{
    {"h", "EUC-JP"}, // JIS X 0208 codes, 0x8080 added
    {"v", "EUC-JP"},
    {"euc-h", "EUC-JP"},
    {"euc-v", "EUC-JP"},
    {"gb-euc-h", "GB2312"},
    {"gb-euc-v", "GB2312"},
    {"gbpc-euc-h", "GB2312"},
    {"gbkp-euc-h", "GBK"},
    {"ksc-euc-h", "EUC-KR"},
    {"ksc-euc-v", "EUC-KR"},
    {"b5pc-h", "BIG5"},
    {"b5pc-v", "BIG5"},
}};

bool IsLeadByte(int codePage, uint8_t b) {
  if (codePage == 932)
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return b >= 0x81 && b <= 0xFE;
}

} // namespace

// A conversion descriptor from a national charset to UTF-16LE.
class PredefinedCMap::Charset {
public:
  explicit Charset(const std::string& name) : FHandle(iconv_open("UTF-16LE", name.c_str())) {}
  ~Charset() {
    if (Valid())
      iconv_close(FHandle);
  }
  Charset(const Charset&) = delete;
  Charset& operator=(const Charset&) = delete;

  bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }

  std::u16string Decode(std::string_view bytes) {
    if (!Valid())
      return {};
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    char16_t out[8];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof(out);
    if (iconv(FHandle, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
      return {};
    return std::u16string(out, (sizeof(out) - outLeft) / 2);
  }

private:
  iconv_t FHandle;
};

PredefinedCMap::PredefinedCMap() = default;
PredefinedCMap::~PredefinedCMap() = default;
PredefinedCMap::PredefinedCMap(PredefinedCMap&&) noexcept = default;
PredefinedCMap& PredefinedCMap::operator=(PredefinedCMap&&) noexcept = default;

PredefinedCMap PredefinedCMap::Find(std::string_view name) {
  if (!name.empty() && name[0] == '/')
    name.remove_prefix(1);
  std::string lower = Lower(name);
  PredefinedCMap map;
  map.FVertical = EndsWith(lower, "-v") || lower == "v";
  if (lower == "identity-h" || lower == "identity-v") {
    map.FKind = Kind::Identity;
  } else if (lower.rfind("uni", 0) == 0 &&
             (EndsWith(lower, "-ucs2-h") || EndsWith(lower, "-ucs2-v") ||
              EndsWith(lower, "-utf16-h") || EndsWith(lower, "-utf16-v"))) {
    map.FKind = Kind::Utf16;
  } else {
    for (const NamedCodePage& entry : kCodePageCMaps)
      if (lower == entry.name) {
        map.FKind = Kind::CodePage;
        map.FCodePage = entry.codePage;
      }
    for (const NamedCharset& entry : kCharsetCMaps)
      if (lower == entry.name) {
        map.FKind = Kind::Charset;
        map.FCharsetName = entry.charset;
        map.FCodePage = lower == "h" || lower == "v" ? -1 : 0; // -1: JIS X 0208 codes
      }
  }
  return map;
}

CharCode PredefinedCMap::ReadCode(std::string_view bytes, size_t pos) const {
  size_t left = bytes.size() - pos;
  auto take = [&](size_t length) {
    length = std::min(length, left);
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i)
      value = value << 8 | static_cast<uint8_t>(bytes[pos + i]);
    return CharCode{value, static_cast<uint8_t>(length)};
  };
  auto first = static_cast<uint8_t>(bytes[pos]);
  switch (FKind) {
  case Kind::Identity: return take(2);
  case Kind::Utf16:
    if (first >= 0xD8 && first <= 0xDB && left >= 4)
      return take(4);
    return take(2);
  case Kind::CodePage: return take(IsLeadByte(FCodePage, first) ? 2 : 1);
  case Kind::Charset:
    if (FCodePage == -1)
      return take(2);
    if (FCharsetName == "EUC-JP" && first == 0x8F)
      return take(3);
    if (FCharsetName == "EUC-JP" && first == 0x8E)
      return take(2);
    if (FCharsetName == "GBK")
      return take(first >= 0x81 && first <= 0xFE ? 2 : 1);
    return take(first >= 0xA1 && first <= 0xFE ? 2 : 1);
  case Kind::Unknown: break;
  }
  return take(1);
}

std::u16string PredefinedCMap::Text(CharCode code) const {
  std::string bytes;
  for (int shift = (code.length - 1) * 8; shift >= 0; shift -= 8)
    bytes += static_cast<char>(code.value >> shift & 0xFF);
  switch (FKind) {
  case Kind::Utf16: {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) << 8 |
                                    static_cast<uint8_t>(bytes[i + 1]));
    return text;
  }
  case Kind::CodePage: return AnsiToWide(bytes, FCodePage);
  case Kind::Charset: {
    if (FCodePage == -1)
      for (char& b : bytes)
        b = static_cast<char>(b | 0x80);
    if (!FCharset)
      FCharset = std::make_unique<Charset>(FCharsetName);
    return FCharset->Decode(bytes);
  }
  case Kind::Identity:
  case Kind::Unknown: break;
  }
  return {};
}

} // namespace scrivlet::pdf
