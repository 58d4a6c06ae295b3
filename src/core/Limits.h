// The bounds a hostile document could otherwise push: how many elements an
// XML document may have, how much compressed data may expand to, and how
// much text a conversion may produce.
//
// Every reader takes its limits from its ReaderOptions; the command line
// may raise them.  With these bounds a conversion takes time linear in its
// input plus what the limits allow, and memory of a small multiple of the
// input plus the decoded-bytes and output caps.  A document that passes a
// limit fails with LimitExceeded, whose message names the limit.
#pragma once

#include "core/Exception.h"

#include <cstdint>
#include <string_view>

namespace scrivlet {

struct Limits {
  // Elements of one XML document (a package part).  An element's item
  // takes some 250 bytes: this bounds the memory of an XML document whatever
  // its text.  Nesting needs no limit of its own: the XML engine and every
  // walk over its tree keep explicit stacks, one small frame per level.
  uint64_t elements = uint64_t{2} << 20;
  // What one compressed member or stream (a package part) may inflate to.
  uint64_t decodedBytesPerStream = uint64_t{64} << 20;
  // What all members of one document together may inflate to.
  uint64_t decodedBytesPerDocument = uint64_t{256} << 20;
  // Characters of output (every line of every output list).
  uint64_t outputCharacters = uint64_t{64} << 20;
  // Work one document may cost, in bytes parsed: every parse of an object,
  // dictionary, map, member or storage counts the bytes it reads, also when
  // the same structure is read again for another reference.  This many
  // times the document's size, plus the floor, so that no file costs more
  // than a fixed multiple of its size whatever structure it repeats.
  uint64_t workPerInputByte = 64;
  uint64_t workFloor = uint64_t{64} << 20;
  // Memory of the records a document's readers keep (table entries, font
  // records, parsed maps), in bytes: likewise a multiple of its size.
  uint64_t memoryPerInputByte = 64;
  uint64_t memoryFloor = uint64_t{256} << 20;
  // Rounds of password key derivation (hash iterations, PBKDF2 rounds) one
  // document may ask for, all its derivations together: an encrypted
  // document names its own counts, and one that would pass this is refused
  // before its rounds run, as office suites refuse a spin count past 10
  // million.  The rounds run are paid from the work budget too.
  uint64_t keyDerivationRounds = 10'000'000;
};

// A document that passed one of the limits.
class LimitExceeded : public Exception {
public:
  // limit: the limit's name as users raise it ("decoded bytes per stream").
  LimitExceeded(std::string_view limit, uint64_t value)
      : Exception("The document exceeds the limit of %d %s", {static_cast<int64_t>(value), limit}) {
  }
};

// A format's own decoding limit, with its own message.  Unlike
// LimitExceeded it need not end the conversion: a reader may go on without
// the one structure past it (a PDF object stream that stays unread).
class DecodingLimitExceeded : public Exception {
public:
  using Exception::Exception;
};

// Counts decoded bytes against both decoded-bytes limits; one per document.
class DecodeBudget {
public:
  explicit DecodeBudget(const Limits& limits) : FLimits(limits) {}

  // The cap to inflate one stream with: the smaller of the per-stream limit
  // and what is left of the document's.
  uint64_t NextStreamCap() const {
    uint64_t left = FLimits.decodedBytesPerDocument - FUsed;
    return left < FLimits.decodedBytesPerStream ? left : FLimits.decodedBytesPerStream;
  }
  // Which limit a stream that reached NextStreamCap passed.
  [[noreturn]] void Exceeded() const {
    if (FLimits.decodedBytesPerDocument - FUsed < FLimits.decodedBytesPerStream)
      throw LimitExceeded("decoded bytes per document", FLimits.decodedBytesPerDocument);
    throw LimitExceeded("decoded bytes per stream", FLimits.decodedBytesPerStream);
  }
  void Spend(uint64_t bytes) { FUsed += bytes < NextStreamCap() ? bytes : NextStreamCap(); }
  // Bytes taken as they stand (a stored member): they count against the
  // document's limit only, and a read past it raises.
  void SpendStored(uint64_t bytes) {
    if (bytes > FLimits.decodedBytesPerDocument - FUsed)
      throw LimitExceeded("decoded bytes per document", FLimits.decodedBytesPerDocument);
    FUsed += bytes;
  }
  uint64_t Used() const { return FUsed; }

private:
  Limits FLimits;
  uint64_t FUsed = 0;
};

} // namespace scrivlet
