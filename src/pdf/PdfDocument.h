// A PDF document held in memory: its cross-reference data, access to each
// object's text by number, and the decoded data of its streams.
//
// Opening reads the header and the cross-reference sections (tables and
// streams, newest first through /Prev, hybrid /XRefStm included).  Offsets
// are checked against the object headers they point at; when the sections
// are missing or damaged, the objects are found by one scan of the file
// instead.  Objects stored in object streams give their own text.  Object
// texts are views into the document's buffers and live as long as it does.
//
// An encrypted document (a trailer with /Encrypt) needs a decryptor before
// any stream or string is read; without one, reading a stream raises "Could
// not read the password protected file".
//
// Stable interface: the page-text and security code build on it.
#pragma once

#include "core/WorkBudget.h"
#include "pdf/IndirectObject.h"
#include "pdf/ObjectDecryptor.h"
#include "pdf/ObjectText.h"
#include "pdf/TrailerBounds.h"
#include "pdf/XrefTable.h"
#include "pdf/filters/StreamFilters.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace scrivlet::pdf {

class PdfDocument final : public ObjectResolver {
public:
  // Bounds of the decoding work one document may ask for.
  struct Limits {
    size_t StreamCap = DefaultStreamCap;         // one decoded stream
    uint64_t DocumentBudget = uint64_t{1} << 30; // all decoding together (bytes read or written)
    // The work and memory budget, as multiples of the file's size plus a
    // floor (see scrivlet::Limits).
    uint64_t WorkPerInputByte = scrivlet::Limits{}.workPerInputByte;
    uint64_t WorkFloor = scrivlet::Limits{}.workFloor;
    uint64_t MemoryPerInputByte = scrivlet::Limits{}.memoryPerInputByte;
    uint64_t MemoryFloor = scrivlet::Limits{}.memoryFloor;
  };

  // Opens the document; raises "This is not valid PDF-document" when the
  // data do not start with "%PDF-", and the "/TYPE/XREF" messages for a
  // cross-reference stream that is damaged past repair.
  explicit PdfDocument(std::string data);
  PdfDocument(std::string data, const Limits& limits);
  ~PdfDocument() override;
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // The decoding limits it was opened with.
  const Limits& DecodingLimits() const { return FLimits; }

  // The header's version ("1.4").
  const std::string& Version() const { return FVersion; }
  std::string_view Data() const { return FData; }

  // One object by number (Found() false when unknown or unreadable).
  IndirectObject Object(uint32_t number) const;
  // Its text (header and body, without "endobj"; the body for objects of an
  // object stream); empty when unknown.
  std::string_view ObjectText(uint32_t number) const override;
  // The decoded (decrypted, filtered) data of a stream object; empty for an
  // object without a stream.  Decoding spends the larger of what it reads
  // and writes from the work budget and stops at what is left of it; a
  // stream read a second time is kept, and every later reading spends its
  // cost again.
  std::string StreamData(const IndirectObject& object) const {
    return StreamData(object, UINT64_MAX);
  }
  std::string StreamData(uint32_t number) const { return StreamData(Object(number)); }
  // The same for data that may take at most maxBytes (the rest of a page's
  // content, say): past them it raises the limit of one stream, as the
  // decoding stops.
  std::string StreamData(const IndirectObject& object, uint64_t maxBytes) const;

  // The trailer: the newest trailer dictionary (its inside), and the newest
  // trailer that has a given key (older sections fill keys the newer lack).
  std::string_view Trailer() const;
  std::string_view TrailerWith(std::string_view key) const { return FXref.TrailerWith(key); }
  // The catalog (/Root) and Info dictionary references.
  std::optional<ObjectRef> Root() const { return FRoot; }
  std::optional<ObjectRef> Info() const;

  // Encryption: the trailer's /Encrypt dictionary (its inside, following a
  // reference), the first /ID string's bytes, and the decryptor.
  bool IsEncrypted() const;
  std::string EncryptDictionary() const;
  std::string FirstId() const;
  void SetDecryptor(std::unique_ptr<ObjectDecryptor> decryptor);
  const ObjectDecryptor* Decryptor() const { return FDecryptor.get(); }
  // A string of the given object, decrypted when the document is
  // encrypted (strings inside object streams are not encrypted by
  // themselves: the stream was).
  std::string DecryptString(std::string_view bytes, const IndirectObject& holder) const;

