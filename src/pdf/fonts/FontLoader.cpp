#include "pdf/fonts/FontLoader.h"
#include "core/Ascii.h"

#include "pdf/content/ContentTokenizer.h"
#include "pdf/fonts/DictionaryEntries.h"
#include "pdf/fonts/GlyphNames.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::pdf {
namespace {

constexpr int kMaxReferenceSteps = 8;

// A value with indirect references followed: the text of the value and the
// object that holds it.
struct Resolved {
  std::string_view text;
  IndirectObject holder;
};

Resolved Resolve(const PdfDocument& document, std::string_view value,
                 const IndirectObject& holder) {
  Resolved resolved{Trim(value), holder};
  for (int step = 0; step < kMaxReferenceSteps; ++step) {
    std::optional<ObjectRef> ref = ReferenceAt(resolved.text);
    if (!ref)
      break;
    resolved.holder = document.Object(ref->Number);
    resolved.text = Trim(resolved.holder.Body());
  }
  return resolved;
}

std::optional<std::string_view> Entry(std::string_view dictionary, std::string_view key) {
  return EntryValue(dictionary, key);
}

// The characters of a name after its "/", "#xx" escapes decoded.
std::string DecodeName(std::string_view body) {
  std::string name;
  name.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '#' && i + 2 < body.size() && HexDigitValue(body[i + 1]) >= 0 &&
        HexDigitValue(body[i + 2]) >= 0) {
      name += static_cast<char>(HexDigitValue(body[i + 1]) * 16 + HexDigitValue(body[i + 2]));
      i += 2;
    } else {
      name += body[i];
    }
  }
  return name;
}

// A name value without its "/"; empty for any other value.
std::string NameOf(std::string_view value) {
  value = Trim(value);
  if (value.empty() || value[0] != '/')
    return {};
  return DecodeName(value.substr(1));
}

std::string_view DictionaryOf(const Resolved& resolved) {
  if (auto inside = DictionaryAt(resolved.text))
    return *inside;
  return {};
}

// The decoded stream of a value that refers to a stream object.
std::string StreamOf(const PdfDocument& document, std::string_view value) {
  std::optional<ObjectRef> ref = ReferenceAt(value);
  if (!ref)
    return {};
  IndirectObject object = document.Object(ref->Number);
  if (!object.Found() || !object.Stream)
    return {};
  return document.StreamData(object);
}

// The tokens of an array value, in order.
std::vector<ContentToken> ArrayTokens(std::string_view arrayText) {
  std::vector<ContentToken> tokens;
  ContentTokenizer tokenizer(arrayText);
  ContentToken token;
  int depth = 0;
  while (tokenizer.Next(token)) {
    if (token.kind == ContentToken::Kind::ArrayOpen) {
      ++depth;
    } else if (token.kind == ContentToken::Kind::ArrayClose) {
      if (--depth <= 0)
        break;
    }
    tokens.push_back(token);
  }
  return tokens;
}

// The numbers of an array value, in order; at most maxCount of them.
std::vector<double> Numbers(std::string_view arrayText, size_t maxCount = SIZE_MAX) {
  std::vector<double> numbers;
  ContentTokenizer tokenizer(arrayText);
  ContentToken token;
  int depth = 0;
  while (numbers.size() < maxCount && tokenizer.Next(token)) {
    if (token.kind == ContentToken::Kind::ArrayOpen) {
      ++depth;
    } else if (token.kind == ContentToken::Kind::ArrayClose) {
      if (--depth <= 0)
        break;
    } else if (token.kind == ContentToken::Kind::Number) {
      numbers.push_back(token.number);
    }
  }
  return numbers;
}

double NumberOf(const PdfDocument& document, std::string_view dictionary, std::string_view key,
                const IndirectObject& holder, double fallback) {
  auto value = Entry(dictionary, key);
  if (!value)
    return fallback;
  std::vector<double> numbers = Numbers(Resolve(document, *value, holder).text);
  return numbers.empty() ? fallback : numbers.front();
}

