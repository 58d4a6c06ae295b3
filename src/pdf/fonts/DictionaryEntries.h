// The entries of a dictionary's inside, key by key at its own level: a key
// is matched only where it stands as a key (never as a name value such as
// "/Subtype /Font", never inside a nested dictionary or array).  The
// fonts' and resources' lookups need this exactness: resource names are
// arbitrary ("/F1", "/Font", "/Type0" are all possible names).
#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace scrivlet::pdf {

// Calls visit(key without "/", value text) for each entry, in order; the
// value text is trimmed ("5 0 R", "/Name", "<<...>>", "[...]", "(...)").
// Stops when visit returns false.
void ForEachEntry(std::string_view dictionary,
                  const std::function<bool(std::string_view, std::string_view)>& visit);

// The value text of the first entry whose key equals the key exactly.
std::optional<std::string_view> EntryValue(std::string_view dictionary, std::string_view key);

} // namespace scrivlet::pdf
