#include "support/PdfEncryptionBuilder.h"

#include "crypto/Aes.h"
#include "crypto/Md5.h"
#include "crypto/Rc4.h"
#include "pdf/security/Sha2PasswordAlgorithms.h"

#include <algorithm>
#include <optional>
#include <zlib.h>

namespace scrivlet::test {

namespace {

const std::string Padding("\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
                          "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A",
                          32);

std::string Pad(std::string_view password) {
  std::string padded(password.substr(0, std::min<size_t>(password.size(), 32)));
  return padded + Padding.substr(0, 32 - padded.size());
}

std::string Xor(std::string_view key, int value) {
  std::string out(key);
  for (char& c : out)
    c = static_cast<char>(c ^ value);
  return out;
}

// Deterministic pseudo-random bytes (salts, keys, vectors).
std::string SeededBytes(uint32_t seed, std::string_view purpose, size_t count) {
  std::string out;
  for (uint32_t block = 0; out.size() < count; ++block)
    out += Md5::Digest(std::to_string(seed) + std::string(purpose) + std::to_string(block));
  out.resize(count);
  return out;
}

std::string LittleEndian(uint32_t v, size_t bytes) {
  std::string out;
  for (size_t i = 0; i < bytes; ++i)
    out += static_cast<char>(v >> (8 * i) & 0xFF);
  return out;
}

std::string Pkcs7(std::string_view plain) {
  const size_t pad = 16 - plain.size() % 16;
  return std::string(plain) + std::string(pad, static_cast<char>(pad));
}

// Literal-string content with the characters that need it escaped.
std::string EscapeLiteral(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '(' || c == ')' || c == '\\')
      out += '\\';
    out += c;
  }
  return out;
}

std::string PageContent(std::string_view text) {
  std::string content = "BT /F1 12 Tf 14 TL 72 760 Td\n";
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    content += '(';
    content += EscapeLiteral(text.substr(start, end - start));
    content += ") Tj T*\n";
    start = end + 1;
  }
  return content + "ET\n";
}

// Writes numbered objects and the classic cross-reference table.
class FileWriter {
public:
  FileWriter() : FText("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n") {}

  void Object(uint32_t number, std::string_view body) {
    if (FOffsets.size() <= number)
      FOffsets.resize(number + 1, 0);
    FOffsets[number] = FText.size();
    FText += std::to_string(number) + " 0 obj\n" + std::string(body) + "\nendobj\n";
  }

  void Stream(uint32_t number, std::string_view extraKeys, std::string_view data) {
    Object(number, "<< /Length " + std::to_string(data.size()) + std::string(extraKeys) +
                       " >>\nstream\n" + std::string(data) + "\nendstream");
  }

  std::string Finish(std::string_view trailerKeys) {
    const size_t xref = FText.size();
    FText += "xref\n0 " + std::to_string(FOffsets.size()) + "\n0000000000 65535 f \n";
    for (size_t i = 1; i < FOffsets.size(); ++i) {
      std::string offset = std::to_string(FOffsets[i]);
      FText += std::string(10 - offset.size(), '0') + offset + " 00000 n \n";
    }
    FText += "trailer\n<< /Size " + std::to_string(FOffsets.size()) + std::string(trailerKeys) +
             " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return FText;
  }

private:
  std::string FText;
  std::vector<size_t> FOffsets;
};

std::string Deflate(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 6);
  out.resize(size);
  return out;
}

