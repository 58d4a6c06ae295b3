// The macro listing of a VBA project: per module with source, a rule line,
// "'  Macro(s) from " and the module's name, the rule line again, and the
// source followed by CR LF.  The rule and the heading are VBA comments, so
// the listing reads as one VBA text.
#pragma once

#include "vba/VbaProject.h"

#include <string>
#include <vector>

namespace scrivlet {

// The entries of the listing, four per module whose source is not empty, in
// the project's module order.
std::vector<std::u16string> VbaListing(const VbaProject& project);

} // namespace scrivlet
