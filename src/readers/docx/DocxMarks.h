// The character marks a run's properties switch on or off (w:b, w:i, w:u,
// w:strike, w:dstrike, w:vertAlign), as a run, its character style or a
// style that style is based on give them.  A toggle without w:val, or with
// "1", "true" or "on", sets its mark; "0", "false" or "off" clears it.
#pragma once

#include "document/Document.h"

#include <string_view>

namespace scrivlet {

struct MarkSettings {
  Marks on = 0;
  Marks off = 0;

  // The marks in force over base: what these settings decide, else base.
  Marks Over(Marks base) const { return static_cast<Marks>((base & ~off) | on); }
  // Adds what farther settings (a style's base) decide and these do not.
  void Inherit(const MarkSettings& farther);
  // Whether the property named name is a mark's: then it is recorded.
  bool Read(std::u16string_view name, std::u16string_view attributes);
};

} // namespace scrivlet