  // Whether the objects were found by scanning because the
  // cross-reference data were missing or damaged.
  bool Repaired() const { return FRepaired; }
  const XrefTable& Xref() const { return FXref; }

  // The document's work and memory budget: parsing sections, objects and
  // streams spends from it, and so may the code that reads pages and fonts.
  WorkBudget& Budget() const { return FBudget; }

private:
  struct ObjectStream;

  void ReadHeader();
  void ReadCrossReferences();
  bool ReadSection(size_t offset, std::vector<size_t>& prevs);
  bool ReadXrefStreamAt(size_t offset, std::string_view& dictionary);
  void VerifyOffsets();
  void Repair();
  void FindRoot();
  void BuildOffsetIndex();
  size_t NextOffset(uint64_t offset) const;
  IndirectObject ReadObject(uint32_t number) const;
  int64_t ResolveLength(ObjectRef ref) const;
  const ObjectStream* LoadObjectStream(uint32_t number) const;
  // What the next decoding may write, and whether the work left set it.
  struct DecodingCap {
    uint64_t bytes = 0;
    bool byWork = false;
  };
  // The decoded data of a stream read a second time, and what decoding it
  // cost.
  struct KeptStream {
    std::string Data;
    uint64_t Cost = 0;
  };
  DecodingCap NextDecodingCap() const;
  void SpendDecoding(uint64_t cost) const;
  // What the data may decode to at most for what they are: the entries of
  // a cross-reference stream that the table may hold (the data are cut
  // there, to whole entries), or the rest of a page's content (past it,
  // the limit of one stream).
  struct DecodingBound {
    uint64_t bytes = UINT64_MAX;
    bool xref = false;
    uint64_t entryWidth = 1;
  };
  // cost, when given, receives what the decoding spent.
  std::string DecodeCapped(std::string raw, std::string_view dictionary, const DecodingBound& bound,
                           uint64_t* cost = nullptr) const;
  std::string DecodeStreamData(const IndirectObject& object, uint64_t maxBytes,
                               uint64_t& cost) const;
  [[noreturn]] void ThrowPastBound(const DecodingBound& bound) const;
  void ReuseKept(const KeptStream& kept) const;
  DecodingBound XrefStreamBound(std::string_view dictionary) const;
  const TrailerBounds& Bounds();

  std::string FData;
  Limits FLimits;
  mutable WorkBudget FBudget;
  std::string FVersion = "1.0";
  XrefTable FXref;
  std::vector<size_t> FSectionOffsets;
  // Sections and cross-reference streams read: each once, however many
  // /Prev and /XRefStm entries lead to it.
  std::unordered_set<size_t> FSectionsRead, FXrefStreamsRead;
  std::unique_ptr<TrailerBounds> FTrailerBounds;
  std::vector<uint64_t> FOffsetIndex; // sorted starts of objects and sections
  std::optional<ObjectRef> FRoot;
  bool FRepaired = false;
  std::string FXrefError;
  std::unique_ptr<ObjectDecryptor> FDecryptor;
  mutable std::unordered_map<uint32_t, std::unique_ptr<ObjectStream>> FObjectStreams;
  mutable uint64_t FDecodedBytes = 0;
  // Streams read; those read again, kept.
  mutable std::unordered_set<uint32_t> FStreamsRead;
  mutable std::unordered_map<uint32_t, KeptStream> FKeptStreams;
  mutable int FDepth = 0;
  mutable uint64_t FDepthCuts = 0; // look-ups cut short by the depth limit
  // Objects as read, once the cross-reference data no longer change.
  bool FObjectsFinal = false;
  mutable std::unordered_map<uint32_t, IndirectObject> FObjects;
  // Whether one of the first FTrailersSearched trailers has /Encrypt.
  mutable size_t FTrailersSearched = 0;
  mutable bool FEncrypted = false;
};

} // namespace scrivlet::pdf
