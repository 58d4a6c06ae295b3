#include "readers/docx/AgileDescriptor.h"

#include "core/Exception.h"
#include "core/Utf8.h"
#include "crypto/Base64.h"
#include "xml/XmlParser.h"

#include <vector>

namespace scrivlet {
namespace {

[[noreturn]] void Damaged() {
  throw Exception("The encryption header is damaged");
}

std::string_view LocalName(const std::string& name) {
  const size_t colon = name.find(':');
  return colon == std::string::npos ? std::string_view(name)
                                    : std::string_view(name).substr(colon + 1);
}

// The first element of the tree with this local name, depth first, with a
// stack of its own.
XmlNode* FindElement(XmlNode& root, std::string_view localName) {
  std::vector<XmlNode*> stack{&root};
  while (!stack.empty()) {
    XmlNode* node = stack.back();
    stack.pop_back();
    if (node->Kind == XmlNodeKind::Element && LocalName(node->Name) == localName)
      return node;
    for (int i = node->Items.Count() - 1; i >= 0; --i)
      stack.push_back(node->Items[i]);
  }
  return nullptr;
}

std::string Text(const XmlNode& element, std::string_view name) {
  std::optional<std::u16string> value = element.AttributeValue(name);
  if (!value)
    Damaged();
  return WideToUtf8(*value);
}

std::string Bytes(const XmlNode& element, std::string_view name) {
  std::optional<std::string> bytes = DecodeBase64(Text(element, name));
  if (!bytes)
    Damaged();
  return *bytes;
}

uint32_t Number(const XmlNode& element, std::string_view name) {
  const std::string text = Text(element, name);
  if (text.empty() || text.size() > 10)
    Damaged();
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      Damaged();
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (number > UINT32_MAX)
    Damaged();
  return static_cast<uint32_t>(number);
}

// The sizes and algorithms that keyData and encryptedKey share, checked
// against what this reader decrypts.
void ReadKeyData(const XmlNode& element, AgileKeyData& key) {
  const std::string cipher = Text(element, "cipherAlgorithm");
  const std::string chaining = Text(element, "cipherChaining");
  if (cipher != "AES")
    throw UnsupportedEncryption("the " + cipher + " cipher (agile Office encryption)");
  if (chaining != "ChainingModeCBC")
    throw UnsupportedEncryption(chaining + " (agile Office encryption)");
  const std::string hashName = Text(element, "hashAlgorithm");
  std::optional<HashAlgorithm> hash = HashAlgorithmNamed(hashName);
  if (!hash || *hash == HashAlgorithm::Md5)
    throw UnsupportedEncryption("the " + hashName + " hash (agile Office encryption)");
  key.hash = *hash;
  key.keyBits = Number(element, "keyBits");
  key.blockSize = Number(element, "blockSize");
  key.hashSize = Number(element, "hashSize");
  key.saltSize = Number(element, "saltSize");
  key.salt = Bytes(element, "saltValue");
  if ((key.keyBits != 128 && key.keyBits != 192 && key.keyBits != 256) || key.blockSize != 16 ||
      key.hashSize != Hash(key.hash).DigestSize() || key.salt.size() != key.saltSize ||
      key.saltSize < 1 || key.saltSize > 65536)
    Damaged();
}

} // namespace

AgileEncryption ReadAgileDescriptor(std::string xml, const Limits& limits) {
  XmlParser engine;
  engine.SetLimits(limits);
  engine.LoadFromBytes(std::move(xml));
  XmlNode& root = engine.RootItem();
  const XmlNode* keyData = FindElement(root, "keyData");
  const XmlNode* integrity = FindElement(root, "dataIntegrity");
  const XmlNode* passwordKey = FindElement(root, "encryptedKey");
  if (keyData == nullptr)
    Damaged();
  if (passwordKey == nullptr || !passwordKey->AttributeValue("spinCount"))
    throw UnsupportedEncryption("a certificate key (agile Office encryption)");
  AgileEncryption encryption;
  ReadKeyData(*keyData, encryption.keyData);
  AgilePasswordKey& key = encryption.passwordKey;
  ReadKeyData(*passwordKey, key);
  key.spinCount = Number(*passwordKey, "spinCount");
  key.encryptedVerifierHashInput = Bytes(*passwordKey, "encryptedVerifierHashInput");
  key.encryptedVerifierHashValue = Bytes(*passwordKey, "encryptedVerifierHashValue");
  key.encryptedKeyValue = Bytes(*passwordKey, "encryptedKeyValue");
  // Without the HMAC the package cannot be told from a damaged one.
  if (integrity == nullptr)
    Damaged();
  encryption.encryptedHmacKey = Bytes(*integrity, "encryptedHmacKey");
  encryption.encryptedHmacValue = Bytes(*integrity, "encryptedHmacValue");
  return encryption;
}

} // namespace scrivlet