std::string BuildFileWith(const std::vector<std::string>& pageTexts, std::string_view title,
                          const PdfEncryptionBuilder* builder, bool compress) {
  auto string = [&](std::string_view plain, uint32_t object) {
    // Hex strings for encrypted bytes, literal strings for plain text.
    std::string token(1, builder ? '<' : '(');
    token += builder ? PdfHex(builder->EncryptString(plain, object)) : EscapeLiteral(plain);
    token += builder ? '>' : ')';
    return token;
  };
  auto stream = [&](std::string_view plain, uint32_t object) {
    return builder ? builder->EncryptStream(plain, object) : std::string(plain);
  };
  const auto pages = static_cast<uint32_t>(pageTexts.size());
  const uint32_t font = 3, info = 4, metadata = 5, encrypt = 6, firstPage = 7;
  FileWriter file;
  file.Object(1, "<< /Type /Catalog /Pages 2 0 R /Metadata 5 0 R >>");
  std::string kids;
  for (uint32_t i = 0; i < pages; ++i)
    kids += std::to_string(firstPage + 2 * i) + " 0 R ";
  file.Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  file.Object(font, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  file.Object(info, "<< /Title " + string(title, info) + " /Producer " +
                        string("Scrivlet test builder", info) + " >>");
  const std::string xmp = "<?xpacket begin=''?><x:xmpmeta xmlns:x='adobe:ns:meta/'><dc:title>" +
                          std::string(title) + "</dc:title></x:xmpmeta><?xpacket end='r'?>";
  const bool clearMetadata = builder && !builder->Settings().EncryptMetadata;
  file.Stream(metadata, " /Type /Metadata /Subtype /XML",
              clearMetadata ? xmp : stream(xmp, metadata));
  if (builder)
    file.Object(encrypt, builder->DictionaryText());
  else
    file.Object(encrypt, "null");
  for (uint32_t i = 0; i < pages; ++i) {
    const uint32_t page = firstPage + 2 * i;
    file.Object(page, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font "
                      "<< /F1 3 0 R >> >> /Contents " +
                          std::to_string(page + 1) + " 0 R >>");
    const std::string content = PageContent(pageTexts[i]);
    if (compress)
      file.Stream(page + 1, " /Filter /FlateDecode", stream(Deflate(content), page + 1));
    else
      file.Stream(page + 1, "", stream(content, page + 1));
  }
  std::string trailer = " /Root 1 0 R /Info 4 0 R";
  if (builder) {
    const std::string id = PdfHex(builder->Settings().DocumentId);
    trailer += " /Encrypt 6 0 R /ID [<" + id + "> <" + id + ">]";
  }
  return file.Finish(trailer);
}

} // namespace

std::string PdfHex(std::string_view bytes) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += Digits[c >> 4];
    hex += Digits[c & 15];
  }
  return hex;
}

PdfEncryptionBuilder::PdfEncryptionBuilder(EncryptionSettings settings)
    : FSettings(std::move(settings)) {
  if (FSettings.OwnerPassword.empty())
    FSettings.OwnerPassword = FSettings.UserPassword;
  FDictionary.Filter = "/standard";
  FDictionary.Version = FSettings.Version;
  FDictionary.Revision = FSettings.Revision;
  FDictionary.Length = FSettings.KeyBits;
  FDictionary.Permissions = FSettings.Permissions;
  FDictionary.EncryptMetadata = FSettings.EncryptMetadata;
  if (FSettings.Version >= 4) {
    FDictionary.CryptFilters["/stdcf"] = {FSettings.Method, "/docopen", FSettings.KeyBits / 8};
    FDictionary.StreamFilter = "/stdcf";
    FDictionary.StringFilter = "/stdcf";
  }
  if (FSettings.Revision >= 5)
    MakeSha2Values();
  else
    MakeMd5Values();
}

void PdfEncryptionBuilder::MakeMd5Values() {
  const size_t keyBytes = FSettings.Revision == 2 ? 5 : static_cast<size_t>(FSettings.KeyBits / 8);
  // The owner value: the padded user password under RC4 keyed by the owner
  // password's digest (with 50 more rounds and 19 more passes from revision 3).
  std::string ownerDigest = Md5::Digest(Pad(FSettings.OwnerPassword));
  if (FSettings.Revision >= 3)
    for (int i = 0; i < 50; ++i)
      ownerDigest = Md5::Digest(ownerDigest.substr(0, keyBytes));
  const std::string ownerKey = ownerDigest.substr(0, keyBytes);
  std::string owner = Rc4::Crypt(ownerKey, Pad(FSettings.UserPassword));
  if (FSettings.Revision >= 3)
    for (int i = 1; i <= 19; ++i)
      owner = Rc4::Crypt(Xor(ownerKey, i), owner);
  FDictionary.Owner = owner;

  // The file key from the user password.
  Md5 md5;
  md5.Update(Pad(FSettings.UserPassword));
  md5.Update(owner);
  md5.Update(LittleEndian(static_cast<uint32_t>(FSettings.Permissions), 4));
  md5.Update(FSettings.DocumentId);
  if (FSettings.Revision >= 4 && !FSettings.EncryptMetadata)
    md5.Update(std::string(4, '\xFF'));
  std::string key = md5.Final();
  if (FSettings.Revision >= 3)
    for (int i = 0; i < 50; ++i)
      key = Md5::Digest(key.substr(0, keyBytes));
  FFileKey = key.substr(0, keyBytes);

  // The user value.
  if (FSettings.Revision == 2) {
    FDictionary.User = Rc4::Crypt(FFileKey, Padding);
  } else {
    std::string user = Rc4::Crypt(FFileKey, Md5::Digest(Padding + FSettings.DocumentId));
    for (int i = 1; i <= 19; ++i)
      user = Rc4::Crypt(Xor(FFileKey, i), user);
    FDictionary.User = user + SeededBytes(FSettings.Seed, "user tail", 16);
  }
}

