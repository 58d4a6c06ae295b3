// The filter chain of a stream: the names of its /Filter entry (one name or
// an array) applied in order, each with its own /DecodeParms (one dictionary
// for all, or an array parallel to the names).  Flate (with predictors),
// LZW (with predictors), ASCIIHex and ASCII85 are decoded; any other filter
// (image codecs, /Crypt) passes its data through unchanged.
//
// Decoded data are capped: a stream that decodes to more than the cap fails
// with an Exception naming the limit, instead of exhausting memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

// The default bound of one decoded stream.
inline constexpr size_t DefaultStreamCap = size_t{256} << 20;

// The filter names of a stream dictionary (its inside), in order, lower
// case with their "/" ("/flatedecode").
std::vector<std::string> FilterNames(std::string_view dictionary);

// Whether the chain names the /Crypt filter (whose data the document's
// default decryption does not touch).
bool HasCryptFilter(std::string_view dictionary);

// One filter step; `decodeParms` is the inside of its parameter dictionary.
std::string DecodeFilter(std::string_view name, std::string data, std::string_view decodeParms,
                         size_t cap = DefaultStreamCap);

// The whole chain of the dictionary over the raw data.  `produced`, when
// given, receives what every filter of the chain wrote, added up (a chain
// may expand data that a later filter drops).  With `cut` given, data that
// the last filter decodes past the cap do not fail: it stops at the cap,
// *cut is set and what was decoded up to it is given.
std::string DecodeStream(std::string data, std::string_view dictionary,
                         size_t cap = DefaultStreamCap, uint64_t* produced = nullptr,
                         bool* cut = nullptr);

} // namespace scrivlet::pdf
