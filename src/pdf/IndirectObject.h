// The layout of one indirect object in a file: its "N G obj" header, its
// dictionary and, for a stream, the raw stream data between "stream" and
// "endstream".
//
// An object's text ends at its "endobj", or, when that is missing, at the
// bound the caller gives (where the next known object starts), so a
// damaged object never runs on into its neighbours or into the
// cross-reference table.  Stream data are located by their /Length when it
// is plausible (the data end where "endstream" follows), else by searching
// "endstream"; "endobj" is looked for only after the stream data, whose
// bytes may hold anything.
#pragma once

#include "pdf/ObjectText.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace scrivlet::pdf {

struct IndirectObject {
  uint32_t Number = 0;
  uint16_t Generation = 0;
  bool InObjectStream = false;            // stored in an object stream (no header, no stream)
  std::string_view Text;                  // header and body, without "endobj"
  std::string_view Dictionary;            // inside of the object's dictionary (empty if none)
  std::optional<std::string_view> Stream; // raw stream data, for a stream object

  bool Found() const { return !Text.empty(); }
  // The body after "obj" (the whole text for an object of an object stream).
  std::string_view Body() const;
};

// Reads "N G obj" at the offset (white space before it is allowed).
// bodyStart receives the position after "obj".
bool ParseObjectHeader(std::string_view data, size_t offset, uint32_t& number, uint16_t& generation,
                       size_t& bodyStart);

// Resolves an indirect /Length to its number (negative when unknown).
using LengthResolver = std::function<int64_t(ObjectRef)>;

// The object whose header is at the offset, ending at its "endobj" or at the
// bound.  Not found (Text empty) when no header is there.
IndirectObject ParseIndirectObject(std::string_view data, size_t offset, size_t bound,
                                   const LengthResolver& lengthOf);

// The layout of an object body that has no header (an object of an object
// stream, or any text holding one dictionary).
IndirectObject ObjectFromBody(std::string_view body, uint32_t number);

} // namespace scrivlet::pdf
