#include "pdf/security/StandardSecurityHandler.h"

#include "core/Exception.h"
#include "pdf/security/Md5PasswordAlgorithms.h"
#include "pdf/security/PasswordEncodings.h"
#include "pdf/security/Sha2PasswordAlgorithms.h"

#include <optional>

namespace scrivlet {

namespace {

constexpr const char* PasswordNotValid = "Password is not valid";
constexpr const char* UnknownRevision =
    "Unknown (or nonsupported) revision for Standard encryption (Algorithm %d)";
constexpr const char* InvalidKeyLength = "Invalid key length (%d) for Standard encryption";
constexpr const char* InvalidMethod = "Invalid method used (%s) for Standard encryption";
constexpr const char* InvalidEvent =
    "Invalid event (%s) to be to trigger the authorization for Standard encryption";
constexpr const char* NotImplemented =
    "CryptFilter algorithm for Standard encryption is not implemented in current version";

// RC4 keys of the standard handler: 40 to 128 bits in whole bytes.
void CheckRc4KeyLength(int32_t bits) {
  if (bits < 40 || bits > 128 || bits % 8 != 0)
    throw Exception(InvalidKeyLength, {static_cast<int64_t>(bits)});
}

// The crypt filter that "/stmf" or "/strf" names; nothing for the identity
// filter.  A name missing from "/cf" falls back on its only entry (writers
// disagree on the case of names); otherwise it has no method.
std::optional<CryptFilterEntry> NamedFilter(const EncryptionDictionary& dictionary,
                                            const std::string& name) {
  if (name.empty() || name == "/identity")
    return std::nullopt;
  const auto found = dictionary.CryptFilters.find(name);
  if (found != dictionary.CryptFilters.end())
    return found->second;
  if (dictionary.CryptFilters.size() == 1)
    return dictionary.CryptFilters.begin()->second;
  return CryptFilterEntry{};
}

// The checks of a crypt filter in their order (length, method, event), and
// the method it stands for.  An absent "/authevent" means opening the
// document, its default.
CryptMethod CheckedMethod(const CryptFilterEntry& filter) {
  if (filter.Length % 8 != 0)
    throw Exception(InvalidKeyLength, {static_cast<int64_t>(filter.Length)});
  CryptMethod method;
  if (filter.Method == "/none")
    method = CryptMethod::Identity;
  else if (filter.Method == "/v2")
    method = CryptMethod::Rc4;
  else if (filter.Method == "/aesv2")
    method = CryptMethod::Aes128;
  else if (filter.Method == "/aesv3")
    method = CryptMethod::Aes256;
  else
    throw Exception(InvalidMethod, {filter.Method});
  if (!filter.AuthEvent.empty() && filter.AuthEvent != "/docopen" && filter.AuthEvent != "/efopen")
    throw Exception(InvalidEvent, {filter.AuthEvent});
  return method;
}

// Version 4 keys: the dictionary's "/length", else that of the stream (or
// string) filter, in bytes when below 40, else 128 bits.
int32_t Version4KeyBits(const EncryptionDictionary& dictionary) {
  if (dictionary.Length > 0)
    return dictionary.Length;
  for (const std::string* name : {&dictionary.StreamFilter, &dictionary.StringFilter}) {
    const auto filter = NamedFilter(dictionary, *name);
    if (filter && filter->Length > 0)
      return filter->Length < 40 ? filter->Length * 8 : filter->Length;
  }
  return 128;
}

bool UsableWithVersion(CryptMethod method, int32_t version) {
  if (method == CryptMethod::Identity)
    return true;
  return version == 5 ? method == CryptMethod::Aes256 : method != CryptMethod::Aes256;
}

} // namespace

StandardSecurityHandler::StandardSecurityHandler(const EncryptionDictionary& dictionary,
                                                 std::string_view documentId,
                                                 std::string_view password)
    : FEncryptMetadata(dictionary.EncryptMetadata) {
  if (dictionary.Filter != "/standard")
    throw Exception("The encryption method is not supported in current version");
  switch (dictionary.Version) {
  case 1:
  case 2: {
    if (dictionary.Revision > 4)
      throw Exception(UnknownRevision, {int64_t{1}});
    const int32_t bits = dictionary.Length > 0 ? dictionary.Length : 40;
    CheckRc4KeyLength(bits);
    FKeyBytes = static_cast<size_t>(bits / 8);
    AuthenticateMd5(dictionary, documentId, password);
    return;
  }
  case 3: throw Exception("Algorithm 3 for Standard encryption is not supported");
  case 4: {
    ChooseMethods(dictionary);
    if (dictionary.Revision > 4)
      throw Exception(UnknownRevision, {int64_t{4}});
    const int32_t bits = Version4KeyBits(dictionary);
    CheckRc4KeyLength(bits);
    FKeyBytes = static_cast<size_t>(bits / 8);
    AuthenticateMd5(dictionary, documentId, password);
    return;
  }
  case 5:
    ChooseMethods(dictionary);
    if (dictionary.Revision != 5 && dictionary.Revision != 6)
      throw Exception(UnknownRevision, {int64_t{5}});
    FKeyBytes = 32;
    AuthenticateSha2(dictionary, password);
    return;
  default:
    throw Exception("Unknown algorithm (%d) for Standard encryption",
                    {static_cast<int64_t>(dictionary.Version)});
  }
}

void StandardSecurityHandler::ChooseMethods(const EncryptionDictionary& dictionary) {
  CryptMethod methods[2] = {CryptMethod::Identity, CryptMethod::Identity};
  const std::string* names[2] = {&dictionary.StreamFilter, &dictionary.StringFilter};
  for (int i = 0; i < 2; ++i)
    if (const auto filter = NamedFilter(dictionary, *names[i]))
      methods[i] = CheckedMethod(*filter);
  for (CryptMethod method : methods)
    if (!UsableWithVersion(method, dictionary.Version))
      throw Exception(NotImplemented);
  FStreamMethod = methods[0];
  FStringMethod = methods[1];
}

void StandardSecurityHandler::AuthenticateMd5(const EncryptionDictionary& dictionary,
                                              std::string_view documentId,
                                              std::string_view password) {
  if (dictionary.Revision < 2)
    throw Exception(PasswordNotValid);
  Md5KeyInputs inputs;
  inputs.Revision = dictionary.Revision;
  inputs.KeyBytes = FKeyBytes;
  inputs.Owner = dictionary.Owner;
  inputs.Permissions = dictionary.Permissions;
  inputs.DocumentId = documentId;
  inputs.EncryptMetadata = dictionary.EncryptMetadata;
  auto opens = [&](std::string_view userPassword) {
    std::string key = ComputeFileKey(userPassword, inputs);
    if (!UserValueMatches(ComputeUserValue(key, dictionary.Revision, documentId), dictionary.User,
                          dictionary.Revision))
      return false;
    FFileKey = std::move(key);
    return true;
  };
  const std::vector<std::string> forms = Latin1PasswordForms(password);
  for (const std::string& form : forms)
    if (opens(form))
      return;
  for (const std::string& form : forms)
    if (opens(RecoverUserPassword(form, dictionary.Owner, dictionary.Revision, FKeyBytes))) {
      FOwnerPassword = true;
      return;
    }
  throw Exception(PasswordNotValid);
}

void StandardSecurityHandler::AuthenticateSha2(const EncryptionDictionary& dictionary,
                                               std::string_view password) {
  const std::vector<std::string> forms = Utf8PasswordForms(password);
  for (const std::string& form : forms)
    if (auto key =
            Sha2UserFileKey(dictionary.Revision, form, dictionary.User, dictionary.UserKey)) {
      FFileKey = std::move(*key);
      return;
    }
  for (const std::string& form : forms)
    if (auto key = Sha2OwnerFileKey(dictionary.Revision, form, dictionary.Owner,
                                    dictionary.OwnerKey, dictionary.User)) {
      FFileKey = std::move(*key);
      FOwnerPassword = true;
      return;
    }
  throw Exception(PasswordNotValid);
}

std::string StandardSecurityHandler::DecryptString(std::string_view bytes, uint32_t objectNumber,
                                                   uint16_t generation) const {
  return DecryptObjectBytes(FStringMethod, FFileKey, bytes, objectNumber, generation);
}

std::string StandardSecurityHandler::DecryptStream(std::string_view bytes, uint32_t objectNumber,
                                                   uint16_t generation) const {
  return DecryptObjectBytes(FStreamMethod, FFileKey, bytes, objectNumber, generation);
}

} // namespace scrivlet