// One entry a code: a font reads the names in order, and a name with text
// replaces what the code had while a name without any leaves it, so the
// entry kept is the last name with text (or the last name, when none has).
// An array that names one code a million times then costs every font that
// uses it 256 entries at most, not a million.
GlyphDifferences ParseDifferences(std::string_view arrayText) {
  GlyphDifferences differences;
  std::array<int, 256> entryOf;
  entryOf.fill(-1);
  int code = 0;
  for (const ContentToken& token : ArrayTokens(arrayText)) {
    if (token.kind == ContentToken::Kind::Number) {
      code = token.number >= 0 && token.number < 256 ? static_cast<int>(token.number) : 256;
    } else if (token.kind == ContentToken::Kind::Name) {
      if (code < 256) {
        std::string name = DecodeName(token.text);
        if (entryOf[code] < 0) {
          entryOf[code] = static_cast<int>(differences.size());
          differences.emplace_back(code, std::move(name));
        } else if (std::string& kept = differences[entryOf[code]].second;
                   !GlyphNameToText(name).empty() || GlyphNameToText(kept).empty()) {
          kept = std::move(name);
        }
      }
      ++code;
    }
  }
  return differences;
}

// What a parsed array entry costs in memory, roughly (a name or a range).
constexpr uint64_t kArrayEntryBytes = 48;

size_t EntryCount(const GlyphDifferences& differences) {
  return differences.size();
}
size_t EntryCount(const CidWidths& widths) {
  return widths.Size();
}

// An array value parsed by `parse`, once per document for the text it lies
// at (its own object's or inline in a shared dictionary), shared through
// `cache`.  Each parse spends its entries as memory from the document's
// budget.
template <class Parsed, class Parse>
std::shared_ptr<const Parsed>
SharedArray(const PdfDocument& document, std::string_view value, const IndirectObject& holder,
            std::unordered_map<const char*, std::shared_ptr<const Parsed>>* cache, Parse parse) {
  std::string_view text = Resolve(document, value, holder).text;
  if (cache)
    if (auto known = cache->find(text.data()); known != cache->end())
      return known->second;
  auto parsed = std::make_shared<const Parsed>(parse(text));
  document.Budget().SpendMemory(EntryCount(*parsed) * kArrayEntryBytes);
  if (cache)
    cache->emplace(text.data(), parsed);
  return parsed;
}

// The ToUnicode map of a value that refers to a stream, parsed once per
// stream object through `cache` (when given).
std::shared_ptr<const CMap> ToUnicodeMap(const PdfDocument& document, std::string_view value,
                                         SharedFontArrays* shared) {
  std::optional<ObjectRef> ref = ReferenceAt(Trim(value));
  if (!ref)
    return nullptr;
  if (shared)
    if (auto known = shared->toUnicode.find(ref->Number); known != shared->toUnicode.end())
      return known->second;
  // Decoding the stream spent what it wrote, which parsing the map reads.
  std::string text = StreamOf(document, value);
  auto map = text.empty() ? nullptr : std::make_shared<const CMap>(CMap::Parse(text));
  // A map keeps about what its text holds.
  document.Budget().SpendMemory(text.size());
  if (shared)
    shared->toUnicode.emplace(ref->Number, map);
  return map;
}

void ReadEncoding(const PdfDocument& document, std::string_view dictionary,
                  const IndirectObject& holder, SharedFontArrays* shared,
                  FontDescription& description) {
  auto value = Entry(dictionary, "Encoding");
  if (!value)
    return;
  if (description.subtype == "Type0") {
    std::string name = NameOf(*value);
    description.encodingCMapText = !name.empty() ? "/" + name : StreamOf(document, *value);
    return;
  }
  Resolved resolved = Resolve(document, *value, holder);
  if (std::string name = NameOf(resolved.text); !name.empty()) {
    description.encodingName = name;
    return;
  }
  // Finding the dictionary's end reads it whole: looked up first.
  const char* where = resolved.text.data();
  if (shared)
    if (auto known = shared->encodings.find(where); known != shared->encodings.end()) {
      description.hasEncodingDictionary = true;
      description.encodingName = known->second.encodingName;
      description.differences = known->second.differences;
      return;
    }
  std::string_view encoding = DictionaryOf(resolved);
  if (encoding.empty())
    return;
  document.Budget().SpendWork(encoding.size() * 2);
  description.hasEncodingDictionary = true;
  if (auto base = Entry(encoding, "BaseEncoding"))
    description.encodingName = NameOf(Resolve(document, *base, resolved.holder).text);
  if (auto differences = Entry(encoding, "Differences"))
    description.differences =
        SharedArray(document, *differences, resolved.holder,
                    shared ? &shared->differences : nullptr, ParseDifferences);
  if (shared) {
    FontDescription& kept = shared->encodings[where];
    kept.encodingName = description.encodingName;
    kept.differences = description.differences;
  }
}

