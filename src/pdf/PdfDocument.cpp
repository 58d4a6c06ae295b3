#include "pdf/PdfDocument.h"

#include "core/Exception.h"
#include "core/Limits.h"
#include "pdf/ObjectScan.h"

#include <algorithm>
#include <unordered_set>

namespace scrivlet::pdf {

namespace {

// Deeper nesting of object look-ups (a /Length inside an object stream
// whose /Length is inside another ...) than any sound file needs.
constexpr int MaxLookupDepth = 12;
// More cross-reference sections than any sound file has.
constexpr size_t MaxSections = 4096;
// What one cross-reference entry costs in memory (a hash-map node).
constexpr uint64_t kXrefEntryBytes = 64;
// Objects a file of the given size may list: an object in the file takes
// some bytes ("1 0 obj" and its entry), one packed in an object stream its
// compressed share of one; the room above that is for small files.
size_t XrefCapacity(size_t fileSize) {
  return fileSize + (size_t{1} << 16);
}

WorkBudget BudgetFor(const PdfDocument::Limits& limits, uint64_t fileSize) {
  scrivlet::Limits sizes;
  sizes.workPerInputByte = limits.WorkPerInputByte;
  sizes.workFloor = limits.WorkFloor;
  sizes.memoryPerInputByte = limits.MemoryPerInputByte;
  sizes.memoryFloor = limits.MemoryFloor;
  return WorkBudget(sizes, fileSize);
}

class DepthGuard {
public:
  explicit DepthGuard(int& depth) : FDepth(depth) { ++FDepth; }
  ~DepthGuard() { --FDepth; }
  bool TooDeep() const { return FDepth > MaxLookupDepth; }

private:
  int& FDepth;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NameIs(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::string_view text, std::string_view part) {
  for (size_t at = 0; at + part.size() <= text.size(); ++at)
    if (StartsWithNoCase(text.substr(at), part))
      return at;
  return std::string_view::npos;
}

// Whether bytes without a header hold PDF objects ("N G obj" ... "endobj").
bool HoldsIndirectObjects(std::string_view data) {
  return data.find("endobj") != std::string_view::npos && !ScanObjects(data).Objects.empty();
}

// The value of the last "startxref" that starts a line; npos when none.
size_t FindStartXref(std::string_view data) {
  size_t pos = data.rfind("startxref");
  while (pos != std::string_view::npos) {
    if (pos == 0 || data[pos - 1] == '\r' || data[pos - 1] == '\n') {
      int64_t value = ToInteger(Trim(data.substr(pos + 9, 32)), -1);
      if (value >= 0 && static_cast<uint64_t>(value) < data.size())
        return static_cast<size_t>(value);
      return std::string_view::npos;
    }
    if (pos == 0)
      break;
    pos = data.rfind("startxref", pos - 1);
  }
  return std::string_view::npos;
}

} // namespace

// The decoded data of an object stream and where each of its objects is.
struct PdfDocument::ObjectStream {
  std::string Data;
  std::unordered_map<uint32_t, size_t> Starts; // object number -> start in Data
  std::vector<size_t> SortedStarts;

