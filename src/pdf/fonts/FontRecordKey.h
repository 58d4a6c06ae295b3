// What makes two font records alike: fonts whose descriptions give the same
// record share one.  A page may name hundreds of thousands of small fonts
// written inline, each a few bytes of the file and, as a record of its
// own, some kilobytes of memory; those that differ only in what the record
// does not use (a base font name that is no standard font, say) are one
// record.
#pragma once

#include "pdf/fonts/FontDescription.h"

#include <optional>
#include <string>

namespace scrivlet::pdf {

// The key of the record a description makes; none for a description with
// a font program or a CMap or ToUnicode text of its own (large, and rarely
// repeated), whose record is never shared.
std::optional<std::string> FontRecordKey(const FontDescription& description);

} // namespace scrivlet::pdf
