// The macro listing of a VBA project: per module with source, a rule line,
// "'  Macro(s) from " and the module's name, the rule line again, and the
// source followed by CR LF.  The rule and the heading are VBA comments, so
// the listing reads as one VBA text.
#pragma once

#include "vba/VbaProject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet {

// The entries of the listing, four per module whose source is not empty, in
// the project's module order (the sources are moved into them).  A listing
// whose entries, counted as output counts them (their characters and one
// for each), would pass maxCharacters ends before the module that passes
// it: a project of forty thousand modules that share one source is cut
// where the output must end, and the document's text stays.
std::vector<std::u16string> VbaListing(VbaProject project, uint64_t maxCharacters = UINT64_MAX);

} // namespace scrivlet
