// The numbering part (word/numbering.xml), read once before the text.  A
// paragraph names a list by w:numId and its level by w:ilvl; the list
// (w:num) takes its levels from an abstract definition (w:abstractNum:
// w:numFmt, w:start, w:lvlText per w:lvl) and may restart or redefine
// some of them (w:lvlOverride with w:startOverride or a w:lvl of its own).
#pragma once

#include "core/Limits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace scrivlet {

class DocxNumbering {
public:
  static constexpr int32_t kLevels = 9;

  struct Level {
    bool defined = false;
    bool ordered = false;  // numbers, not bullets (nor nothing: "none")
    int32_t start = 1;     // the first item's number
    std::u16string format; // w:numFmt: "decimal", "lowerRoman", "bullet", ...
    std::u16string text;   // w:lvlText: "%1.", "%1.%2", a bullet character
  };

  void Read(std::string bytes, const Limits& limits, int codePage);

  // The level ilvl (0-8) of list numId, or nullptr when none is defined.
  const Level* LevelOf(int32_t numId, int32_t ilvl) const;
  // What the list counts under: lists of one abstract definition continue
  // one another's numbers, unless one restarts them with overrides.
  int64_t CounterKey(int32_t numId) const;

private:
  using Levels = std::array<Level, kLevels>;
  struct Instance {
    int32_t abstractId = -1;
    std::array<std::optional<int32_t>, kLevels> startOverrides;
    std::array<Level, kLevels> levelOverrides; // defined where it has one
    bool overridden = false;
    Levels levels; // resolved
  };

  void Resolve();

  std::unordered_map<int32_t, Levels> FAbstracts;
  std::unordered_map<int32_t, Instance> FInstances;
};

// A list number in a w:numFmt format: decimal, lowerLetter and upperLetter
// (a, b, ... z, aa, bb, ...), lowerRoman and upperRoman; others decimal.
std::u16string FormatListNumber(int32_t number, std::u16string_view format);

} // namespace scrivlet
