#include "pdf/filters/StreamFilters.h"

#include "core/Exception.h"
#include "core/Limits.h"
#include "pdf/ObjectText.h"
#include "pdf/filters/Ascii85Decode.h"
#include "pdf/filters/AsciiHexDecode.h"
#include "pdf/filters/FlateDecode.h"
#include "pdf/filters/LzwDecode.h"
#include "pdf/filters/Predictor.h"

namespace scrivlet::pdf {

namespace {

[[noreturn]] void ThrowCapExceeded(size_t cap) {
  throw DecodingLimitExceeded("PDF stream exceeds the decoding limit of %d bytes",
                              {static_cast<int64_t>(cap)});
}

// The parameter dictionaries of the chain, one per filter (empty where none).
std::vector<std::string_view> DecodeParmsList(std::string_view dictionary, size_t filterCount) {
  std::vector<std::string_view> list;
  std::string_view key = "/decodeparms";
  size_t pos = FindKey(dictionary, key);
  if (pos != std::string_view::npos) {
    std::string_view rest = Trim(dictionary.substr(pos + key.size()));
    if (auto single = DictionaryAt(rest)) {
      list.push_back(*single);
    } else if (rest.starts_with("[")) {
      std::string_view items = GetKeyList(key, dictionary);
      while (!items.empty() && list.size() < filterCount) {
        items = Trim(items);
        if (auto dictionary = DictionaryAt(items)) {
          list.push_back(*dictionary);
          // Past the dictionary's closing ">>".
          size_t consumed =
              static_cast<size_t>(dictionary->data() - items.data()) + dictionary->size() + 2;
          items = items.substr(std::min(consumed, items.size()));
        } else if (items.starts_with("null")) {
          list.emplace_back();
          items = items.substr(4);
        } else {
          break;
        }
      }
    }
  }
  list.resize(std::max(list.size(), filterCount));
  return list;
}

// One filter step under the cap; a step past it raises the limit `limit`
// (the whole chain's, when the step has what the chain left), or, with
// `cut` given, sets it and gives what the step wrote up to the cap.
std::string DecodeStep(std::string_view name, std::string data, std::string_view decodeParms,
                       size_t cap, size_t limit, bool* cut) {
  auto pastCap = [&] {
    if (!cut)
      ThrowCapExceeded(limit);
    *cut = true;
  };
  if (name == "/flatedecode" || name == "/fl") {
    FlateResult result = FlateDecode(data, cap);
    if (result.CapExceeded)
      pastCap();
    return ApplyPredictor(std::move(result.Data), ReadPredictorParams(decodeParms));
  }
  if (name == "/lzwdecode" || name == "/lzw") {
    bool earlyChange = ToInteger(GetKeyValue("/earlychange", decodeParms), 1) != 0;
    LzwResult result = LzwDecode(data, earlyChange, cap);
    if (result.CapExceeded)
      pastCap();
    return ApplyPredictor(std::move(result.Data), ReadPredictorParams(decodeParms));
  }
  if (name == "/asciihexdecode" || name == "/ahx")
    return AsciiHexDecode(data);
  if (name == "/ascii85decode" || name == "/a85") {
    bool capExceeded = false;
    std::string result = Ascii85Decode(data, cap, &capExceeded);
    if (capExceeded)
      pastCap();
    return result;
  }
  return data;
}

} // namespace

std::vector<std::string> FilterNames(std::string_view dictionary) {
  std::vector<std::string> names;
  size_t pos = FindKey(dictionary, "/filter");
  if (pos == std::string_view::npos)
    return names;
  std::string_view rest = Trim(dictionary.substr(pos + 7));
  bool isArray = rest.starts_with("[");
  if (isArray)
    rest = GetKeyList("/filter", dictionary);
  for (;;) {
    rest = Trim(rest);
    if (!rest.starts_with("/"))
      break;
    names.push_back(LowerAscii(TakeName(rest)));
    if (!isArray)
      break;
  }
  return names;
}

bool HasCryptFilter(std::string_view dictionary) {
  for (const std::string& name : FilterNames(dictionary))
    if (name == "/crypt")
      return true;
  return false;
}

std::string DecodeFilter(std::string_view name, std::string data, std::string_view decodeParms,
                         size_t cap) {
  return DecodeStep(name, std::move(data), decodeParms, cap, cap, nullptr);
}

std::string DecodeStream(std::string data, std::string_view dictionary, size_t cap,
                         uint64_t* produced, bool* cut) {
  std::vector<std::string> names = FilterNames(dictionary);
  if (produced)
    *produced = names.empty() ? data.size() : 0;
  if (names.empty())
    return data;
  std::vector<std::string_view> parms = DecodeParmsList(dictionary, names.size());
  // The cap is shared by the chain: each filter may write what the ones
  // before it left, so that a long chain of filters that each expand to
  // just under the cap cannot decode the cap many times over.
  size_t left = cap;
  uint64_t written = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    // Only the last filter's output may be cut: a cut before it would
    // leave the later filters a part of their input.
    bool* cutHere = i + 1 == names.size() ? cut : nullptr;
    data = DecodeStep(names[i], std::move(data), parms[i], left, cap, cutHere);
    written += data.size();
    if (produced)
      *produced = written;
    if (data.size() > left) {
      if (!cutHere)
        ThrowCapExceeded(cap);
      *cutHere = true;
      data.resize(left);
    }
    left -= data.size();
  }
  return data;
}

} // namespace scrivlet::pdf
