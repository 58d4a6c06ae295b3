// Word 97-2003 documents saved with a password.  The FIB's start (FibBase,
// 68 bytes) stays readable and says the document is encrypted (fEncrypted)
// and how: RC4, its header at the start of the table stream (lKey bytes
// long), or XOR obfuscation (fObfuscated).  Everything after FibBase in the
// main stream, and the table stream after the header, is decrypted before
// the document is read as any other.
#include "readers/word/DocReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "storage/BinaryRc4Encryption.h"
#include "storage/CompoundFile.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr size_t kFibBaseSize = 68, kFlags = 10, kKeyLength = 14;
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
  // Word 6 and Word 95 obfuscated their files in a way of their own, and
  // the single-stream files of Word 2 and older have no table stream.
  if (storage == nullptr || FDocVersion < 8)
    throw UnsupportedEncryption("the password protection of Word 95 and older");
  if ((ByteReader::Get16(main, kFlags) & kFlagObfuscated) != 0)
    throw UnsupportedEncryption("XOR obfuscation (Word 97-2003)");
  std::unique_ptr<MemoryStream> tableStream =
      storage->OpenStream(CompoundFile::kRoot, TableStreamName());
  if (!tableStream)
    throw Exception("File %s is not valid MS Word document", {FileName()});
  std::string table = tableStream->Data();
  tableStream.reset();
  const uint32_t headerSize = ByteReader::Get32(main, kKeyLength);
  BinaryRc4Encryption encryption = BinaryRc4Encryption::Read(
      std::string_view(table).substr(0, std::min<size_t>(headerSize, table.size())));
  if (!encryption.Unlock(AnsiToWide(Password(), Options().systemCodePage)))
    throw PasswordError(FileName(), !Password().empty());
  Budget().SpendWork(uint64_t{main.size()} + table.size());
  std::string plainMain = main;
  DecryptAfter(encryption, plainMain, kFibBaseSize);
  DecryptAfter(encryption, table, encryption.HeaderSize());
  // The FIB past FibBase was encrypted: it is read again.
  ReadFib(plainMain);
  if (ParseItems().Contains(ContentItem::Text))
    ReadDocumentText(plainMain, &table);
}

} // namespace scrivlet
