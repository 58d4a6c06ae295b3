#include "core/Utf8.h"

namespace scrivlet {

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

void AppendCodePoint(std::u16string& out, uint32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | c >> 10);
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
  }
}

int64_t Utf8ToWide(char16_t* dest, size_t maxDestChars, const char* source, size_t sourceBytes) {
  if (source == nullptr)
    return 0;
  std::string_view bytes(source, sourceBytes);
  if (dest == nullptr)
    return static_cast<int64_t>(Utf8ToUtf16(bytes).size()) + 1;
  if (maxDestChars == 0)
    return 0;
  size_t written = DecodeUtf8(bytes, dest, maxDestChars - 1);
  dest[written] = u'\0';
  return static_cast<int64_t>(written) + 1;
}

std::u16string DecodeUtf8Text(std::string_view bytes) {
  return Utf8ToUtf16(bytes);
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
