// Writes the documents the web end-to-end test serves besides the samples,
// made by the same builders as the unit tests:
//
//   scrivlet_make_web_documents FOLDER
//
// FOLDER/locked.pdf    an encrypted PDF, titled "Vault", whose user password
//                      is "web sesame" (its text: "Behind the password")
// FOLDER/untitled.pdf  a PDF whose Info gives no title
#include "support/PdfEncryptionBuilder.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: scrivlet_make_web_documents FOLDER\n", stderr);
    return 2;
  }
  using scrivlet::test::PdfEncryptionBuilder;
  const std::string folder = argv[1];
  scrivlet::test::EncryptionSettings settings;
  settings.UserPassword = "web sesame";
  settings.OwnerPassword = "web owner";
  bool written =
      WriteFile(folder + "/locked.pdf",
                PdfEncryptionBuilder(settings).BuildFile({"Behind the password"}, "Vault")) &&
      WriteFile(folder + "/untitled.pdf",
                PdfEncryptionBuilder::BuildPlainFile({"A page without a title"}, ""));
  if (!written)
    std::fprintf(stderr, "scrivlet_make_web_documents: cannot write into %s\n", folder.c_str());
  return written ? 0 : 1;
}
