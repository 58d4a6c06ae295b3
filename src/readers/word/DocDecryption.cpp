// Word 95 and Word 97-2003 documents saved with a password.  The FIB's
// start (FibBase) stays readable and says the document is encrypted
// (fEncrypted) and how: RC4, its header at the start of the table stream
// (lKey bytes long), or XOR obfuscation (fObfuscated, and always in Word 6
// and Word 95: lKey then holds the password's verifier and key).
// Everything after FibBase in the main stream, and the table stream after
// the header, is decrypted before the document is read as any other.
#include "readers/word/DocReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "storage/BinaryRc4Encryption.h"
#include "storage/CompoundFile.h"
#include "storage/XorObfuscation.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr size_t kFibBaseSize = 68, kFlags = 10, kKeyLength = 14;
// Word 6 and Word 95 leave the start of their FIB readable up to here.
constexpr size_t kWord6ClearBytes = 0x34;
constexpr uint16_t kFlagObfuscated = 0x8000;

// Decrypts the stream but its first `clear` bytes, which the writer left
// as they stand.
void DecryptAfter(const BinaryRc4Encryption& encryption, std::string& stream, size_t clear) {
  const std::string head = stream.substr(0, std::min(clear, stream.size()));
  encryption.Decrypt(stream);
  std::copy(head.begin(), head.end(), stream.begin());
}

} // namespace

void DocReader::ParseEncrypted(const std::string& main, const CompoundFile* storage) {
  // The single-stream files of Word 2 and older have no encryption of this
  // kind; Word 6 and Word 95 knew only the XOR obfuscation, with their table
  // in the main stream.
  if (storage == nullptr || FDocVersion < 6)
    throw UnsupportedEncryption("the password protection of Word 5 and older");
  const bool word97 = FDocVersion == 8 || FDocVersion == 0;
  const std::u16string password = AnsiToWide(Password(), Options().systemCodePage);
  std::string plainMain = main;
  std::string table;
  if (word97) {
    std::unique_ptr<MemoryStream> stream =
        storage->OpenStream(CompoundFile::kRoot, TableStreamName());
    if (!stream)
      throw Exception("File %s is not valid MS Word document", {FileName()});
    table = stream->Data();
  }
  Budget().SpendWork(uint64_t{main.size()} + table.size());
  const uint32_t key = ByteReader::Get32(main, kKeyLength);
  if (!word97 || (ByteReader::Get16(main, kFlags) & kFlagObfuscated) != 0) {
    // lKey holds the password's verifier (low word) and XOR key (high word).
    const XorObfuscation obfuscation(password);
    if (!obfuscation.Matches(static_cast<uint16_t>(key & 0xFFFF), static_cast<uint16_t>(key >> 16)))
      throw PasswordError(FileName(), !Password().empty());
    const size_t clear = word97 ? kFibBaseSize : kWord6ClearBytes;
    std::string rest = plainMain.substr(std::min(clear, plainMain.size()));
    obfuscation.Apply(rest, clear);
    plainMain.replace(std::min(clear, plainMain.size()), std::string::npos, rest);
    obfuscation.Apply(table, 0);
  } else {
    BinaryRc4Encryption encryption = BinaryRc4Encryption::Read(
        std::string_view(table).substr(0, std::min<size_t>(key, table.size())));
    if (!encryption.Unlock(password))
      throw PasswordError(FileName(), !Password().empty());
    DecryptAfter(encryption, plainMain, kFibBaseSize);
    DecryptAfter(encryption, table, encryption.HeaderSize());
  }
  // The FIB past its clear start was encrypted: it is read again.
  ReadFib(plainMain);
  if (ParseItems().Contains(ContentItem::Text))
    ReadDocumentText(plainMain, word97 ? &table : nullptr);
}

} // namespace scrivlet
