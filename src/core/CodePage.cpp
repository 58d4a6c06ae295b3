#include "core/CodePage.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <memory>
#include <vector>

namespace scrivlet {
namespace {

constexpr int CP_UTF16LE = 1200;

bool IsSingleByte(int codePage) {
  switch (codePage) {
  case 437:
  case 850:
  case 852:
  case 866:
  case 874:
  case 1250:
  case 1251:
  case 1252:
  case 1253:
  case 1254:
  case 1255:
  case 1256:
  case 1257:
  case 1258:
  case 10000: return true;
  default: return false;
  }
}

bool IsMultiByte(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
         codePage == 1361;
}

std::string IconvName(int codePage) {
  switch (codePage) {
  case 1361: return "JOHAB";
  case 10000: return "MACINTOSH";
  default: return "CP" + std::to_string(codePage);
  }
}

// An iconv descriptor that closes itself.
class IconvHandle {
public:
  IconvHandle(const std::string& to, const std::string& from)
      : FHandle(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvHandle() {
    if (Valid())
      iconv_close(FHandle);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
  void Reset() { iconv(FHandle, nullptr, nullptr, nullptr, nullptr); }

  // One iconv step; returns errno of the step, or 0.
  int Step(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* src = const_cast<char*>(in);
    size_t result =
        iconv(FHandle, inLeft ? &src : nullptr, inLeft ? &inLeft : nullptr, &out, &outLeft);
    in = src;
    return result == static_cast<size_t>(-1) ? errno : 0;
  }

private:
  iconv_t FHandle;
};

class Converter {
public:
  virtual ~Converter() = default;
  virtual std::u16string Decode(std::string_view bytes) = 0;
  virtual std::string Encode(std::u16string_view text) = 0;
};

// Windows-1252 from 0x80 to 0x9F; its five unassigned bytes map to the
// control characters of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Table-driven conversion for the 8-bit code pages.
class SingleByteConverter final : public Converter {
public:
  explicit SingleByteConverter(int codePage) {
    if (codePage == 1252) {
      // The default code page is built in: no conversion module to load.
      for (int b = 0; b < 256; ++b)
        FDecode[b] = b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b);
    } else {
      IconvHandle toWide("UTF-16LE", IconvName(codePage));
      for (int b = 0; b < 256; ++b)
        FDecode[b] = DecodeOne(toWide, static_cast<char>(b));
    }
    FEncode.assign(0x10000, kUnmapped);
    for (int b = 255; b >= 0; --b)
      FEncode[FDecode[b]] = static_cast<uint16_t>(b);
  }

  std::u16string Decode(std::string_view bytes) override {
    std::u16string text(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
      text[i] = FDecode[static_cast<uint8_t>(bytes[i])];
    return text;
  }

  std::string Encode(std::u16string_view text) override {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      uint16_t b = FEncode[c];
      bytes += b == kUnmapped ? '?' : static_cast<char>(b);
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF)
        ++i; // a pair is one character: one "?"
    }
    return bytes;
  }

private:
  static constexpr uint16_t kUnmapped = 0xFFFF;

  // The byte as the code page defines it, or U+00xx when it is undefined.
  static char16_t DecodeOne(IconvHandle& cd, char byte) {
    if (!cd.Valid())
      return static_cast<uint8_t>(byte);
    char16_t out[4] = {};
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    const char* in = &byte;
    size_t inLeft = 1;
    cd.Reset();
    int error = cd.Step(in, inLeft, outPtr, outLeft);
    size_t inputLeft = 0;
    if (error == 0)
      cd.Step(in, inputLeft, outPtr, outLeft); // flush a buffered base character
    cd.Reset();
    if (error != 0 || outLeft != sizeof out - 2)
      return static_cast<uint8_t>(byte);
    return out[0];
  }

  std::array<char16_t, 256> FDecode{};
  std::vector<uint16_t> FEncode;
};

// iconv-driven conversion for the double-byte East Asian code pages.
class MultiByteConverter final : public Converter {
public:
  explicit MultiByteConverter(int codePage)
      : FToWide("UTF-16LE", IconvName(codePage)), FFromWide(IconvName(codePage), "UTF-16LE") {}

  std::u16string Decode(std::string_view bytes) override {
    std::u16string text(bytes.size() + 1, u'\0');
    const char* in = bytes.data();
    size_t inLeft = bytes.size();
    char* outStart = reinterpret_cast<char*>(text.data());
    char* out = outStart;
    size_t outLeft = text.size() * 2;
    FToWide.Reset();
    while (inLeft > 0) {
      int error = FToWide.Step(in, inLeft, out, outLeft);
      if (error == 0 || error == E2BIG)
        break;
      // An invalid or incomplete sequence: one "?" for its first byte.
      *reinterpret_cast<char16_t*>(out) = u'?';
      out += 2;
      outLeft -= 2;
      ++in;
      --inLeft;
      FToWide.Reset();
    }
    text.resize((out - outStart) / 2);
    return text;
  }

