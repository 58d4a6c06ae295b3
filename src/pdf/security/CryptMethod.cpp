#include "pdf/security/CryptMethod.h"

#include "crypto/Aes.h"
#include "crypto/Md5.h"
#include "crypto/Rc4.h"

#include <algorithm>

namespace scrivlet {

namespace {

std::string RemovePadding(std::string text) {
  if (text.empty())
    return text;
  const size_t count = static_cast<unsigned char>(text.back());
  if (count == 0 || count > Aes::BlockSize || count > text.size())
    return text;
  const bool wellFormed =
      std::all_of(text.end() - static_cast<std::ptrdiff_t>(count), text.end(),
                  [&](char c) { return static_cast<unsigned char>(c) == count; });
  if (wellFormed)
    text.resize(text.size() - count);
  return text;
}

std::string AesDecrypt(std::string_view key, std::string_view bytes) {
  if (bytes.size() < Aes::BlockSize)
    return {};
  return RemovePadding(
      Aes::CbcDecrypt(key, bytes.substr(0, Aes::BlockSize), bytes.substr(Aes::BlockSize)));
}

} // namespace

std::string ObjectKey(std::string_view fileKey, uint32_t objectNumber, uint16_t generation,
                      CryptMethod method) {
  Md5 md5;
  md5.Update(fileKey);
  const char numbers[5] = {
      static_cast<char>(objectNumber & 0xFF), static_cast<char>(objectNumber >> 8 & 0xFF),
      static_cast<char>(objectNumber >> 16 & 0xFF), static_cast<char>(generation & 0xFF),
      static_cast<char>(generation >> 8 & 0xFF)};
  md5.Update(std::string_view(numbers, sizeof numbers));
  if (method == CryptMethod::Aes128)
    md5.Update("sAlT");
  std::string key = md5.Final();
  // AES-128 always takes the whole digest: it needs a 16-byte key.
  if (method != CryptMethod::Aes128)
    key.resize(std::min<size_t>(fileKey.size() + 5, Md5::DigestSize));
  return key;
}

std::string DecryptObjectBytes(CryptMethod method, std::string_view fileKey, std::string_view bytes,
                               uint32_t objectNumber, uint16_t generation) {
  switch (method) {
  case CryptMethod::Identity: return std::string(bytes);
  case CryptMethod::Rc4:
    return Rc4::Crypt(ObjectKey(fileKey, objectNumber, generation, method), bytes);
  case CryptMethod::Aes128:
    return AesDecrypt(ObjectKey(fileKey, objectNumber, generation, method), bytes);
  case CryptMethod::Aes256: return AesDecrypt(fileKey, bytes);
  }
  return std::string(bytes);
}

} // namespace scrivlet
