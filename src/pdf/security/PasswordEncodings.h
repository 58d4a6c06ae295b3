// The byte forms a password is tried in.  Revisions 2 to 4 take passwords
// as PDFDocEncoding bytes (Latin-1 for the letters a keyboard gives),
// revisions 5 and 6 as UTF-8; the password a user types arrives in one of
// them, so each check tries the password as given and then its other form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// The password as given and, when it is UTF-8 with letters beyond ASCII that
// all exist in Latin-1, its Latin-1 form.
std::vector<std::string> Latin1PasswordForms(std::string_view password);
// The password as given and, when it is not valid UTF-8, its bytes read as
// Latin-1 and written as UTF-8.
std::vector<std::string> Utf8PasswordForms(std::string_view password);

} // namespace scrivlet
