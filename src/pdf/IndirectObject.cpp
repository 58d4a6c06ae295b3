#include "pdf/IndirectObject.h"

#include <algorithm>

namespace scrivlet::pdf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t SkipWhiteSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && IsWhiteSpace(text[pos]))
    ++pos;
  return pos;
}

// Reads digits at pos into value (at most maxDigits); false when none.
bool ReadDigits(std::string_view text, size_t& pos, size_t maxDigits, uint64_t& value) {
  size_t begin = pos;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - begin < maxDigits)
    value = value * 10 + static_cast<uint64_t>(text[pos++] - '0');
  return pos > begin && (pos >= text.size() || !IsDigit(text[pos]));
}

// Position of the first occurrence of the word in [from, bound), or npos.
size_t FindWithin(std::string_view data, std::string_view word, size_t from, size_t bound) {
  if (from >= bound)
    return std::string_view::npos;
  size_t pos = data.substr(0, bound).find(word, from);
  return pos;
}

// Where the dictionary that starts the body (after white space) ends: the
// position after its ">>"; npos when the body does not start with one.
size_t DictionaryEnd(std::string_view data, size_t bodyStart, size_t bound,
                     std::string_view& inside) {
  std::string_view body = data.substr(bodyStart, bound - bodyStart);
  std::optional<std::string_view> dictionary = DictionaryAt(body);
  if (!dictionary)
    return std::string_view::npos;
  inside = *dictionary;
  size_t end = static_cast<size_t>(dictionary->data() - data.data()) + dictionary->size();
  return std::min(end + 2, bound);
}

// Whether "endstream" follows at pos (after white space).
bool EndstreamAt(std::string_view data, size_t pos, size_t bound) {
  pos = SkipWhiteSpace(data.substr(0, bound), pos);
  return data.substr(0, bound).substr(pos).starts_with("endstream");
}

} // namespace

std::string_view IndirectObject::Body() const {
  if (InObjectStream)
    return Text;
  size_t obj = Text.find("obj");
  return obj == std::string_view::npos ? Text : Text.substr(obj + 3);
}

bool ParseObjectHeader(std::string_view data, size_t offset, uint32_t& number, uint16_t& generation,
                       size_t& bodyStart) {
  if (offset >= data.size())
    return false;
  size_t pos = SkipWhiteSpace(data, offset);
  uint64_t value = 0;
  if (!ReadDigits(data, pos, 10, value) || value > UINT32_MAX)
    return false;
  number = static_cast<uint32_t>(value);
  size_t afterNumber = pos;
  pos = SkipWhiteSpace(data, pos);
  if (pos == afterNumber || !ReadDigits(data, pos, 5, value) || value > 65535)
    return false;
  generation = static_cast<uint16_t>(value);
  pos = SkipWhiteSpace(data, pos);
  if (data.substr(pos, 3) != "obj")
    return false;
  pos += 3;
  if (pos < data.size() && !IsWhiteSpace(data[pos]) && !IsDelimiter(data[pos]))
    return false;
  bodyStart = pos;
  return true;
}

IndirectObject ParseIndirectObject(std::string_view data, size_t offset, size_t bound,
                                   const LengthResolver& lengthOf) {
  IndirectObject object;
  bound = std::min(bound, data.size());
  size_t bodyStart = 0;
  if (offset >= bound ||
      !ParseObjectHeader(data, offset, object.Number, object.Generation, bodyStart) ||
      bodyStart > bound)
    return object;
  size_t textStart = SkipWhiteSpace(data, offset);
  size_t end = bound;
  size_t dictionaryEnd = DictionaryEnd(data, bodyStart, bound, object.Dictionary);
  size_t searchFrom = bodyStart;
  if (dictionaryEnd != std::string_view::npos) {
    searchFrom = dictionaryEnd;
    size_t keyword = SkipWhiteSpace(data.substr(0, bound), dictionaryEnd);
    if (data.substr(0, bound).substr(keyword).starts_with("stream")) {
      size_t streamStart = keyword + 6;
      if (streamStart < bound && data[streamStart] == '\r')
        ++streamStart;
      if (streamStart < bound && data[streamStart] == '\n')
        ++streamStart;
      int64_t length = -1;
      if (auto ref = GetKeyReference("/length", object.Dictionary))
        length = lengthOf ? lengthOf(*ref) : -1;
      else if (HasKey(object.Dictionary, "/length"))
        length = ToInteger(GetKeyValue("/length", object.Dictionary), -1);
      size_t streamEnd = std::string_view::npos;
      if (length >= 0 && static_cast<uint64_t>(length) <= bound - streamStart &&
          EndstreamAt(data, streamStart + static_cast<size_t>(length), bound)) {
        streamEnd = streamStart + static_cast<size_t>(length);
        searchFrom = streamEnd;
      } else {
        size_t endstream = FindWithin(data, "endstream", streamStart, bound);
        streamEnd = endstream == std::string_view::npos ? bound : endstream;
        searchFrom = streamEnd;
        // The line end before "endstream" belongs to the keyword.
        if (endstream != std::string_view::npos) {
          if (streamEnd > streamStart && data[streamEnd - 1] == '\n')
            --streamEnd;
          if (streamEnd > streamStart && data[streamEnd - 1] == '\r')
            --streamEnd;
        }
      }
      object.Stream = data.substr(streamStart, streamEnd - streamStart);
    }
  }
  size_t endobj = FindWithin(data, "endobj", searchFrom, bound);
  if (endobj != std::string_view::npos)
    end = endobj;
  object.Text = data.substr(textStart, end - textStart);
  if (object.Text.empty())
    object.Text = data.substr(textStart, bodyStart - textStart);
  return object;
}

IndirectObject ObjectFromBody(std::string_view body, uint32_t number) {
  IndirectObject object;
  object.Number = number;
  object.InObjectStream = true;
  object.Text = body;
  if (auto dictionary = DictionaryAt(body))
    object.Dictionary = *dictionary;
  return object;
}

} // namespace scrivlet::pdf