void PdfEncryptionBuilder::MakeSha2Values() {
  const int32_t revision = FSettings.Revision;
  const std::string zeroIv(16, '\0');
  FFileKey = SeededBytes(FSettings.Seed, "file key", 32);
  const std::string userSalts = SeededBytes(FSettings.Seed, "user salts", 16);
  const std::string ownerSalts = SeededBytes(FSettings.Seed, "owner salts", 16);
  FDictionary.User =
      Sha2PasswordHash(revision, FSettings.UserPassword, userSalts.substr(0, 8), {}) + userSalts;
  FDictionary.UserKey =
      Aes::CbcEncrypt(Sha2PasswordHash(revision, FSettings.UserPassword, userSalts.substr(8), {}),
                      zeroIv, FFileKey);
  FDictionary.Owner = Sha2PasswordHash(revision, FSettings.OwnerPassword, ownerSalts.substr(0, 8),
                                       FDictionary.User) +
                      ownerSalts;
  FDictionary.OwnerKey = Aes::CbcEncrypt(
      Sha2PasswordHash(revision, FSettings.OwnerPassword, ownerSalts.substr(8), FDictionary.User),
      zeroIv, FFileKey);
  const std::string perms = LittleEndian(static_cast<uint32_t>(FSettings.Permissions), 4) +
                            std::string(4, '\xFF') + (FSettings.EncryptMetadata ? "T" : "F") +
                            "adb" + SeededBytes(FSettings.Seed, "perms", 4);
  FDictionary.Perms = Aes::CbcEncrypt(FFileKey, zeroIv, perms);
}

std::string PdfEncryptionBuilder::Encrypt(std::string_view method, std::string_view plain,
                                          uint32_t objectNumber, uint16_t generation) const {
  if (method == "/none")
    return std::string(plain);
  const std::string iv = SeededBytes(FSettings.Seed + objectNumber, "iv", 16);
  if (method == "/aesv3")
    return iv + Aes::CbcEncrypt(FFileKey, iv, Pkcs7(plain));
  Md5 md5;
  md5.Update(FFileKey);
  md5.Update(LittleEndian(objectNumber, 3));
  md5.Update(LittleEndian(generation, 2));
  if (method == "/aesv2") {
    md5.Update("sAlT");
    return iv + Aes::CbcEncrypt(md5.Final(), iv, Pkcs7(plain));
  }
  return Rc4::Crypt(md5.Final().substr(0, std::min<size_t>(FFileKey.size() + 5, 16)), plain);
}

std::string PdfEncryptionBuilder::EncryptString(std::string_view plain, uint32_t objectNumber,
                                                uint16_t generation) const {
  return Encrypt(FSettings.Version >= 4 ? FSettings.Method : "/v2", plain, objectNumber,
                 generation);
}

std::string PdfEncryptionBuilder::EncryptStream(std::string_view plain, uint32_t objectNumber,
                                                uint16_t generation) const {
  return EncryptString(plain, objectNumber, generation);
}

std::string PdfEncryptionBuilder::DictionaryText() const {
  const EncryptionDictionary& d = FDictionary;
  std::string text = "<< /Filter /Standard /V " + std::to_string(d.Version) + " /R " +
                     std::to_string(d.Revision) + " /Length " + std::to_string(d.Length) + " /P " +
                     std::to_string(d.Permissions) + " /O <" + PdfHex(d.Owner) + "> /U <" +
                     PdfHex(d.User) + ">";
  if (d.Revision >= 5)
    text += " /OE <" + PdfHex(d.OwnerKey) + "> /UE <" + PdfHex(d.UserKey) + "> /Perms <" +
            PdfHex(d.Perms) + ">";
  if (d.Version >= 4) {
    const std::string method = FSettings.Method == "/aesv2"   ? "/AESV2"
                               : FSettings.Method == "/aesv3" ? "/AESV3"
                               : FSettings.Method == "/v2"    ? "/V2"
                                                              : "/None";
    text += " /CF << /StdCF << /CFM " + method + " /AuthEvent /DocOpen /Length " +
            std::to_string(FSettings.KeyBits / 8) + " >> >> /StmF /StdCF /StrF /StdCF";
  }
  if (!d.EncryptMetadata)
    text += " /EncryptMetadata false";
  return text + " >>";
}

std::string PdfEncryptionBuilder::BuildFile(const std::vector<std::string>& pageTexts,
                                            std::string_view title, bool compress) const {
  return BuildFileWith(pageTexts, title, this, compress);
}

std::string PdfEncryptionBuilder::BuildPlainFile(const std::vector<std::string>& pageTexts,
                                                 std::string_view title, bool compress) {
  return BuildFileWith(pageTexts, title, nullptr, compress);
}

} // namespace scrivlet::test