  std::string_view Body(uint32_t number) const {
    auto it = Starts.find(number);
    if (it == Starts.end())
      return {};
    size_t start = it->second;
    auto next = std::upper_bound(SortedStarts.begin(), SortedStarts.end(), start);
    size_t end = next == SortedStarts.end() ? Data.size() : *next;
    return std::string_view(Data).substr(start, end - start);
  }
};

PdfDocument::PdfDocument(std::string data) : PdfDocument(std::move(data), Limits()) {}

PdfDocument::PdfDocument(std::string data, const Limits& limits)
    : FData(std::move(data)), FLimits(limits), FBudget(BudgetFor(limits, FData.size())) {
  FXref.SetCapacity(XrefCapacity(FData.size()));
  ReadHeader();
  ReadCrossReferences();
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::ReadHeader() {
  // The header may follow some bytes of other data (within the first
  // kilobyte, as readers allow); a file whose header was damaged still
  // holds its objects, which the cross-reference repair finds.
  const size_t header = FindNoCase(std::string_view(FData).substr(0, 1024), "%PDF-");
  if (header == std::string_view::npos) {
    if (!HoldsIndirectObjects(FData))
      throw Exception("This is not valid PDF-document");
    return;
  }
  size_t end = header + 5;
  while (end < FData.size() && end < header + 9 &&
         ((FData[end] >= '0' && FData[end] <= '9') || FData[end] == '.'))
    ++end;
  if (end > header + 5)
    FVersion = FData.substr(header + 5, end - header - 5);
}

void PdfDocument::ReadCrossReferences() {
  size_t offset = FindStartXref(FData);
  std::unordered_set<size_t> visited;
  std::vector<size_t> pending;
  if (offset != std::string_view::npos)
    pending.push_back(offset);
  bool damaged = pending.empty();
  while (!pending.empty() && visited.size() < MaxSections) {
    size_t next = pending.back();
    pending.pop_back();
    if (!visited.insert(next).second)
      continue; // a /Prev chain that leads back: stop there
    if (!ReadSection(next, pending)) {
      damaged = true;
      break;
    }
  }
  BuildOffsetIndex();
  if (damaged || FXref.Size() == 0)
    Repair();
  else
    VerifyOffsets();
  FindRoot();
  if (!FRoot && !FRepaired) {
    Repair();
    FindRoot();
  }
  if (!FRoot && !FXrefError.empty())
    throw Exception(FXrefError);
  FObjectsFinal = true;
}

// Reads one section (a classic table with its trailer, or a cross-reference
// stream) and queues the sections it names.  False when nothing usable is
// at the offset.
bool PdfDocument::ReadSection(size_t offset, std::vector<size_t>& prevs) {
  std::string_view data = FData;
  size_t at = offset;
  while (at < data.size() && IsWhiteSpace(data[at]))
    ++at;
  std::string_view trailer;
  uint32_t number = 0;
  uint16_t generation = 0;
  size_t bodyStart = 0;
  if (!data.substr(at).starts_with("xref") &&
      !ParseObjectHeader(data, at, number, generation, bodyStart)) {
    // Writers that count the offset from just after "xref", or a few bytes
    // off: the keyword close by is the section.
    size_t windowStart = offset >= 16 ? offset - 16 : 0;
    size_t keyword = data.substr(windowStart, 32).find("xref");
    if (keyword != std::string_view::npos)
      at = windowStart + keyword;
  }
  if (!FSectionsRead.insert(at).second)
    return true; // reached again from another offset near it: nothing new
  const size_t entriesBefore = FXref.Size();
  if (data.substr(at).starts_with("xref")) {
    std::optional<std::string_view> dictionary = ReadClassicSection(data, at, FXref, Bounds());
    if (!dictionary)
      return false;
    trailer = *dictionary;
    FSectionOffsets.push_back(at);
    // Hybrid file: the objects of object streams are listed by a stream.
    int64_t xrefStm = ToInteger(GetKeyValue("/xrefstm", trailer), -1);
    if (xrefStm > 0 && static_cast<uint64_t>(xrefStm) < data.size() &&
        FXrefStreamsRead.insert(static_cast<size_t>(xrefStm)).second) {
      std::string_view streamDictionary;
      ReadXrefStreamAt(static_cast<size_t>(xrefStm), streamDictionary);
    }
  } else if (!ReadXrefStreamAt(at, trailer)) {
    return false;
  }
  FXref.AddTrailer(trailer);
  if (trailer.data() >= data.data() && trailer.data() <= data.data() + data.size())
    FBudget.SpendWork(static_cast<size_t>(trailer.data() - data.data()) + trailer.size() -
                      std::min(at, static_cast<size_t>(trailer.data() - data.data())));
  FBudget.SpendMemory((FXref.Size() - entriesBefore) * kXrefEntryBytes);
  int64_t prev = ToInteger(GetKeyValue("/prev", trailer), -1);
  if (prev >= 0 && static_cast<uint64_t>(prev) < data.size())
    prevs.push_back(static_cast<size_t>(prev));
  return true;
}

bool PdfDocument::ReadXrefStreamAt(size_t offset, std::string_view& dictionary) {
  IndirectObject object = ParseIndirectObject(FData, offset, FData.size(),
                                              [this](ObjectRef ref) { return ResolveLength(ref); });
  if (!object.Found() || !object.Stream ||
      !NameIs(GetKeyValue("/type", object.Dictionary), "/xref"))
    return false;
  dictionary = object.Dictionary;
  FBudget.SpendWork(object.Text.size());
  FSectionOffsets.push_back(offset);
  try {
    // Cross-reference streams are never encrypted.  No more entries are
    // decoded and read than the table may hold (a few hundred kilobytes
    // may announce and decode to 255 million free entries, which never
    // fill it): the data are cut there.
    std::string data = DecodeCapped(std::string(*object.Stream), object.Dictionary,
                                    XrefStreamBound(object.Dictionary));
    ReadXrefStreamEntries(object.Dictionary, data, FData.size(), FXref);
  } catch (const LimitExceeded&) {
    throw; // the budget ends the conversion
  } catch (const Exception& error) {
    FXrefError = error.Message();
    return false;
  }
  return true;
}

void PdfDocument::BuildOffsetIndex() {
  FOffsetIndex.clear();
  FOffsetIndex.reserve(FXref.Size() + FSectionOffsets.size());
  for (const auto& [number, entry] : FXref.Entries())
    if (entry.Type == XrefEntry::Kind::InFile)
      FOffsetIndex.push_back(entry.Offset);
  FOffsetIndex.insert(FOffsetIndex.end(), FSectionOffsets.begin(), FSectionOffsets.end());
  std::sort(FOffsetIndex.begin(), FOffsetIndex.end());
  FOffsetIndex.erase(std::unique(FOffsetIndex.begin(), FOffsetIndex.end()), FOffsetIndex.end());
}

size_t PdfDocument::NextOffset(uint64_t offset) const {
  auto next = std::upper_bound(FOffsetIndex.begin(), FOffsetIndex.end(), offset);
  return next == FOffsetIndex.end() ? FData.size() : static_cast<size_t>(*next);
}

// Every in-file entry must point at its own object's header; entries that
// do not are taken from a scan of the file (or dropped).
void PdfDocument::VerifyOffsets() {
  std::vector<uint32_t> wrong;
  for (const auto& [number, entry] : FXref.Entries()) {
    if (entry.Type != XrefEntry::Kind::InFile)
      continue;
    uint32_t found = 0;
    uint16_t generation = 0;
    size_t bodyStart = 0;
    if (!ParseObjectHeader(FData, entry.Offset, found, generation, bodyStart) || found != number)
      wrong.push_back(number);
  }
  if (wrong.empty())
    return;
  FBudget.SpendWork(FData.size());
  ObjectScan scan = ScanObjects(FData);
  for (uint32_t number : wrong) {
    auto it = scan.Objects.find(number);
    if (it == scan.Objects.end())
      FXref.Remove(number);
    else
      FXref.Set(number, XrefEntry{XrefEntry::Kind::InFile, it->second, 0, 0});
  }
  // The wrong offsets leave the index; every header found bounds its
  // neighbours.
  BuildOffsetIndex();
  for (const auto& [number, offset] : scan.Objects)
    FOffsetIndex.push_back(offset);
  std::sort(FOffsetIndex.begin(), FOffsetIndex.end());
  FOffsetIndex.erase(std::unique(FOffsetIndex.begin(), FOffsetIndex.end()), FOffsetIndex.end());
}

// Rebuilds the table from a scan of the file: every object header found,
// the objects of the object streams among them, and the trailers.
void PdfDocument::Repair() {
  FRepaired = true;
  FBudget.SpendWork(FData.size());
  ObjectScan scan = ScanObjects(FData);
  for (const auto& [number, offset] : scan.Objects)
    FXref.Set(number, XrefEntry{XrefEntry::Kind::InFile, offset, 0, 0});
  BuildOffsetIndex();
  for (auto it = scan.Trailers.rbegin(); it != scan.Trailers.rend(); ++it)
    if (auto dictionary = Bounds().DictionaryAfter(*it + 7))
      FXref.AddTrailer(*dictionary);
  // Objects stored in object streams.
  std::vector<uint32_t> containers;
  for (const auto& [number, offset] : scan.Objects) {
    IndirectObject object = Object(number);
    if (object.Stream && NameIs(GetKeyValue("/type", object.Dictionary), "/objstm"))
      containers.push_back(number);
  }
  std::sort(containers.begin(), containers.end());
  for (uint32_t container : containers) {
    const ObjectStream* stream = nullptr;
    try {
      stream = LoadObjectStream(container);
    } catch (const LimitExceeded&) {
      throw; // the budget ends the conversion
    } catch (const Exception&) {
      continue; // past the decoding limits: its objects stay unknown
    }
    if (!stream)
      continue;
    for (const auto& [number, start] : stream->Starts)
      FXref.Add(number, XrefEntry{XrefEntry::Kind::InObjectStream, 0, container, 0});
  }
}

void PdfDocument::FindRoot() {
  FRoot.reset();
  std::string_view trailer = FXref.TrailerWith("/root");
  if (auto ref = GetKeyReference("/root", trailer)) {
    try {
      if (Object(ref->Number).Found())
        FRoot = ref;
    } catch (const LimitExceeded&) {
      throw; // the budget ends the conversion
    } catch (const Exception&) {
      FRoot = ref; // in an object stream that cannot be read yet (encrypted)
    }
  }
  if (FRoot || !FRepaired)
    return;
  // No usable trailer: the catalog is the object of type /Catalog.
  std::vector<uint32_t> numbers;
  for (const auto& [number, entry] : FXref.Entries())
    numbers.push_back(number);
  std::sort(numbers.begin(), numbers.end());
  for (uint32_t number : numbers) {
    IndirectObject object = Object(number);
    if (NameIs(GetKeyValue("/type", object.Dictionary), "/catalog") &&
        HasKey(object.Dictionary, "/pages")) {
      FRoot = ObjectRef{number, object.Generation};
      return;
    }
  }
}

const TrailerBounds& PdfDocument::Bounds() {
  if (!FTrailerBounds)
    FTrailerBounds = std::make_unique<TrailerBounds>(FData);
  return *FTrailerBounds;
}

int64_t PdfDocument::ResolveLength(ObjectRef ref) const {
  IndirectObject object = Object(ref.Number);
  if (!object.Found())
    return -1;
  return ToInteger(Trim(object.Body()), -1);
}

// Once the cross-reference data are final, each object is read once: pages
// refer to the same resources, fonts and streams again and again, and an
// object read anew each time costs its size each time.  A reading cut short
// by the look-up depth is not kept.
IndirectObject PdfDocument::Object(uint32_t number) const {
  if (!FObjectsFinal)
    return ReadObject(number);
  auto cached = FObjects.find(number);
  if (cached != FObjects.end())
    return cached->second;
  uint64_t cutsBefore = FDepthCuts;
  IndirectObject object = ReadObject(number);
  if (FDepthCuts == cutsBefore)
    FObjects.emplace(number, object);
  return object;
}

IndirectObject PdfDocument::ReadObject(uint32_t number) const {
  DepthGuard guard(FDepth);
  const XrefEntry* entry = FXref.Find(number);
  if (guard.TooDeep())
    ++FDepthCuts;
  if (!entry || guard.TooDeep())
    return {};
  if (entry->Type == XrefEntry::Kind::InFile) {
    IndirectObject object =
        ParseIndirectObject(FData, static_cast<size_t>(entry->Offset), NextOffset(entry->Offset),
                            [this](ObjectRef ref) { return ResolveLength(ref); });
    FBudget.SpendWork(object.Text.size() + 1);
    return object.Number == number ? object : IndirectObject();
  }
  if (entry->StreamNumber == number)
    return {};
  const ObjectStream* stream = LoadObjectStream(entry->StreamNumber);
  if (!stream)
    return {};
  std::string_view body = stream->Body(number);
  FBudget.SpendWork(body.size() + 1);
  if (body.empty())
    return {};
  return ObjectFromBody(body, number);
}

std::string_view PdfDocument::ObjectText(uint32_t number) const {
  return Object(number).Text;
}

const PdfDocument::ObjectStream* PdfDocument::LoadObjectStream(uint32_t number) const {
  auto cached = FObjectStreams.find(number);
  if (cached != FObjectStreams.end())
    return cached->second.get();
  // A placeholder first: a stream that (through its /Length) needs itself
  // finds nothing instead of recursing.
  FObjectStreams[number] = nullptr;
  const XrefEntry* entry = FXref.Find(number);
  if (!entry || entry->Type != XrefEntry::Kind::InFile)
    return nullptr;
  IndirectObject container = Object(number);
  if (!container.Stream)
    return nullptr;
  auto stream = std::make_unique<ObjectStream>();
  try {
    stream->Data = StreamData(container);
  } catch (const Exception&) {
    // Not cached as a failure: an encrypted stream reads once a decryptor
    // is set.
    FObjectStreams.erase(number);
    throw;
  }
  int64_t count = ToInteger(GetKeyValue("/n", container.Dictionary), 0);
  int64_t first = ToInteger(GetKeyValue("/first", container.Dictionary), -1);
  if (first < 0 || static_cast<uint64_t>(first) > stream->Data.size())
    return nullptr;
  // The header: pairs of object number and offset (relative to /First).
  std::string_view header = std::string_view(stream->Data).substr(0, static_cast<size_t>(first));
  for (int64_t k = 0; k < count && !header.empty(); ++k) {
    header = Trim(header);
    size_t split = 0;
    while (split < header.size() && !IsWhiteSpace(header[split]))
      ++split;
    int64_t objectNumber = ToInteger(header.substr(0, split), -1);
    header = Trim(header.substr(split));
    split = 0;
    while (split < header.size() && !IsWhiteSpace(header[split]))
      ++split;
    int64_t offset = ToInteger(header.substr(0, split), -1);
    header = header.substr(split);
    if (objectNumber < 0 || objectNumber > UINT32_MAX || offset < 0 ||
        static_cast<uint64_t>(offset) > stream->Data.size() - static_cast<uint64_t>(first))
      break;
    size_t start = static_cast<size_t>(first + offset);
    stream->Starts.emplace(static_cast<uint32_t>(objectNumber), start);
    stream->SortedStarts.push_back(start);
  }
  std::sort(stream->SortedStarts.begin(), stream->SortedStarts.end());
  const ObjectStream* result = stream.get();
  FObjectStreams[number] = std::move(stream);
  return result;
}

// The most bytes a cross-reference stream's entries may take: as many
// entries as the table may hold, of the widths its /W gives (none when /W
// is unusable, which reading the entries reports).
PdfDocument::DecodingBound PdfDocument::XrefStreamBound(std::string_view dictionary) const {
  uint64_t width = 0;
  std::string_view list = GetKeyList("/w", dictionary);
  for (int field = 0; field < 3; ++field) {
    list = Trim(list);
    size_t end = 0;
    while (end < list.size() && !IsWhiteSpace(list[end]) && list[end] != ',')
      ++end;
    int64_t value = ToInteger(list.substr(0, end), -1);
    if (value < 0 || value > 8)
      return {};
    width += static_cast<uint64_t>(value);
    list = list.substr(std::min(list.size(), end + 1));
  }
  if (width == 0)
    return {};
  return {width * XrefCapacity(FData.size()), true, width};
}

// The cap of the next decoding: the per-stream and per-document decoding
// limits, and the work left, since decoding costs work in proportion to
// what it writes.  The limit met first stops the decoding as its output
// reaches it, before the memory is spent.
PdfDocument::DecodingCap PdfDocument::NextDecodingCap() const {
  if (FDecodedBytes >= FLimits.DocumentBudget)
    throw DecodingLimitExceeded("PDF-document exceeds the decoding limit of %d bytes",
                                {static_cast<int64_t>(FLimits.DocumentBudget)});
  DecodingCap cap;
  cap.bytes = std::min<uint64_t>(FLimits.StreamCap, FLimits.DocumentBudget - FDecodedBytes);
  const uint64_t workLeft =
      FBudget.WorkSpent() < FBudget.WorkLimit() ? FBudget.WorkLimit() - FBudget.WorkSpent() : 0;
  if (workLeft < cap.bytes) {
    cap.bytes = workLeft;
    cap.byWork = true;
  }
  return cap;
}

// Spends what a decoding (or a use of its kept result) costs: the larger of
// what it reads and what its filters write.  A stream that decodes to
// little (white space under ASCIIHexDecode, FlateDecode output that
// ASCIIHexDecode drops, damaged data) costs what it reads; one that decodes
// to much costs what it writes, which the page then parses.
void PdfDocument::SpendDecoding(uint64_t cost) const {
  FDecodedBytes += cost;
  FBudget.SpendWork(cost);
}

std::string PdfDocument::DecodeCapped(std::string raw, std::string_view dictionary,
                                      const DecodingBound& bound, uint64_t* cost) const {
  DecodingCap cap = NextDecodingCap();
  const bool byBound = bound.bytes < cap.bytes;
  const uint64_t read = raw.size();
  uint64_t produced = 0;
  std::string data;
  bool cut = false;
  try {
    data = DecodeStream(std::move(raw), dictionary,
                        static_cast<size_t>(std::min(bound.bytes, cap.bytes)), &produced,
                        byBound && bound.xref ? &cut : nullptr);
  } catch (const LimitExceeded&) {
    throw;
  } catch (const Exception&) {
    // Past the cap: the limit that set it.
    if (byBound)
      ThrowPastBound(bound);
    if (cap.byWork)
      throw LimitExceeded("units of work", FBudget.WorkLimit());
    throw;
  }
  if (cut) // whole entries only
    data.resize(data.size() - data.size() % bound.entryWidth);
  SpendDecoding(std::max(read, produced));
  if (cost)
    *cost = std::max(read, produced);
  return data;
}

void PdfDocument::ThrowPastBound(const DecodingBound& bound) const {
  if (bound.xref)
    throw Exception("Content of stream for /TYPE/XREF section have incorrect length");
  throw DecodingLimitExceeded("PDF stream exceeds the decoding limit of %d bytes",
                  {static_cast<int64_t>(FLimits.StreamCap)});
}

// A stream read a second time (one content stream that many pages show,
// say) is kept, and each later reading gives the kept data: each still
// spends what its decoding cost, so that a thousand pages showing one
// stream cost what decoding it a thousand times would, without the
// decoding.
std::string PdfDocument::StreamData(const IndirectObject& object, uint64_t maxBytes) const {
  if (!object.Stream)
    return {};
  const bool keepable = FObjectsFinal && object.Found() && !object.InObjectStream;
  if (keepable)
    if (auto kept = FKeptStreams.find(object.Number); kept != FKeptStreams.end()) {
      if (kept->second.Data.size() > maxBytes)
        ThrowPastBound({maxBytes, false, 1});
      ReuseKept(kept->second);
      return kept->second.Data;
    }
  uint64_t cost = 0;
  std::string data = DecodeStreamData(object, maxBytes, cost);
  if (keepable && !FStreamsRead.insert(object.Number).second) {
    FBudget.SpendMemory(data.size());
    FKeptStreams.emplace(object.Number, KeptStream{data, cost});
  }
  return data;
}

void PdfDocument::ReuseKept(const KeptStream& kept) const {
  DecodingCap cap = NextDecodingCap();
  if (kept.Cost > cap.bytes) {
    if (cap.byWork)
      throw LimitExceeded("units of work", FBudget.WorkLimit());
    throw DecodingLimitExceeded("PDF stream exceeds the decoding limit of %d bytes",
                    {static_cast<int64_t>(cap.bytes)});
  }
  SpendDecoding(kept.Cost);
}

std::string PdfDocument::DecodeStreamData(const IndirectObject& object, uint64_t maxBytes,
                                          uint64_t& cost) const {
  std::string raw(*object.Stream);
  bool decrypt = IsEncrypted() && !object.InObjectStream &&
                 !NameIs(GetKeyValue("/type", object.Dictionary), "/xref") &&
                 !HasCryptFilter(object.Dictionary);
  if (decrypt) {
    if (!FDecryptor)
      throw Exception("Could not read the password protected file");
    raw = FDecryptor->DecryptStream(raw, object.Number, object.Generation);
  }
  return DecodeCapped(std::move(raw), object.Dictionary, {maxBytes, false, 1}, &cost);
}

std::string_view PdfDocument::Trailer() const {
  return FXref.Trailers().empty() ? std::string_view() : FXref.Trailers().front();
}

std::optional<ObjectRef> PdfDocument::Info() const {
  return GetKeyReference("/info", FXref.TrailerWith("/info"));
}

// Asked for every stream and string: each trailer is searched for /Encrypt
// once (a trailer may be megabytes long), not at each question.
bool PdfDocument::IsEncrypted() const {
  const std::vector<std::string_view>& trailers = FXref.Trailers();
  for (; FTrailersSearched < trailers.size(); ++FTrailersSearched)
    FEncrypted = FEncrypted || HasKey(trailers[FTrailersSearched], "/encrypt");
  return FEncrypted;
}

std::string PdfDocument::EncryptDictionary() const {
  std::string_view trailer = TrailerWith("/encrypt");
  if (trailer.empty())
    return {};
  return std::string(GetDictValue("/encrypt", trailer, this));
}

std::string PdfDocument::FirstId() const {
  std::string_view ids = GetKeyList("/id", TrailerWith("/id"));
  if (auto first = DecodeStringToken(ids))
    return *first;
  return {};
}

void PdfDocument::SetDecryptor(std::unique_ptr<ObjectDecryptor> decryptor) {
  FDecryptor = std::move(decryptor);
}

std::string PdfDocument::DecryptString(std::string_view bytes, const IndirectObject& holder) const {
  if (!IsEncrypted() || holder.InObjectStream)
    return std::string(bytes);
  if (!FDecryptor)
    throw Exception("Could not read the password protected file");
  return FDecryptor->DecryptString(bytes, holder.Number, holder.Generation);
}

} // namespace scrivlet::pdf