  std::string Encode(std::u16string_view text) override {
    std::string bytes(text.size() * 4 + 4, '\0');
    const char* in = reinterpret_cast<const char*>(text.data());
    size_t inLeft = text.size() * 2;
    char* out = bytes.data();
    size_t outLeft = bytes.size();
    FFromWide.Reset();
    while (inLeft > 0) {
      int error = FFromWide.Step(in, inLeft, out, outLeft);
      if (error == 0 || error == E2BIG)
        break;
      *out++ = '?';
      --outLeft;
      char16_t c = *reinterpret_cast<const char16_t*>(in);
      size_t skip = (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) ? 4 : 2;
      skip = std::min(skip, inLeft);
      in += skip;
      inLeft -= skip;
      FFromWide.Reset();
    }
    size_t zero = 0;
    const char* none = nullptr;
    FFromWide.Step(none, zero, out, outLeft); // shift back to the initial state
    bytes.resize(out - bytes.data());
    return bytes;
  }

private:
  IconvHandle FToWide;
  IconvHandle FFromWide;
};

class Utf8Converter final : public Converter {
public:
  std::u16string Decode(std::string_view bytes) override { return Utf8ToUtf16(bytes); }
  std::string Encode(std::u16string_view text) override { return WideToUtf8(text); }
};

class Utf16Converter final : public Converter {
public:
  std::u16string Decode(std::string_view bytes) override {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                      static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return text;
  }
  std::string Encode(std::u16string_view text) override {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  }
};

int CodePageFromEnvironment() {
  const char* value = std::getenv("SCRIVLET_CODEPAGE");
  if (value == nullptr)
    return 1252;
  int codePage = std::atoi(value);
  return IsSupportedCodePage(codePage) && codePage != CP_UTF8 && codePage != CP_UTF16LE ? codePage
                                                                                        : 1252;
}

// The process's code-page setting and its converters, built on first use.
struct CodePageState {
  int systemCodePage = CodePageFromEnvironment();
  std::map<int, std::unique_ptr<Converter>> converters;
};

CodePageState& State() {
  static CodePageState state;
  return state;
}

Converter& ConverterFor(int codePage) {
  auto& state = State();
  if (codePage == CP_ACP || !IsSupportedCodePage(codePage))
    codePage = state.systemCodePage;
  auto& slot = state.converters[codePage];
  if (!slot) {
    if (codePage == CP_UTF8)
      slot = std::make_unique<Utf8Converter>();
    else if (codePage == CP_UTF16LE)
      slot = std::make_unique<Utf16Converter>();
    else if (IsSingleByte(codePage))
      slot = std::make_unique<SingleByteConverter>(codePage);
    else
      slot = std::make_unique<MultiByteConverter>(codePage);
  }
  return *slot;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

} // namespace

int SystemCodePage() {
  return State().systemCodePage;
}

bool SetSystemCodePage(int codePage) {
  if (!IsSupportedCodePage(codePage) || codePage == CP_UTF8 || codePage == CP_UTF16LE)
    return false;
  State().systemCodePage = codePage;
  return true;
}

bool IsSupportedCodePage(int codePage) {
  return IsSingleByte(codePage) || IsMultiByte(codePage) || codePage == CP_UTF8 ||
         codePage == CP_UTF16LE;
}

std::u16string AnsiToWide(std::string_view bytes, int codePage) {
  return ConverterFor(codePage).Decode(bytes);
}

std::string WideToAnsi(std::u16string_view text, int codePage) {
  return ConverterFor(codePage).Encode(text);
}

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

size_t DecodeUtf8(std::string_view bytes, char16_t* dest, size_t maxUnits) {
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0, out = 0;
  auto put = [&](uint32_t c) {
    size_t need = c >= 0x10000 ? 2 : 1;
    if (out + need > maxUnits)
      return false;
    if (need == 1) {
      dest[out++] = static_cast<char16_t>(c);
    } else {
      c -= 0x10000;
      dest[out++] = static_cast<char16_t>(0xD800 | c >> 10);
      dest[out++] = static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
    return true;
  };
  while (i < n) {
    // Plain ASCII runs are copied without further checks.
    while (i < n && in[i] < 0x80 && out < maxUnits)
      dest[out++] = in[i++];
    if (i >= n || out >= maxUnits)
      break;
    uint8_t lead = in[i];
    int length = lead >= 0xC0 && lead < 0xE0   ? 2
                 : lead >= 0xE0 && lead < 0xF0 ? 3
                 : lead >= 0xF0 && lead < 0xF8 ? 4
                                               : 0;
    uint32_t c = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    int taken = 1;
    while (taken < length && i + taken < n && (in[i + taken] & 0xC0) == 0x80)
      c = c << 6 | (in[i + taken++] & 0x3F);
    // A stray continuation byte, a cut-off sequence or a code point past
    // U+10FFFF is one U+FFFD; decoding goes on after the bytes it took.
    // Overlong forms are taken at their value.
    bool valid = length > 0 && taken == length && c <= 0x10FFFF;
    if (!put(valid ? c : 0xFFFD))
      break;
    i += static_cast<size_t>(taken);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0'); // never more units than bytes
  text.resize(DecodeUtf8(bytes, text.data(), text.size()));
  return text;
}

} // namespace scrivlet
