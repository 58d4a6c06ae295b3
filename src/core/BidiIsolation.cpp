#include "core/BidiIsolation.h"

#include <algorithm>
#include <vector>

namespace scrivlet {
namespace {

constexpr char16_t kPopDirectionalFormatting = 0x202C;
constexpr char16_t kFirstStrongIsolate = 0x2068;
constexpr char16_t kPopDirectionalIsolate = 0x2069;

// LRE, RLE, LRO, RLO: closed by PDF.
bool OpensEmbedding(char16_t c) {
  return c == 0x202A || c == 0x202B || c == 0x202D || c == 0x202E;
}

// LRI, RLI, FSI: closed by PDI.
bool OpensIsolate(char16_t c) {
  return c >= 0x2066 && c <= kFirstStrongIsolate;
}

} // namespace

bool HasBidiControls(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= kPopDirectionalIsolate);
  });
}

// As the bidirectional algorithm pairs them: a PDF closes the latest
// embedding only when no isolate was opened after it; a PDI closes the
// latest isolate and every embedding opened inside it.
std::u16string BalancedBidiText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::vector<char16_t> closers; // what each open opener needs, innermost last
  size_t openIsolates = 0;
  for (char16_t c : text) {
    if (OpensEmbedding(c)) {
      closers.push_back(kPopDirectionalFormatting);
    } else if (OpensIsolate(c)) {
      closers.push_back(kPopDirectionalIsolate);
      ++openIsolates;
    } else if (c == kPopDirectionalFormatting) {
      if (closers.empty() || closers.back() != kPopDirectionalFormatting)
        continue;
      closers.pop_back();
    } else if (c == kPopDirectionalIsolate) {
      if (openIsolates == 0)
        continue;
      for (; closers.back() != kPopDirectionalIsolate; closers.pop_back())
        out += kPopDirectionalFormatting;
      closers.pop_back();
      --openIsolates;
    }
    out += c;
  }
  out.append(closers.rbegin(), closers.rend());
  return out;
}

std::u16string IsolatedBidiText(std::u16string_view text) {
  if (!HasBidiControls(text))
    return std::u16string(text);
  return kFirstStrongIsolate + BalancedBidiText(text) + kPopDirectionalIsolate;
}

} // namespace scrivlet
