#include "readers/opendocument/PackageManifest.h"

#include "core/Exception.h"
#include "core/Utf8.h"
#include "crypto/Base64.h"
#include "xml/XmlParser.h"

#include <cstdlib>
#include <vector>

namespace scrivlet {
namespace {

std::string_view LocalName(const std::string& name) {
  const size_t colon = name.find(':');
  return colon == std::string::npos ? std::string_view(name)
                                    : std::string_view(name).substr(colon + 1);
}

// The children of an element with this local name.
std::vector<XmlNode*> Children(const XmlNode& element, std::string_view localName) {
  std::vector<XmlNode*> found;
  for (int i = 0; i < element.Items.Count(); ++i) {
    XmlNode* child = element.Items[i];
    if (child->Kind == XmlNodeKind::Element && LocalName(child->Name) == localName)
      found.push_back(child);
  }
  return found;
}

const XmlNode* Child(const XmlNode& element, std::string_view localName) {
  std::vector<XmlNode*> found = Children(element, localName);
  return found.empty() ? nullptr : found.front();
}

std::optional<std::string> Attribute(const XmlNode* element, std::string_view name) {
  if (element == nullptr)
    return std::nullopt;
  std::optional<std::u16string> value = element->AttributeValue(name);
  if (!value)
    return std::nullopt;
  return WideToUtf8(*value);
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool HasNoCase(std::string_view text, std::string_view part) {
  std::string lower(text);
  for (char& c : lower)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower.find(part) != std::string::npos;
}

// Reads one member's encryption-data element.
class EncryptionDataReader {
public:
  EncryptionDataReader(const XmlNode& data, std::string path)
      : FData(data), FPath(std::move(path)) {}

  MemberEncryption Read() {
    MemberEncryption encryption;
    const XmlNode* algorithm = Child(FData, "algorithm");
    const XmlNode* derivation = Child(FData, "key-derivation");
    const XmlNode* startKey = Child(FData, "start-key-generation");
    ReadCipher(Required(algorithm, "algorithm-name"), encryption);
    encryption.iv = Bytes(algorithm, "initialisation-vector");
    ReadDerivation(Required(derivation, "key-derivation-name"));
    encryption.salt = Bytes(derivation, "salt");
    encryption.iterations = Number(derivation, "iteration-count", 1024);
    encryption.keySize = Number(derivation, "key-size", 16);
    // The key's size must be one the cipher takes (it sizes the derived key).
    const bool aes = encryption.cipher == MemberCipher::Aes256Cbc;
    if (aes ? encryption.keySize != 16 && encryption.keySize != 24 && encryption.keySize != 32
            : encryption.keySize < 8 || encryption.keySize > 56)
      Damaged();
    if (startKey != nullptr)
      encryption.startKey = StartKeyHash(Required(startKey, "start-key-generation-name"));
    if (std::optional<std::string> type = Attribute(&FData, "checksum-type")) {
      encryption.checksumHash =
          HasNoCase(*type, "sha256") ? HashAlgorithm::Sha256 : HashAlgorithm::Sha1;
      encryption.checksumOfFirstKilobyte = HasNoCase(*type, "1k");
      encryption.checksum = Bytes(&FData, "checksum");
    }
    return encryption;
  }

private:
  [[noreturn]] void Damaged() const {
    throw Exception("The encryption data of %s are damaged", {FPath});
  }

  std::string Required(const XmlNode* element, std::string_view name) const {
    std::optional<std::string> value = Attribute(element, name);
    if (!value)
      Damaged();
    return *value;
  }

  std::string Bytes(const XmlNode* element, std::string_view name) const {
    std::optional<std::string> bytes = DecodeBase64(Required(element, name));
    if (!bytes)
      Damaged();
    return *bytes;
  }

  uint32_t Number(const XmlNode* element, std::string_view name, uint32_t fallback) const {
    std::optional<std::string> text = Attribute(element, name);
    if (!text)
      return fallback;
    if (text->empty() || text->size() > 9)
      Damaged();
    uint32_t number = 0;
    for (char c : *text) {
      if (c < '0' || c > '9')
        Damaged();
      number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    return number;
  }

  static void ReadCipher(const std::string& name, MemberEncryption& encryption) {
    if (name == "Blowfish CFB" || EndsWith(name, "#blowfish")) {
      encryption.cipher = MemberCipher::BlowfishCfb8;
    } else if (EndsWith(name, "#aes256-cbc")) {
      encryption.cipher = MemberCipher::Aes256Cbc;
    } else {
      throw UnsupportedEncryption("the cipher " + name + " (OpenDocument)");
    }
  }

  static void ReadDerivation(const std::string& name) {
    if (name == "PBKDF2" || HasNoCase(name, "#pbkdf2"))
      return;
    if (HasNoCase(name, "argon2"))
      throw UnsupportedEncryption("the Argon2id key derivation (OpenDocument)");
    throw UnsupportedEncryption("the key derivation " + name + " (OpenDocument)");
  }

  static HashAlgorithm StartKeyHash(const std::string& name) {
    if (name == "SHA1" || EndsWith(name, "#sha1"))
      return HashAlgorithm::Sha1;
    if (name == "SHA256" || EndsWith(name, "#sha256"))
      return HashAlgorithm::Sha256;
    throw UnsupportedEncryption("the start key " + name + " (OpenDocument)");
  }

  const XmlNode& FData;
  std::string FPath;
};

} // namespace

std::map<std::string, EncryptedMember> ReadEncryptedMembers(std::string manifest,
                                                            const Limits& limits) {
  std::map<std::string, EncryptedMember> members;
  if (manifest.find("encryption-data") == std::string::npos)
    return members;
  XmlParser engine;
  engine.SetLimits(limits);
  engine.LoadFromBytes(std::move(manifest));
  XmlNode* root = engine.FindItem(nullptr, "manifest:manifest");
  if (root == nullptr)
    throw Exception("The encryption data of META-INF/manifest.xml are damaged");
  for (const XmlNode* entry : Children(*root, "file-entry")) {
    const XmlNode* data = Child(*entry, "encryption-data");
    std::optional<std::string> path = Attribute(entry, "full-path");
    if (data == nullptr || !path)
      continue;
    EncryptedMember& member = members[*path];
    member.encryption = EncryptionDataReader(*data, *path).Read();
    if (std::optional<std::string> size = Attribute(entry, "size"))
      member.size = std::strtoull(size->c_str(), nullptr, 10);
  }
  return members;
}

} // namespace scrivlet
