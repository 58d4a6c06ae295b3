#include "storage/BinaryRc4Encryption.h"

#include "core/ByteReader.h"
#include "core/Exception.h"
#include "crypto/Rc4.h"
#include "storage/OfficePasswordHash.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr uint32_t kAlgorithmRc4 = 0x6801;
constexpr size_t kSaltSize = 16, kVerifierSize = 16;

std::string VersionName(uint16_t major, uint16_t minor) {
  return Format("Office binary encryption version %d.%d", {int64_t{major}, int64_t{minor}});
}

std::string CipherName(uint32_t algorithm) {
  switch (algorithm) {
  case 0x660E: return "AES-128";
  case 0x660F: return "AES-192";
  case 0x6610: return "AES-256";
  default: return Format("cipher %d", {int64_t{algorithm}});
  }
}

[[noreturn]] void Damaged() {
  throw Exception("The encryption header is damaged");
}

} // namespace

BinaryRc4Encryption BinaryRc4Encryption::Read(std::string_view header) {
  BinaryRc4Encryption encryption;
  try {
    ByteReader reader(header);
    const uint16_t major = reader.U16(), minor = reader.U16();
    if (major == 1 && minor == 1) {
      encryption.FSalt = reader.Bytes(kSaltSize);
      encryption.FEncryptedVerifier = reader.Bytes(kVerifierSize);
      encryption.FEncryptedVerifierHash = reader.Bytes(16);
    } else if (major >= 2 && major <= 4 && minor == 2) {
      encryption.FCryptoApi = true;
      reader.U32(); // flags, repeated in the header
      const uint32_t headerSize = reader.U32();
      ByteReader fields(reader.Bytes(headerSize));
      fields.U32(); // flags
      fields.U32(); // size of extra data
      const uint32_t algorithm = fields.U32();
      fields.U32(); // hash algorithm: SHA-1 whatever it says
      const uint32_t keyBits = fields.U32();
      if (algorithm != kAlgorithmRc4 && algorithm != 0)
        throw UnsupportedEncryption(CipherName(algorithm) + " (" + VersionName(major, minor) + ")");
      encryption.FKeyBits = keyBits == 0 ? 40 : keyBits;
      if (encryption.FKeyBits < 40 || encryption.FKeyBits > 128 || encryption.FKeyBits % 8 != 0)
        Damaged();
      const uint32_t saltSize = reader.U32();
      if (saltSize != kSaltSize)
        Damaged();
      encryption.FSalt = reader.Bytes(saltSize);
      encryption.FEncryptedVerifier = reader.Bytes(kVerifierSize);
      const uint32_t hashSize = reader.U32();
      if (hashSize != 20)
        Damaged();
      encryption.FEncryptedVerifierHash = reader.Bytes(hashSize);
    } else {
      throw UnsupportedEncryption(VersionName(major, minor));
    }
    encryption.FHeaderSize = static_cast<size_t>(reader.Position());
  } catch (const ReadError&) {
    Damaged();
  }
  return encryption;
}

std::string BinaryRc4Encryption::Description() const {
  return Format(FCryptoApi ? "RC4 CryptoAPI, %d-bit key" : "RC4, %d-bit key", {int64_t{FKeyBits}});
}

bool BinaryRc4Encryption::Unlock(std::u16string_view password) {
  if (FCryptoApi) {
    FPasswordHash = OfficePasswordHash(HashAlgorithm::Sha1, FSalt, password, 0);
  } else {
    // Version 1.1: the first five bytes of MD5(password) and the salt, sixteen
    // times over, hashed again; five bytes of that make every block's key.
    const std::string start =
        Hash::Digest(HashAlgorithm::Md5, {Utf16LeBytes(password)}).substr(0, 5) + FSalt;
    Hash hash(HashAlgorithm::Md5);
    for (int i = 0; i < 16; ++i)
      hash.Update(start);
    FPasswordHash = hash.Final().substr(0, 5);
  }
  // The verifier and its hash are one RC4 message under block 0's key.
  Rc4 rc4(BlockKey(0));
  const std::string verifier = rc4.Crypt(FEncryptedVerifier);
  const std::string verifierHash = rc4.Crypt(FEncryptedVerifierHash);
  const HashAlgorithm algorithm = FCryptoApi ? HashAlgorithm::Sha1 : HashAlgorithm::Md5;
  return Hash::Digest(algorithm, {verifier}) == verifierHash;
}

std::string BinaryRc4Encryption::BlockKey(uint32_t block) const {
  const HashAlgorithm algorithm = FCryptoApi ? HashAlgorithm::Sha1 : HashAlgorithm::Md5;
  std::string key = Hash::Digest(algorithm, {FPasswordHash, LittleEndian32(block)});
  if (!FCryptoApi)
    return key; // all 128 bits, though only 40 came from the password
  // CryptoAPI keys of 40 bits take 128 with the rest zero.
  if (FKeyBits == 40)
    return key.substr(0, 5) + std::string(11, '\0');
  return key.substr(0, FKeyBits / 8);
}

void BinaryRc4Encryption::Decrypt(std::string& bytes, uint64_t from) const {
  uint64_t offset = from;
  size_t done = 0;
  while (done < bytes.size()) {
    const auto block = static_cast<uint32_t>(offset / kBlockSize);
    const auto within = static_cast<size_t>(offset % kBlockSize);
    const size_t count = std::min(bytes.size() - done, kBlockSize - within);
    Rc4 rc4(BlockKey(block));
    for (size_t skip = 0; skip < within; ++skip)
      rc4.NextByte();
    const std::string plain = rc4.Crypt(std::string_view(bytes).substr(done, count));
    std::copy(plain.begin(), plain.end(), bytes.begin() + static_cast<ptrdiff_t>(done));
    done += count;
    offset += count;
  }
}

} // namespace scrivlet
