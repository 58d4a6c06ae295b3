#include "frontend/ContentDetection.h"

#include "core/ByteReader.h"
#include "storage/CompoundFile.h"
#include "zip/ZipArchive.h"

#include <algorithm>
#include <exception>

namespace scrivlet {
namespace {

constexpr std::string_view kZipLocalHeader = "PK\x03\x04";
constexpr std::string_view kPdfHeader = "%PDF-";
constexpr std::string_view kWordPerfectHeader = "\xFFWPC";
constexpr size_t kWordPerfectProductOffset = 8;
constexpr uint8_t kWordPerfectProduct = 1;   // WordPerfect itself
constexpr uint8_t kWordPerfectDocument = 10; // file type: a document
constexpr size_t kWriteHeaderSize = 128;
constexpr size_t kWordHeaderSize = 32;
// How far into the file a FictionBook's root element may start (after the
// XML declaration, comments and a processing instruction or two).
constexpr size_t kXmlRootSearch = 4096;

bool StartsWith(std::string_view data, std::string_view prefix) {
  return data.substr(0, prefix.size()) == prefix;
}

void CompoundFileReaders(std::string_view data, std::vector<std::string_view>& names) {
  if (!CompoundFile::HasSignature(data))
    return;
  try {
    auto storage = CompoundFile::TryOpen(std::string(data));
    if (!storage)
      return;
    using Kind = CompoundFile::ElementKind;
    if (storage->Find(CompoundFile::kRoot, u"WordDocument", Kind::Stream))
      names.push_back("doc");
    if (storage->Find(CompoundFile::kRoot, u"PerfectOffice_MAIN", Kind::Stream))
      names.push_back("wpd");
    // A password-protected Word XML package travels inside a compound
    // file, often beside a WordDocument stream that only says so: the Word
    // XML reader reports it as protected.
    if (storage->Find(CompoundFile::kRoot, u"EncryptedPackage", Kind::Stream))
      names.push_back("docx");
  } catch (const std::exception&) {
    // A damaged compound file matches nothing; the extension decides, and
    // the reader reports the damage.
  }
}

void ZipPackageReaders(std::string_view data, std::vector<std::string_view>& names) {
  if (!StartsWith(data, kZipLocalHeader))
    return;
  try {
    ZipArchive zip;
    zip.LoadFromBytes(std::string(data));
    if (zip.IndexOfFile("word/document.xml") >= 0)
      names.push_back("docx");
    if (zip.IndexOfFile("mimetype") < 0)
      return;
    std::string mimeType = zip.GetFileByName("mimetype");
    while (!mimeType.empty() &&
           (mimeType.back() == '\n' || mimeType.back() == '\r' || mimeType.back() == ' '))
      mimeType.pop_back();
    if (mimeType == "application/vnd.oasis.opendocument.text")
      names.push_back("odt");
    else if (mimeType == "application/vnd.oasis.opendocument.presentation")
      names.push_back("odp");
    else if (mimeType == "application/epub+zip")
      names.push_back("epub");
  } catch (const std::exception&) {
    // A damaged package matches nothing; the extension decides.
  }
}

// A Word for DOS/Windows 1 or 2 file: its magic number, then a file format
// version of those programs, in a header long enough for the FIB.
bool IsWordTwoHeader(std::string_view data) {
  if (data.size() < kWordHeaderSize)
    return false;
  uint16_t magic = ByteReader::Get16(data, 0);
  uint16_t version = ByteReader::Get16(data, 2);
  return (magic == 0xA59B || magic == 0xA5DB) && version >= 0x0019 && version <= 0x002D;
}

// A Write file: its identifier (0xBE31 plain, 0xBE32 with OLE objects), a
// zero word, the tool word 0xAB00 and four zero words, in a 128-byte header.
bool IsWriteHeader(std::string_view data) {
  if (data.size() < kWriteHeaderSize)
    return false;
  uint16_t ident = ByteReader::Get16(data, 0);
  if ((ident != 0xBE31 && ident != 0xBE32) || ByteReader::Get16(data, 2) != 0 ||
      ByteReader::Get16(data, 4) != 0xAB00)
    return false;
  for (size_t offset = 6; offset < 14; offset += 2)
    if (ByteReader::Get16(data, offset) != 0)
      return false;
  return true;
}

// A WordPerfect 6-9 document: its identifier, the pointer to the document
// area, then the product and file type bytes.
bool IsWordPerfectHeader(std::string_view data) {
  return data.size() > kWordPerfectProductOffset + 1 && StartsWith(data, kWordPerfectHeader) &&
         static_cast<uint8_t>(data[kWordPerfectProductOffset]) == kWordPerfectProduct &&
         static_cast<uint8_t>(data[kWordPerfectProductOffset + 1]) == kWordPerfectDocument;
}

// A FictionBook: the first element of the XML text is <FictionBook (after
// a byte-order mark, the declaration, comments and processing instructions).
bool IsFictionBook(std::string_view data) {
  std::string_view head = data.substr(0, kXmlRootSearch);
  if (StartsWith(head, "\xEF\xBB\xBF"))
    head.remove_prefix(3);
  size_t at = 0;
  while (true) {
    at = head.find('<', at);
    if (at == std::string_view::npos || at + 1 >= head.size())
      return false;
    char next = head[at + 1];
    if (next == '?' || next == '!') {
      ++at;
      continue;
    }
    std::string_view name = head.substr(at + 1, 11);
    if (name != "FictionBook")
      return false;
    return at + 12 < head.size() &&
           std::string_view(" \t\r\n>/").find(head[at + 12]) != std::string_view::npos;
  }
}

} // namespace

std::vector<const ReaderKind*> ReadersBySignature(std::string_view data) {
  std::vector<std::string_view> names;
  CompoundFileReaders(data, names);
  ZipPackageReaders(data, names);
  if (IsWordTwoHeader(data))
    names.push_back("doc");
  if (StartsWith(data, kPdfHeader))
    names.push_back("pdf");
  if (IsWordPerfectHeader(data))
    names.push_back("wpd");
  if (IsWriteHeader(data))
    names.push_back("wri");
  if (IsFictionBook(data))
    names.push_back("fb2");
  std::vector<const ReaderKind*> readers;
  for (const auto& row : ReaderTable())
    if (std::find(names.begin(), names.end(), row.name) != names.end())
      readers.push_back(&row);
  return readers;
}

const ReaderKind& DetectReader(std::string_view data, std::string_view fileName) {
  std::vector<const ReaderKind*> readers = ReadersBySignature(data);
  return readers.size() == 1 ? *readers.front() : ReaderForFileName(fileName);
}

} // namespace scrivlet
