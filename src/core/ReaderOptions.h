// What a conversion reads: the options every reader takes.
#pragma once

#include "core/Limits.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace scrivlet {

enum class ContentItem : uint8_t {
  Text = 0,
  Macros = 1,
  Pictures = 2,
  Summary = 3,
  HiddenText = 4,
  Notes = 5, // footnotes and endnotes after the main text
  // What only the document page shows (the readers keep these stories
  // whatever is asked):
  HeadersFooters = 6,
  Comments = 7
};

// A set of ContentItem, one bit per member.
class ContentItems {
public:
  constexpr ContentItems() = default;
  constexpr ContentItems(std::initializer_list<ContentItem> items) {
    for (auto item : items)
      FBits |= Bit(item);
  }
  static constexpr ContentItems FromBits(uint8_t bits) {
    ContentItems set;
    set.FBits = bits;
    return set;
  }

  constexpr bool Contains(ContentItem item) const { return (FBits & Bit(item)) != 0; }
  constexpr void Include(ContentItem item) { FBits |= Bit(item); }
  constexpr void Exclude(ContentItem item) { FBits &= static_cast<uint8_t>(~Bit(item)); }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool operator==(const ContentItems&) const = default;

private:
  static constexpr uint8_t Bit(ContentItem item) {
    return static_cast<uint8_t>(1u << static_cast<unsigned>(item));
  }
  uint8_t FBits = 0;
};

struct ReaderOptions {
  // What to read: text, summary and notes by default.
  ContentItems items{ContentItem::Text, ContentItem::Summary, ContentItem::Notes};
  // Whether a format's control characters become text (false keeps them
  // as they stand).
  bool convertControlCharacters = true;
  // The user or owner password of an encrypted document.
  std::string password;
  Limits limits;
  // The code page the host works in: 65001 (UTF-8), or the single- or
  // double-byte Windows code page it was asked to use.
  int systemCodePage = 65001;
  // The code page of 8-bit text that a format stores without naming one
  // (Write, WordPerfect, old Word): such bytes are never UTF-8, so with
  // the UTF-8 default they are read as Windows-1252, as a Western system
  // gives them, and in the host's code page otherwise.
  int textCodePage = 1252;
};

} // namespace scrivlet
