#include "pdf/security/Md5PasswordAlgorithms.h"

#include "crypto/Md5.h"
#include "crypto/Rc4.h"

#include <algorithm>

namespace scrivlet {

namespace {

constexpr size_t PaddedSize = 32;
constexpr size_t UserValueSize = 16; // what revisions 3 and 4 compare

const char PaddingBytes[PaddedSize + 1] = "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56"
                                          "\xFF\xFA\x01\x08\x2E\x2E\x00\xB6\xD0\x68\x3E\x80"
                                          "\x2F\x0C\xA9\xFE\x64\x53\x69\x7A";

std::string LittleEndian32(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF),
          static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 24 & 0xFF)};
}

std::string KeyXor(std::string_view key, int round) {
  std::string result(key);
  for (char& c : result)
    c = static_cast<char>(c ^ round);
  return result;
}

} // namespace

std::string_view PasswordPadding() {
  return std::string_view(PaddingBytes, PaddedSize);
}

std::string PadPassword(std::string_view password) {
  std::string padded(password.substr(0, std::min(password.size(), PaddedSize)));
  padded += PasswordPadding().substr(0, PaddedSize - padded.size());
  return padded;
}

std::string ComputeFileKey(std::string_view password, const Md5KeyInputs& inputs) {
  const size_t keyBytes = std::clamp<size_t>(inputs.KeyBytes, 1, Md5::DigestSize);
  Md5 md5;
  md5.Update(PadPassword(password));
  md5.Update(inputs.Owner.substr(0, std::min(inputs.Owner.size(), PaddedSize)));
  md5.Update(LittleEndian32(inputs.Permissions));
  md5.Update(inputs.DocumentId);
  if (inputs.Revision >= 4 && !inputs.EncryptMetadata)
    md5.Update("\xFF\xFF\xFF\xFF");
  std::string digest = md5.Final();
  if (inputs.Revision >= 3)
    for (int round = 0; round < 50; ++round)
      digest = Md5::Digest(std::string_view(digest).substr(0, keyBytes));
  digest.resize(keyBytes);
  return digest;
}

std::string ComputeUserValue(std::string_view fileKey, int32_t revision,
                             std::string_view documentId) {
  if (revision == 2)
    return Rc4::Crypt(fileKey, PasswordPadding());
  Md5 md5;
  md5.Update(PasswordPadding());
  md5.Update(documentId);
  std::string value = Rc4::Crypt(fileKey, md5.Final());
  for (int round = 1; round <= 19; ++round)
    value = Rc4::Crypt(KeyXor(fileKey, round), value);
  return value;
}

bool UserValueMatches(std::string_view computed, std::string_view stored, int32_t revision) {
  const size_t count = revision == 2 ? PaddedSize : UserValueSize;
  return computed.size() >= count && stored.size() >= count &&
         computed.substr(0, count) == stored.substr(0, count);
}

std::string OwnerPasswordKey(std::string_view ownerPassword, int32_t revision, size_t keyBytes) {
  const size_t length = revision == 2 ? 5 : std::clamp<size_t>(keyBytes, 1, Md5::DigestSize);
  std::string digest = Md5::Digest(PadPassword(ownerPassword));
  if (revision >= 3)
    for (int round = 0; round < 50; ++round)
      digest = Md5::Digest(std::string_view(digest).substr(0, length));
  digest.resize(length);
  return digest;
}

std::string RecoverUserPassword(std::string_view ownerPassword, std::string_view owner,
                                int32_t revision, size_t keyBytes) {
  const std::string key = OwnerPasswordKey(ownerPassword, revision, keyBytes);
  std::string value(owner.substr(0, std::min(owner.size(), PaddedSize)));
  if (revision == 2)
    return Rc4::Crypt(key, value);
  for (int round = 19; round >= 0; --round)
    value = Rc4::Crypt(KeyXor(key, round), value);
  return value;
}

} // namespace scrivlet
