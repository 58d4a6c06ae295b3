// Finding objects without cross-reference data: one forward pass over the
// file collects every "N G obj" header and every "trailer" keyword.  Used to
// repair documents whose tables are missing, cut off or point elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet::pdf {

struct ObjectScan {
  // Object number -> offset of its header; a later header of the same
  // number (an incremental update) replaces an earlier one.
  std::unordered_map<uint32_t, size_t> Objects;
  // Positions of the "trailer" keywords, in file order.
  std::vector<size_t> Trailers;
};

ObjectScan ScanObjects(std::string_view data);

} // namespace scrivlet::pdf
