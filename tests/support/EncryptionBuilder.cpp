#include "support/EncryptionBuilder.h"

#include "crypto/Aes.h"
#include "crypto/Blowfish.h"
#include "crypto/Hmac.h"
#include "crypto/Pbkdf2.h"
#include "crypto/Rc4.h"
#include "storage/XorObfuscation.h"
#include "support/CompoundFileBuilder.h"
#include "support/OpenDocumentBuilder.h"
#include "support/WordBuilder.h"
#include "support/ZipBuilder.h"

#include <nettle/base64.h>

namespace scrivlet::test {
namespace {

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Le16(uint16_t value) {
  return Le32(value).substr(0, 2);
}

std::string Le64(uint64_t value) {
  return Le32(static_cast<uint32_t>(value)) + Le32(static_cast<uint32_t>(value >> 32));
}

std::string Utf16(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text)
    bytes += Le16(c);
  return bytes;
}

std::string Base64(std::string_view bytes) {
  std::string text(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
  base64_encode_raw(text.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  return text;
}

std::string Padded(std::string bytes, size_t block, char pad = '\0') {
  bytes.resize((bytes.size() + block - 1) / block * block, pad);
  return bytes;
}

// Fixed "random" bytes: the tests must be repeatable.
std::string Bytes(size_t count, uint8_t seed) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<char>(seed + 37 * i);
  return bytes;
}

// --- Word 97-2003 RC4 ---------------------------------------------------

struct Rc4Keys {
  bool cryptoApi;
  uint32_t keyBits;
  std::string passwordHash;

  std::string BlockKey(uint32_t block) const {
    if (!cryptoApi)
      return Hash::Digest(HashAlgorithm::Md5, {passwordHash, Le32(block)});
    std::string key = Hash::Digest(HashAlgorithm::Sha1, {passwordHash, Le32(block)});
    if (keyBits == 40)
      return key.substr(0, 5) + std::string(11, '\0');
    return key.substr(0, keyBits / 8);
  }

  // Every byte after `clear` encrypted, 512-byte blocks from the stream's
  // start, each under its own key.
  std::string Encrypt(const std::string& stream, size_t clear) const {
    std::string out = stream;
    for (size_t start = 0; start < stream.size(); start += 512) {
      const std::string block =
          Rc4::Crypt(BlockKey(static_cast<uint32_t>(start / 512)), stream.substr(start, 512));
      for (size_t i = 0; i < block.size(); ++i)
        if (start + i >= clear)
          out[start + i] = block[i];
    }
    return out;
  }
};

std::string Rc4Header(const Rc4Keys& keys, const std::string& salt, const std::string& verifier) {
  const HashAlgorithm hash = keys.cryptoApi ? HashAlgorithm::Sha1 : HashAlgorithm::Md5;
  const std::string secret =
      Rc4::Crypt(keys.BlockKey(0), verifier + Hash::Digest(hash, {verifier}));
  if (!keys.cryptoApi)
    return Le16(1) + Le16(1) + salt + secret;
  const std::string provider = Utf16(u"Microsoft Enhanced Cryptographic Provider v1.0") + Le16(0);
  const std::string header = Le32(0x04) + Le32(0) + Le32(0x6801) + Le32(0x8004) +
                             Le32(keys.keyBits) + Le32(1) + Le32(0) + Le32(0) + provider;
  return Le16(4) + Le16(2) + Le32(0x04) + Le32(static_cast<uint32_t>(header.size())) + header +
         Le32(16) + salt + secret.substr(0, 16) + Le32(20) + secret.substr(16);
}

} // namespace

std::string EncryptedWordDocument(const WordBuilder& word, std::u16string_view password,
                                  std::optional<uint32_t> cryptoApiKeyBits) {
  const std::string salt = Bytes(16, 7), verifier = Bytes(16, 91);
  Rc4Keys keys{cryptoApiKeyBits.has_value(), cryptoApiKeyBits.value_or(40), {}};
  if (keys.cryptoApi) {
    keys.passwordHash = Hash::Digest(HashAlgorithm::Sha1, {salt, Utf16(password)});
  } else {
    const std::string start =
        Hash::Digest(HashAlgorithm::Md5, {Utf16(password)}).substr(0, 5) + salt;
    std::string repeated;
    for (int i = 0; i < 16; ++i)
      repeated += start;
    keys.passwordHash = Hash::Digest(HashAlgorithm::Md5, {repeated}).substr(0, 5);
  }
  const std::string header = Rc4Header(keys, salt, verifier);
  std::string main = word.MainStream();
  // fEncrypted; lKey, the header's size; the piece table after the header.
  main[11] = static_cast<char>(main[11] | 0x01);
  main.replace(14, 4, Le32(static_cast<uint32_t>(header.size())));
  main.replace(418, 4, Le32(static_cast<uint32_t>(header.size())));
  const std::string table = header + word.TableStream();
  CompoundFileBuilder file;
  file.AddStream(u"WordDocument", keys.Encrypt(main, 68));
  file.AddStream(word.whichTable ? u"1Table" : u"0Table", keys.Encrypt(table, header.size()));
  return file.Build();
}

std::string XorObfuscatedWordDocument(const WordBuilder& word, std::u16string_view password) {
  const XorObfuscation obfuscation(password);
  const bool word95 = word.nFib == 104 || word.nFib == 101;
  std::string main = word.MainStream();
  // fEncrypted, and fObfuscated for Word 97; lKey: verifier and key.
  main[11] = static_cast<char>(main[11] | (word95 ? 0x01 : 0x81));
  main.replace(14, 4,
               Le32(obfuscation.Verifier() | static_cast<uint32_t>(obfuscation.Key()) << 16));
  const size_t clear = word95 ? 0x34 : 68;
  std::string rest = main.substr(clear);
  obfuscation.Apply(rest, clear);
  main.replace(clear, std::string::npos, rest);
  CompoundFileBuilder file;
  file.AddStream(u"WordDocument", main);
  if (!word95) {
    std::string table = word.TableStream();
    obfuscation.Apply(table, 0);
    file.AddStream(word.whichTable ? u"1Table" : u"0Table", table);
  }
  return file.Build();
}

// --- Word 2007+ ---------------------------------------------------------

std::string StandardEncryptedPackage(const std::string& package, std::u16string_view password,
                                     uint32_t keyBits, bool wordPlaceholder) {
  const std::string salt = Bytes(16, 3), verifier = Bytes(16, 201);
  std::string hash = Hash::Digest(HashAlgorithm::Sha1, {salt, Utf16(password)});
  for (uint32_t i = 0; i < 50000; ++i)
    hash = Hash::Digest(HashAlgorithm::Sha1, {Le32(i), hash});
  const std::string final = Hash::Digest(HashAlgorithm::Sha1, {hash, Le32(0)});
  std::string inner(64, '\x36'), outer(64, '\x5c');
  for (size_t i = 0; i < final.size(); ++i) {
    inner[i] = static_cast<char>(inner[i] ^ final[i]);
    outer[i] = static_cast<char>(outer[i] ^ final[i]);
  }
  const std::string key =
      (Hash::Digest(HashAlgorithm::Sha1, {inner}) + Hash::Digest(HashAlgorithm::Sha1, {outer}))
          .substr(0, keyBits / 8);
  const uint32_t algorithm = keyBits == 128 ? 0x660E : keyBits == 192 ? 0x660F : 0x6610;
  const std::string provider =
      Utf16(u"Microsoft Enhanced RSA and AES Cryptographic Provider") + Le16(0);
  const std::string header = Le32(0x24) + Le32(0) + Le32(algorithm) + Le32(0x8004) + Le32(keyBits) +
                             Le32(0x18) + Le32(0) + Le32(0) + provider;
  const std::string info =
      Le16(4) + Le16(2) + Le32(0x24) + Le32(static_cast<uint32_t>(header.size())) + header +
      Le32(16) + salt + Aes::EcbEncrypt(key, verifier) + Le32(20) +
      Aes::EcbEncrypt(key, Padded(Hash::Digest(HashAlgorithm::Sha1, {verifier}), 16));
  CompoundFileBuilder file;
  file.AddStream(u"EncryptionInfo", info);
  file.AddStream(u"EncryptedPackage",
                 Le64(package.size()) + Aes::EcbEncrypt(key, Padded(package, 16)));
  if (wordPlaceholder)
    file.AddStream(u"WordDocument", std::string(4096, '\0'));
  return file.Build();
}

std::string AgileEncryptedPackage(const std::string& package, std::u16string_view password,
                                  const AgileOptions& options) {
  const HashAlgorithm h = options.hash;
  const size_t keySize = options.keyBits / 8;
  const std::string keySalt = Bytes(16, 11), passwordSalt = Bytes(16, 23);
  const std::string secret = Bytes(keySize, 151), verifierInput = Bytes(16, 77);
  auto sized = [](std::string bytes, size_t size) {
    bytes.resize(size, '\x36');
    return bytes;
  };
  std::string hash = Hash::Digest(h, {passwordSalt, Utf16(password)});
  for (uint32_t i = 0; i < options.spinCount; ++i)
    hash = Hash::Digest(h, {Le32(i), hash});
  auto passwordEncrypt = [&](const char* block, const std::string& plain) {
    const std::string key = sized(Hash::Digest(h, {hash, std::string_view(block, 8)}), keySize);
    return Aes::CbcEncrypt(key, passwordSalt, Padded(plain, 16));
  };
  const std::string hashInput = passwordEncrypt("\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79", verifierInput);
  const std::string hashValue =
      passwordEncrypt("\xd7\xaa\x0f\x6d\x30\x61\x34\x4e", Hash::Digest(h, {verifierInput}));
  const std::string keyValue = passwordEncrypt("\x14\x6e\x0b\xe7\xab\xac\xd0\xd6", secret);

  std::string stream = Le64(package.size());
  for (size_t at = 0, segment = 0; at < package.size(); at += 4096, ++segment) {
    const std::string iv =
        Hash::Digest(h, {keySalt, Le32(static_cast<uint32_t>(segment))}).substr(0, 16);
    stream += Aes::CbcEncrypt(secret, iv, Padded(package.substr(at, 4096), 16));
  }
  const size_t hashSize = Hash(h).DigestSize();
  const std::string hmacKey = Bytes(hashSize, 57);
  std::string hmacValue = Hmac(h, hmacKey, stream);
  if (options.spoilHmac)
    hmacValue[0] = static_cast<char>(hmacValue[0] ^ 1);
  auto integrity = [&](const char* block, const std::string& plain) {
    const std::string iv = Hash::Digest(h, {keySalt, std::string_view(block, 8)}).substr(0, 16);
    return Base64(Aes::CbcEncrypt(secret, iv, Padded(plain, 16)));
  };
  const std::string hashName = h == HashAlgorithm::Sha1     ? "SHA1"
                               : h == HashAlgorithm::Sha256 ? "SHA256"
                               : h == HashAlgorithm::Sha384 ? "SHA384"
                                                            : "SHA512";
  auto keyAttributes = [&](const std::string& salt) {
    return "saltSize=\"16\" blockSize=\"16\" keyBits=\"" + std::to_string(options.keyBits) +
           "\" hashSize=\"" + std::to_string(hashSize) +
           "\" cipherAlgorithm=\"AES\" cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"" +
           hashName + "\" saltValue=\"" + Base64(salt) + "\"";
  };
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
      "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
      "<keyData " +
      keyAttributes(keySalt) + "/><dataIntegrity encryptedHmacKey=\"" +
      integrity("\x5f\xb2\xad\x01\x0c\xb9\xe1\xf6", hmacKey) + "\" encryptedHmacValue=\"" +
      integrity("\xa0\x67\x7f\x02\xb2\x2c\x84\x33", hmacValue) +
      "\"/><keyEncryptors><keyEncryptor "
      "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
      "<p:encryptedKey spinCount=\"" +
      std::to_string(options.announcedSpinCount.value_or(options.spinCount)) + "\" " +
      keyAttributes(passwordSalt) + " encryptedVerifierHashInput=\"" + Base64(hashInput) +
      "\" encryptedVerifierHashValue=\"" + Base64(hashValue) + "\" encryptedKeyValue=\"" +
      Base64(keyValue) + "\"/></keyEncryptor></keyEncryptors></encryption>";
  CompoundFileBuilder file;
  file.AddStream(u"EncryptionInfo", Le16(4) + Le16(4) + Le32(0x40) + xml);
  file.AddStream(u"EncryptedPackage", stream);
  return file.Build();
}

// --- OpenDocument -------------------------------------------------------

std::string EncryptedOpenDocument(const OpenDocumentBuilder& document, std::string_view password,
                                  OdfCipher cipher, uint32_t iterations, bool spoilChecksum) {
  const bool aes = cipher == OdfCipher::Aes;
  const HashAlgorithm startHash = aes ? HashAlgorithm::Sha256 : HashAlgorithm::Sha1;
  const std::string startKey = Hash::Digest(startHash, {password});
  ZipBuilder zip;
  zip.Add("mimetype",
          document.presentation ? "application/vnd.oasis.opendocument.presentation"
                                : "application/vnd.oasis.opendocument.text",
          0);
  std::string entries;
  uint8_t seed = 1;
  auto addEncrypted = [&](const std::string& name, const std::string& xml) {
    const std::string salt = Bytes(16, seed++), iv = Bytes(aes ? 16 : 8, seed++);
    const std::string key = Pbkdf2HmacSha1(startKey, salt, iterations, aes ? 32 : 16);
    const std::string deflated = ZipBuilder::Deflate(xml);
    std::string stored;
    if (aes) {
      // XML Encryption padding: the last byte counts the bytes added.
      const size_t pad = 16 - deflated.size() % 16;
      stored = Aes::CbcEncrypt(key, iv, deflated + std::string(pad, static_cast<char>(pad)));
    } else {
      stored = Blowfish::Cfb8Encrypt(key, iv, deflated);
    }
    std::string checksum =
        Hash::Digest(aes ? HashAlgorithm::Sha256 : HashAlgorithm::Sha1, {deflated.substr(0, 1024)});
    if (spoilChecksum)
      checksum[0] = static_cast<char>(checksum[0] ^ 1);
    zip.Add(name, stored, 0);
    entries += " <manifest:file-entry manifest:full-path=\"" + name +
               "\" manifest:media-type=\"text/xml\" manifest:size=\"" + std::to_string(xml.size()) +
               "\">\n  <manifest:encryption-data manifest:checksum-type=\"" +
               (aes ? "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0#sha256-1k" : "SHA1/1K") +
               "\" manifest:checksum=\"" + Base64(checksum) +
               "\">\n   <manifest:algorithm manifest:algorithm-name=\"" +
               (aes ? "http://www.w3.org/2001/04/xmlenc#aes256-cbc" : "Blowfish CFB") +
               "\" manifest:initialisation-vector=\"" + Base64(iv) + "\"/>\n" +
               (aes ? "   <manifest:start-key-generation manifest:start-key-generation-name="
                      "\"http://www.w3.org/2000/09/xmldsig#sha256\" manifest:key-size=\"32\"/>\n"
                    : "") +
               "   <manifest:key-derivation manifest:key-derivation-name=\"PBKDF2\" "
               "manifest:key-size=\"" +
               (aes ? "32" : "16") + "\" manifest:iteration-count=\"" + std::to_string(iterations) +
               "\" manifest:salt=\"" + Base64(salt) +
               "\"/>\n  </manifest:encryption-data>\n </manifest:file-entry>\n";
  };
  addEncrypted("content.xml", document.Content());
  if (!document.meta.empty())
    addEncrypted("meta.xml", document.meta);
  zip.Add("META-INF/manifest.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
          "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">\n"
          " <manifest:file-entry manifest:full-path=\"/\" "
          "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>\n" +
              entries + "</manifest:manifest>\n");
  return zip.Build();
}

} // namespace scrivlet::test
