#include "storage/OfficePasswordHash.h"

namespace scrivlet {

std::string Utf16LeBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string LittleEndian32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

std::string OfficePasswordHash(HashAlgorithm algorithm, std::string_view salt,
                               std::u16string_view password, uint32_t spinCount) {
  Hash hash(algorithm);
  hash.Update(salt);
  hash.Update(Utf16LeBytes(password));
  std::string digest = hash.Final();
  for (uint32_t round = 0; round < spinCount; ++round) {
    hash.Update(LittleEndian32(round));
    hash.Update(digest);
    digest = hash.Final();
  }
  return digest;
}

} // namespace scrivlet
