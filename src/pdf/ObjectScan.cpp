#include "pdf/ObjectScan.h"

#include "pdf/IndirectObject.h"
#include "pdf/ObjectText.h"

namespace scrivlet::pdf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The start of "N G" before the "obj" at pos, or npos.
size_t HeaderStart(std::string_view data, size_t pos) {
  size_t i = pos;
  auto skipBackSpace = [&] {
    size_t before = i;
    while (i > 0 && IsWhiteSpace(data[i - 1]))
      --i;
    return i < before;
  };
  auto skipBackDigits = [&] {
    size_t before = i;
    while (i > 0 && IsDigit(data[i - 1]) && before - i < 10)
      --i;
    return i < before;
  };
  if (!skipBackSpace() || !skipBackDigits() || !skipBackSpace() || !skipBackDigits())
    return std::string_view::npos;
  if (i > 0 && !IsWhiteSpace(data[i - 1]) && !IsDelimiter(data[i - 1]))
    return std::string_view::npos;
  return i;
}

} // namespace

ObjectScan ScanObjects(std::string_view data) {
  ObjectScan scan;
  constexpr size_t none = std::string_view::npos;
  // Each search resumes after its own last hit, so the pass stays linear.
  for (size_t trailerPos = data.find("trailer"); trailerPos != none;
       trailerPos = data.find("trailer", trailerPos + 7))
    scan.Trailers.push_back(trailerPos);
  for (size_t obj = data.find("obj"); obj != none; obj = data.find("obj", obj + 3)) {
    size_t start = HeaderStart(data, obj);
    if (start == none)
      continue;
    uint32_t number = 0;
    uint16_t generation = 0;
    size_t bodyStart = 0;
    if (ParseObjectHeader(data, start, number, generation, bodyStart))
      scan.Objects[number] = start;
  }
  return scan;
}

} // namespace scrivlet::pdf
