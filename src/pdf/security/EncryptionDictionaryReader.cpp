#include "pdf/security/EncryptionDictionaryReader.h"

#include <limits>

namespace scrivlet {

namespace {

using namespace pdf;

int32_t IntegerOf(std::string_view dictionary, std::string_view key, int32_t fallback) {
  const std::string_view value = GetKeyValue(key, dictionary);
  const int64_t number = ToInteger(value, fallback);
  if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
    return fallback;
  return static_cast<int32_t>(number);
}

// "/p" is a 32-bit field written signed by most writers and unsigned by
// some (4294967292 for -4): both give the same bits.
int32_t PermissionsOf(std::string_view dictionary) {
  const int64_t number = ToInteger(GetKeyValue("/p", dictionary), 0);
  if (number < std::numeric_limits<int32_t>::min() || number > 0xFFFFFFFFll)
    return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(number));
}

std::string NameOf(std::string_view dictionary, std::string_view key) {
  const std::string_view value = GetKeyValue(key, dictionary);
  return value.starts_with('/') ? LowerAscii(value) : std::string();
}

std::string StringOf(std::string_view dictionary, std::string_view key) {
  const size_t at = FindKey(dictionary, key);
  if (at == std::string_view::npos)
    return {};
  return DecodeStringToken(dictionary.substr(at + key.size())).value_or(std::string());
}

CryptFilterEntry ReadCryptFilter(std::string_view entry) {
  return {NameOf(entry, "/cfm"), NameOf(entry, "/authevent"), IntegerOf(entry, "/length", 0)};
}

// The entries of the "/cf" dictionary: names, each followed by a
// dictionary or a reference to one.
void ReadCryptFilters(std::string_view cf, const ObjectResolver* resolver,
                      EncryptionDictionary& values) {
  std::string_view rest = cf;
  while (true) {
    const std::string_view name = TakeName(rest);
    if (name.empty())
      return;
    if (const auto inside = DictionaryAt(rest)) {
      values.CryptFilters[LowerAscii(name)] = ReadCryptFilter(*inside);
      const size_t end = static_cast<size_t>(inside->data() + inside->size() - rest.data());
      rest = rest.substr(std::min(rest.size(), end + 2));
    } else if (const auto ref = ReferenceAt(rest); ref && resolver) {
      values.CryptFilters[LowerAscii(name)] =
          ReadCryptFilter(FirstDictionary(resolver->ObjectText(ref->Number)));
    }
  }
}

// The dictionary's own "/length": one found only inside the "/cf" entries
// is theirs (in bytes, often), not the key length.
int32_t OuterLength(std::string_view dictionary, std::string_view cf) {
  const size_t at = FindKey(dictionary, "/length");
  if (at == std::string_view::npos)
    return 0;
  const char* key = dictionary.data() + at;
  if (!cf.empty() && key >= cf.data() && key < cf.data() + cf.size())
    return 0;
  return IntegerOf(dictionary, "/length", 0);
}

} // namespace

EncryptionDictionary ReadEncryptionDictionary(std::string_view dictionary,
                                              const ObjectResolver* resolver) {
  EncryptionDictionary values;
  const std::string_view cf = GetDictValue("/cf", dictionary, resolver);
  values.Filter = NameOf(dictionary, "/filter");
  values.Version = IntegerOf(dictionary, "/v", 0);
  values.Length = OuterLength(dictionary, cf);
  values.Revision = IntegerOf(dictionary, "/r", 0);
  values.Owner = StringOf(dictionary, "/o");
  values.User = StringOf(dictionary, "/u");
  values.OwnerKey = StringOf(dictionary, "/oe");
  values.UserKey = StringOf(dictionary, "/ue");
  values.Perms = StringOf(dictionary, "/perms");
  values.Permissions = PermissionsOf(dictionary);
  if (HasKey(dictionary, "/encryptmetadata"))
    values.EncryptMetadata = LowerAscii(GetKeyValue("/encryptmetadata", dictionary)) == "true";
  ReadCryptFilters(cf, resolver, values);
  values.StreamFilter = NameOf(dictionary, "/stmf");
  values.StringFilter = NameOf(dictionary, "/strf");
  values.FileFilter = NameOf(dictionary, "/eff");
  return values;
}

} // namespace scrivlet