void ReadSimpleWidths(const PdfDocument& document, std::string_view dictionary,
                      const IndirectObject& holder, FontDescription& description) {
  auto widths = Entry(dictionary, "Widths");
  if (!widths)
    return;
  description.firstChar = static_cast<int>(NumberOf(document, dictionary, "FirstChar", holder, 0));
  // One-byte codes use the widths from /FirstChar to code 255, no more: many
  // fonts may share one long /Widths array, which each font read whole.
  // (A negative /FirstChar, which no code reaches, is read as 0.)
  if (description.firstChar < 0)
    description.firstChar = 0;
  size_t used = description.firstChar < 256 ? 256 - static_cast<size_t>(description.firstChar) : 1;
  description.widths = Numbers(Resolve(document, *widths, holder).text, used);
  description.hasWidths = !description.widths.empty();
}

void ReadFontMatrix(const PdfDocument& document, std::string_view dictionary,
                    const IndirectObject& holder, FontDescription& description) {
  if (auto matrix = Entry(dictionary, "FontMatrix")) {
    std::vector<double> numbers = Numbers(Resolve(document, *matrix, holder).text);
    if (!numbers.empty())
      description.fontMatrixA = numbers.front();
  }
}

void ReadDescriptor(const PdfDocument& document, std::string_view dictionary,
                    const IndirectObject& holder, bool wantType1, bool wantTrueType,
                    FontDescription& description) {
  auto value = Entry(dictionary, "FontDescriptor");
  if (!value)
    return;
  Resolved resolved = Resolve(document, *value, holder);
  std::string_view descriptor = DictionaryOf(resolved);
  description.flags = static_cast<int>(NumberOf(document, descriptor, "Flags", resolved.holder, 0));
  description.missingWidth = NumberOf(document, descriptor, "MissingWidth", resolved.holder, 0);
  if (wantType1) {
    if (auto file = Entry(descriptor, "FontFile")) {
      description.type1Program = StreamOf(document, *file);
    } else if (auto cff = Entry(descriptor, "FontFile3")) {
      Resolved program = Resolve(document, *cff, resolved.holder);
      if (NameOf(Entry(DictionaryOf(program), "Subtype").value_or("")) == "Type1C")
        description.cffProgram = StreamOf(document, *cff);
    }
  }
  if (!wantTrueType)
    return;
  if (auto file = Entry(descriptor, "FontFile2")) {
    description.trueTypeProgram = StreamOf(document, *file);
  } else if (auto file3 = Entry(descriptor, "FontFile3")) {
    // Only OpenType programs have a cmap table; bare CFF programs do not.
    Resolved program = Resolve(document, *file3, resolved.holder);
    if (NameOf(Entry(DictionaryOf(program), "Subtype").value_or("")) == "OpenType")
      description.trueTypeProgram = StreamOf(document, *file3);
  }
}

std::string StringOf(const PdfDocument& document, const Resolved& resolved, std::string_view key) {
  auto value = Entry(DictionaryOf(resolved), key);
  if (!value)
    return {};
  std::optional<std::string> bytes = DecodeStringToken(*value);
  if (!bytes)
    return NameOf(*value); // some writers give names
  if (document.IsEncrypted() && !resolved.holder.InObjectStream)
    return document.DecryptString(*bytes, resolved.holder);
  return *bytes;
}

// The fields that a descendant font (and its descriptor) give.
void CopyDescendantFields(const FontDescription& from, FontDescription& to) {
  to.cidWidths = from.cidWidths;
  to.defaultCidWidth = from.defaultCidWidth;
  to.cidToGidMap = from.cidToGidMap;
  to.collection = from.collection;
  to.flags = from.flags;
  to.missingWidth = from.missingWidth;
  to.trueTypeProgram = from.trueTypeProgram;
}

