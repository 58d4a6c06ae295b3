#include "storage/EncryptedPackage.h"

#include "core/ByteReader.h"
#include "core/Exception.h"
#include "crypto/Aes.h"
#include "crypto/Hmac.h"
#include "storage/OfficePasswordHash.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr uint32_t kFlagCryptoApi = 0x04, kFlagExternal = 0x10, kFlagAes = 0x20;
constexpr uint32_t kAes128 = 0x660E, kAes192 = 0x660F, kAes256 = 0x6610;
constexpr size_t kSegmentSize = 4096;

// The block keys of agile encryption: what the password's hash is hashed
// with to make each of its keys, and the package salt's suffixes for the
// HMAC's IVs.
constexpr char kVerifierInputBlock[] = "\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79";
constexpr char kVerifierHashBlock[] = "\xd7\xaa\x0f\x6d\x30\x61\x34\x4e";
constexpr char kKeyValueBlock[] = "\x14\x6e\x0b\xe7\xab\xac\xd0\xd6";
constexpr char kHmacKeyBlock[] = "\x5f\xb2\xad\x01\x0c\xb9\xe1\xf6";
constexpr char kHmacValueBlock[] = "\xa0\x67\x7f\x02\xb2\x2c\x84\x33";

std::string_view Block(const char (&bytes)[9]) {
  return std::string_view(bytes, 8);
}

[[noreturn]] void DamagedHeader() {
  throw Exception("The encryption header is damaged");
}

[[noreturn]] void DamagedPackage() {
  throw Exception("The encrypted package is damaged");
}

StandardEncryption ReadStandard(ByteReader& reader, uint16_t major, uint16_t minor) {
  const uint32_t flags = reader.U32();
  const uint32_t headerSize = reader.U32();
  ByteReader header(reader.Bytes(headerSize));
  header.U32(); // flags again
  header.U32(); // size of extra data
  const uint32_t algorithm = header.U32();
  header.U32(); // hash algorithm: always SHA-1
  StandardEncryption encryption;
  encryption.keyBits = header.U32();
  if ((flags & kFlagExternal) != 0)
    throw UnsupportedEncryption(
        Format("extensible encryption (Office encryption version %d.%d)", {major, minor}));
  const bool aes = algorithm == kAes128 || algorithm == kAes192 || algorithm == kAes256 ||
                   (algorithm == 0 && (flags & kFlagAes) != 0);
  if (!aes || (flags & kFlagCryptoApi) == 0)
    throw UnsupportedEncryption(
        Format("cipher %d (Office encryption version %d.%d)", {algorithm, major, minor}));
  if (encryption.keyBits != 128 && encryption.keyBits != 192 && encryption.keyBits != 256)
    DamagedHeader();
  const uint32_t saltSize = reader.U32();
  if (saltSize != 16)
    DamagedHeader();
  encryption.salt = reader.Bytes(saltSize);
  encryption.encryptedVerifier = reader.Bytes(16);
  const uint32_t verifierHashSize = reader.U32();
  if (verifierHashSize != 20)
    DamagedHeader();
  // The SHA-1 verifier hash, padded to whole AES blocks.
  encryption.encryptedVerifierHash = reader.Bytes(32);
  return encryption;
}

// A hash cut or padded with 0x36 bytes to the size a key or IV needs.
std::string Sized(std::string bytes, size_t size) {
  bytes.resize(size, '\x36');
  return bytes;
}

// Standard encryption's key (ECMA-376 2.3.4.7): the final hash goes
// through the HMAC-like pads of 0x36 and 0x5C, and the two digests side by
// side give the key's bytes.
std::string StandardKey(const StandardEncryption& encryption, std::u16string_view password) {
  const std::string base =
      OfficePasswordHash(HashAlgorithm::Sha1, encryption.salt, password, kStandardEncryptionRounds);
  const std::string final = Hash::Digest(HashAlgorithm::Sha1, {base, LittleEndian32(0)});
  auto padded = [&](char pad) {
    std::string block(64, pad);
    for (size_t i = 0; i < final.size(); ++i)
      block[i] = static_cast<char>(block[i] ^ final[i]);
    return Hash::Digest(HashAlgorithm::Sha1, {block});
  };
  return (padded('\x36') + padded('\x5C')).substr(0, encryption.keyBits / 8);
}

// The package's size and the encrypted bytes after it.
std::pair<uint64_t, std::string_view> SplitPackage(std::string_view package) {
  if (package.size() < 8)
    DamagedPackage();
  const uint64_t size = ByteReader::Get64(package, 0);
  std::string_view data = package.substr(8);
  if (size > data.size())
    DamagedPackage();
  return {size, data};
}

std::string AgileDecrypt(const AgileKeyData& key, std::string_view secret, std::string_view iv,
                         std::string_view data) {
  return Aes::CbcDecrypt(secret, Sized(std::string(iv), key.blockSize), data);
}

} // namespace

