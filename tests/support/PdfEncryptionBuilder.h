// Builds encrypted PDF files for the security handler's tests: the
// encryption dictionary of any version and revision from two passwords, the
// encrypted strings and streams of objects, and whole small files (pages of
// text, an Info title) written with a classic cross-reference table.
//
// The file key and the "/o" and "/u" values of revisions 2 to 4 are computed
// here, forward, from the MD5 and RC4 primitives alone, so that tests check
// the handler against a second implementation (the values equal those of
// qpdf for the same inputs; see the qpdf tests).  Revisions 5 and 6 take
// their password hash from the library.
#pragma once

#include "pdf/security/EncryptionDictionary.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::test {

struct EncryptionSettings {
  int32_t Version = 2;
  int32_t Revision = 3;
  int32_t KeyBits = 128;      // written as "/length"; 256 for version 5
  std::string Method = "/v2"; // crypt filter method of versions 4 and 5
  std::string UserPassword;
  std::string OwnerPassword; // empty: the user password
  int32_t Permissions = -3904;
  bool EncryptMetadata = true;
  std::string DocumentId =
      std::string("\x01\x23\x45\x67\x89\xAB\xCD\xEF\xFE\xDC\xBA\x98\x76\x54\x32\x10", 16);
  uint32_t Seed = 1; // salts, the version 5 file key and AES vectors
};

class PdfEncryptionBuilder {
public:
  explicit PdfEncryptionBuilder(EncryptionSettings settings);

  const EncryptionSettings& Settings() const { return FSettings; }
  const EncryptionDictionary& Dictionary() const { return FDictionary; }
  const std::string& FileKey() const { return FFileKey; }

  std::string EncryptString(std::string_view plain, uint32_t objectNumber,
                            uint16_t generation = 0) const;
  std::string EncryptStream(std::string_view plain, uint32_t objectNumber,
                            uint16_t generation = 0) const;

  // The dictionary as PDF text, its strings in hexadecimal.
  std::string DictionaryText() const;

  // A file with one page per text (each line of a text shown on its own
  // line), the title in the Info dictionary, a metadata stream, and this
  // encryption; with `compress`, the page contents are Flate streams.
  std::string BuildFile(const std::vector<std::string>& pageTexts, std::string_view title,
                        bool compress = false) const;

  // The same file without encryption.
  static std::string BuildPlainFile(const std::vector<std::string>& pageTexts,
                                    std::string_view title, bool compress = false);

private:
  void MakeMd5Values();
  void MakeSha2Values();
  std::string Encrypt(std::string_view method, std::string_view plain, uint32_t objectNumber,
                      uint16_t generation) const;

  EncryptionSettings FSettings;
  EncryptionDictionary FDictionary;
  std::string FFileKey;
};

// Lower-case hexadecimal digits of bytes, for PDF hex strings.
std::string PdfHex(std::string_view bytes);

} // namespace scrivlet::test