void ReadDescendantFont(const PdfDocument& document, std::string_view font,
                        const IndirectObject& fontHolder, SharedFontArrays* shared,
                        bool wantProgram, FontDescription& description);

void ReadDescendant(const PdfDocument& document, std::string_view dictionary,
                    const IndirectObject& holder, SharedFontArrays* shared,
                    FontDescription& description) {
  auto value = Entry(dictionary, "DescendantFonts");
  if (!value)
    return;
  Resolved array = Resolve(document, *value, holder);
  std::string_view first = array.text;
  if (!first.empty() && first[0] == '[')
    first = Trim(first.substr(1));
  Resolved descendant = Resolve(document, first, array.holder);
  // Finding the dictionary's end reads it whole: looked up first.
  const bool wantProgram = !description.HasToUnicode();
  const std::pair<const char*, bool> key{descendant.text.data(), wantProgram};
  if (shared)
    if (auto known = shared->descendants.find(key); known != shared->descendants.end()) {
      CopyDescendantFields(known->second, description);
      return;
    }
  std::string_view font = DictionaryOf(descendant);
  if (font.empty())
    return;
  ReadDescendantFont(document, font, descendant.holder, shared, wantProgram, description);
  if (shared)
    CopyDescendantFields(description, shared->descendants[key]);
}

void ReadDescendantFont(const PdfDocument& document, std::string_view font,
                        const IndirectObject& fontHolder, SharedFontArrays* shared,
                        bool wantProgram, FontDescription& description) {
  // Its keys are looked up one by one, each a pass over the dictionary.
  constexpr uint64_t kKeysLookedUp = 8;
  document.Budget().SpendWork(font.size() * kKeysLookedUp);
  if (auto widths = Entry(font, "W"))
    description.cidWidths = SharedArray(document, *widths, fontHolder,
                                        shared ? &shared->cidWidths : nullptr, CidWidths::Parse);
  description.defaultCidWidth = NumberOf(document, font, "DW", fontHolder, 1000);
  if (auto map = Entry(font, "CIDToGIDMap"); map && NameOf(*map).empty())
    description.cidToGidMap = StreamOf(document, *map);
  if (auto info = Entry(font, "CIDSystemInfo")) {
    Resolved system = Resolve(document, *info, fontHolder);
    std::string registry = StringOf(document, system, "Registry");
    std::string ordering = StringOf(document, system, "Ordering");
    if (!registry.empty() && !ordering.empty())
      description.collection = registry + "-" + ordering;
  }
  ReadDescriptor(document, font, fontHolder, false, wantProgram, description);
}

} // namespace

FontDescription ReadFontDescription(const PdfDocument& document, std::string_view dictionary,
                                    const IndirectObject& holder, SharedFontArrays* shared) {
  // A font record (a text and a width per code, the tables it points at)
  // takes some kilobytes whatever its dictionary's size.
  constexpr uint64_t kFontRecordBytes = 8192;
  document.Budget().SpendWork(dictionary.size());
  document.Budget().SpendMemory(kFontRecordBytes);
  FontDescription description;
  description.subtype = NameOf(Entry(dictionary, "Subtype").value_or(""));
  description.baseFont = NameOf(Entry(dictionary, "BaseFont").value_or(""));
  if (auto toUnicode = Entry(dictionary, "ToUnicode"))
    description.toUnicodeMap = ToUnicodeMap(document, *toUnicode, shared);
  ReadEncoding(document, dictionary, holder, shared, description);
  if (description.subtype == "Type0") {
    ReadDescendant(document, dictionary, holder, shared, description);
    return description;
  }
  ReadSimpleWidths(document, dictionary, holder, description);
  if (description.subtype == "Type3")
    ReadFontMatrix(document, dictionary, holder, description);
  bool needsBuiltIn = description.encodingName.empty();
  ReadDescriptor(document, dictionary, holder, needsBuiltIn, false, description);
  return description;
}

} // namespace scrivlet::pdf