EncryptionInfo ReadEncryptionInfo(std::string_view stream) {
  EncryptionInfo info;
  try {
    ByteReader reader(stream);
    const uint16_t major = reader.U16(), minor = reader.U16();
    if (major == 4 && minor == 4) {
      info.kind = EncryptionInfo::Kind::Agile;
      reader.U32(); // reserved: 0x40
      info.agileDescriptor = reader.Bytes(reader.Remaining());
    } else if ((major == 3 || major == 4) && minor == 2) {
      info.standard = ReadStandard(reader, major, minor);
    } else {
      throw UnsupportedEncryption(
          Format("Office encryption version %d.%d", {int64_t{major}, int64_t{minor}}));
    }
  } catch (const ReadError&) {
    DamagedHeader();
  }
  return info;
}

std::optional<std::string> DecryptStandardPackage(const StandardEncryption& encryption,
                                                  std::u16string_view password,
                                                  std::string_view package) {
  const std::string key = StandardKey(encryption, password);
  const std::string verifier = Aes::EcbDecrypt(key, encryption.encryptedVerifier);
  const std::string verifierHash = Aes::EcbDecrypt(key, encryption.encryptedVerifierHash);
  if (Hash::Digest(HashAlgorithm::Sha1, {verifier}) != verifierHash.substr(0, 20))
    return std::nullopt;
  const auto [size, data] = SplitPackage(package);
  // Whole blocks up to the size; a last partial block is padding the writer
  // may or may not have kept.
  const uint64_t blocks = (size + Aes::BlockSize - 1) / Aes::BlockSize * Aes::BlockSize;
  std::string plain = Aes::EcbDecrypt(
      key, data.substr(0, static_cast<size_t>(std::min<uint64_t>(blocks, data.size()))));
  if (plain.size() < size)
    DamagedPackage();
  plain.resize(static_cast<size_t>(size));
  return plain;
}

std::optional<std::string> DecryptAgilePackage(const AgileEncryption& encryption,
                                               std::u16string_view password,
                                               std::string_view package) {
  const AgilePasswordKey& pk = encryption.passwordKey;
  const std::string base = OfficePasswordHash(pk.hash, pk.salt, password, pk.spinCount);
  auto passwordKey = [&](std::string_view block) {
    return Sized(Hash::Digest(pk.hash, {base, block}), pk.keyBits / 8);
  };
  const std::string verifierInput = AgileDecrypt(pk, passwordKey(Block(kVerifierInputBlock)),
                                                 pk.salt, pk.encryptedVerifierHashInput)
                                        .substr(0, pk.saltSize);
  const std::string verifierHash = AgileDecrypt(pk, passwordKey(Block(kVerifierHashBlock)), pk.salt,
                                                pk.encryptedVerifierHashValue);
  const std::string expected = Hash::Digest(pk.hash, {verifierInput});
  if (verifierHash.size() < expected.size() ||
      verifierHash.compare(0, expected.size(), expected) != 0)
    return std::nullopt;
  const AgileKeyData& kd = encryption.keyData;
  const std::string secret =
      AgileDecrypt(pk, passwordKey(Block(kKeyValueBlock)), pk.salt, pk.encryptedKeyValue);
  if (secret.size() < kd.keyBits / 8)
    DamagedPackage();
  const std::string packageKey = secret.substr(0, kd.keyBits / 8);

  // The HMAC over the whole stream, size included, with the key and value
  // encrypted under the package's key.
  auto integrity = [&](std::string_view block, std::string_view encrypted) {
    std::string value =
        AgileDecrypt(kd, packageKey, Hash::Digest(kd.hash, {kd.salt, block}), encrypted);
    if (value.size() < Hash(kd.hash).DigestSize())
      DamagedPackage();
    return value.substr(0, Hash(kd.hash).DigestSize());
  };
  const std::string hmacKey = integrity(Block(kHmacKeyBlock), encryption.encryptedHmacKey);
  const std::string hmacValue = integrity(Block(kHmacValueBlock), encryption.encryptedHmacValue);
  if (Hmac(kd.hash, hmacKey, package) != hmacValue)
    DamagedPackage();

  const auto [size, data] = SplitPackage(package);
  std::string plain;
  plain.reserve(data.size());
  for (uint32_t segment = 0; uint64_t{segment} * kSegmentSize < data.size(); ++segment) {
    const std::string_view piece = data.substr(size_t{segment} * kSegmentSize, kSegmentSize);
    plain += AgileDecrypt(kd, packageKey, Hash::Digest(kd.hash, {kd.salt, LittleEndian32(segment)}),
                          piece);
  }
  if (plain.size() < size)
    DamagedPackage();
  plain.resize(static_cast<size_t>(size));
  return plain;
}

} // namespace scrivlet
