#include "core/CodePage.h"

#include "core/Ascii.h"
#include "core/CodePageTables.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace scrivlet {
namespace {

constexpr int CP_UTF16LE = 1200;

bool IsMultiByte(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
         codePage == 1361;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// A single-byte code page: bytes below 0x80 are ASCII, the upper half comes
// from the built-in table.  Encoding searches the upper half's 128 units
// sorted by value; where two bytes give the same character the lower byte
// is written.
class SingleBytePage {
public:
  explicit SingleBytePage(const char16_t* upperHalf) : FUpper(upperHalf) {
    for (int b = 0; b < 128; ++b)
      FReverse[b] = {upperHalf[b], static_cast<uint8_t>(0x80 + b)};
    std::stable_sort(FReverse.begin(), FReverse.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }

  std::u16string Decode(std::string_view bytes) const {
    std::u16string text(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
      uint8_t b = static_cast<uint8_t>(bytes[i]);
      text[i] = b < 0x80 ? b : FUpper[b - 0x80];
    }
    return text;
  }

  std::string Encode(std::u16string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      bytes += EncodeOne(c);
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        ++i; // a pair is one character: one "?"
    }
    return bytes;
  }

private:
  char EncodeOne(char16_t c) const {
    if (c < 0x80)
      return static_cast<char>(c);
    auto at = std::lower_bound(FReverse.begin(), FReverse.end(), c,
                               [](const auto& entry, char16_t unit) { return entry.first < unit; });
    return at != FReverse.end() && at->first == c ? static_cast<char>(at->second) : '?';
  }

  const char16_t* FUpper;
  std::array<std::pair<char16_t, uint8_t>, 128> FReverse{};
};

// An iconv descriptor that closes itself.
class IconvHandle {
public:
  IconvHandle(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
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

const char* IconvName(int codePage) {
  switch (codePage) {
  case 932: return "CP932";
  case 936: return "CP936";
  case 949: return "CP949";
  case 950: return "CP950";
  default: return "JOHAB";
  }
}

// iconv-driven conversion for the double-byte East Asian code pages, the
// only ones whose tables are too large to build in.
class MultiBytePage {
public:
  explicit MultiBytePage(int codePage)
      : FToWide("UTF-16LE", IconvName(codePage)), FFromWide(IconvName(codePage), "UTF-16LE") {}

  std::u16string Decode(std::string_view bytes) {
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

  std::string Encode(std::u16string_view text) {
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
      size_t skip = (IsHighSurrogate(c) && inLeft >= 4) ? 4 : 2;
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

std::u16string DecodeUtf16LE(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  return text;
}

std::string EncodeUtf16LE(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// The process's code-page setting and the single-byte pages used so far,
// each built on first use: a conversion pays only for the code pages it
// meets.  Conversions run in any thread at once (the Python module's), so
// the setting is atomic and the shared pages are built under a lock; a
// page, once built, is only read.
struct CodePageState {
  std::atomic<int> systemCodePage = kDefaultSystemCodePage;
  std::mutex singleByteLock;
  std::map<int, SingleBytePage> singleByte;
};

CodePageState& State() {
  static CodePageState state;
  return state;
}

int Resolve(int codePage) {
  return codePage == CP_ACP || !IsSupportedCodePage(codePage) ? State().systemCodePage.load()
                                                              : codePage;
}

const SingleBytePage* SingleByte(int codePage) {
  const char16_t* upper = SingleByteUpperHalf(codePage);
  if (upper == nullptr)
    return nullptr;
  CodePageState& state = State();
  std::lock_guard<std::mutex> lock(state.singleByteLock);
  return &state.singleByte.try_emplace(codePage, upper).first->second;
}

// An iconv descriptor keeps a shift state between calls: each thread has
// its own descriptors.
MultiBytePage& MultiByte(int codePage) {
  thread_local std::map<int, std::unique_ptr<MultiBytePage>> pages;
  auto& slot = pages[codePage];
  if (!slot)
    slot = std::make_unique<MultiBytePage>(codePage);
  return *slot;
}

} // namespace

int SystemCodePage() {
  return State().systemCodePage;
}

bool SetSystemCodePage(int codePage) {
  if (!IsSupportedCodePage(codePage) || codePage == CP_UTF16LE)
    return false;
  State().systemCodePage.store(codePage);
  return true;
}

std::optional<int> ParseCodePageSetting(std::string_view value) {
  std::string lower = AsciiLowerCase(std::string(value));
  if (lower == "utf-8" || lower == "utf8")
    return CP_UTF8;
  if (lower.empty() || lower.size() > 5 ||
      lower.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  int codePage = std::atoi(lower.c_str());
  if (!IsSupportedCodePage(codePage) || codePage == CP_UTF16LE)
    return std::nullopt;
  return codePage;
}

int LegacyTextCodePage() {
  int system = SystemCodePage();
  return system == CP_UTF8 ? 1252 : system;
}

const char* CharsetName(int codePage) {
  switch (Resolve(codePage)) {
  case CP_UTF8: return "utf-8";
  case 932: return "shift_jis";
  case 936: return "gbk";
  case 949: return "ks_c_5601-1987";
  case 950: return "big5";
  case 1361: return "johab";
  case 874: return "windows-874";
  case 1250: return "windows-1250";
  case 1251: return "windows-1251";
  case 1252: return "windows-1252";
  case 1253: return "windows-1253";
  case 1254: return "windows-1254";
  case 1255: return "windows-1255";
  case 1256: return "windows-1256";
  case 1257: return "windows-1257";
  case 1258: return "windows-1258";
  case 437: return "ibm437";
  case 850: return "ibm850";
  case 852: return "ibm852";
  case 866: return "ibm866";
  case 10000: return "macintosh";
  default: return "utf-8";
  }
}

bool IsSupportedCodePage(int codePage) {
  return SingleByteUpperHalf(codePage) != nullptr || IsMultiByte(codePage) || codePage == CP_UTF8 ||
         codePage == CP_UTF16LE;
}

std::u16string AnsiToWide(std::string_view bytes, int codePage) {
  codePage = Resolve(codePage);
  if (codePage == CP_UTF8)
    return Utf8ToUtf16(bytes);
  if (codePage == CP_UTF16LE)
    return DecodeUtf16LE(bytes);
  if (const SingleBytePage* page = SingleByte(codePage))
    return page->Decode(bytes);
  return MultiByte(codePage).Decode(bytes);
}

std::string WideToAnsi(std::u16string_view text, int codePage) {
  codePage = Resolve(codePage);
  if (codePage == CP_UTF8)
    return WideToUtf8(text);
  if (codePage == CP_UTF16LE)
    return EncodeUtf16LE(text);
  if (const SingleBytePage* page = SingleByte(codePage))
    return page->Encode(text);
  return MultiByte(codePage).Encode(text);
}

} // namespace scrivlet
