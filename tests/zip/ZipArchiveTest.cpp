#include "zip/ZipArchive.h"
#include "support/ZipBuilder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::ZipBuilder;

ZipArchive Open(const std::string& bytes) {
  ZipArchive zip;
  zip.LoadFromBytes(bytes);
  return zip;
}

std::string Message(const ZipArchive& zip, int index) {
  try {
    zip.GetFileData(index);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

TEST(ZipArchive, StoredAndDeflatedMembersByName) {
  ZipBuilder b;
  std::string text(5000, 'x');
  b.Add("word/document.xml", "<w:document/>" + text);
  b.Add("mimetype", "application/epub+zip", 0);
  b.Add("empty", "", 8);
  ZipArchive zip = Open(b.Build());
  ASSERT_EQ(zip.Files().size(), 3u);
  EXPECT_EQ(zip.GetFileByName("WORD/Document.XML"), "<w:document/>" + text);
  EXPECT_EQ(zip.GetFileByName("mimetype"), "application/epub+zip");
  EXPECT_EQ(zip.GetFileByName("empty"), "");
  EXPECT_EQ(zip.GetFileByName("missing"), "");
  EXPECT_EQ(Message(zip, 3), "Index out of range.");
  EXPECT_EQ(Message(zip, -1), "Index out of range.");
}

TEST(ZipArchive, BackslashesDescriptorsAndComments) {
  ZipBuilder b;
  b.Add("word\\document.xml", "backslashed");
  b.members.push_back({"streamed.xml", "written with a data descriptor", 8, true});
  b.comment = "an archive comment \x50\x4b\x05 that is not a record";
  ZipArchive zip = Open(b.Build());
  EXPECT_EQ(zip.GetFileByName("word/document.xml"), "backslashed");
  EXPECT_EQ(zip.GetFileByName("streamed.xml"), "written with a data descriptor");
}

TEST(ZipArchive, CrcChecks) {
  ZipBuilder b;
  b.members.push_back({"bad.xml", "deflated data", 8, false, 1});
  b.members.push_back({"stored.xml", "stored data", 0, false, 1});
  ZipArchive zip = Open(b.Build());
  EXPECT_EQ(Message(zip, 0), "CRC Error in \"bad.xml\".");
  EXPECT_THROW(zip.GetFileData(0), ZipCrcError);
  EXPECT_EQ(zip.GetFileData(1), "stored data"); // stored members are not checked
  EXPECT_EQ(ZipArchive::ZipCRC32("123456789"), 0xCBF43926u);
  EXPECT_EQ(ZipArchive::ZipCRC32(""), 0u);
}

TEST(ZipArchive, MethodDecidesHowAMemberIsRead) {
  ZipBuilder b;
  b.Add("bzip.xml", "pretend", 12);
  std::string same = "abcd";
  b.Add("equal-sizes", same, 8);
  ZipArchive zip = Open(b.Build());
  EXPECT_EQ(Message(zip, 0), "Unsupported compression method 12 in \"bzip.xml\".");
  EXPECT_EQ(zip.GetFileData(1), same);
}

TEST(ZipArchive, DamagedArchives) {
  ZipBuilder b;
  b.Add("a.xml", std::string(20000, 'a'));
  b.Add("b.xml", "second member");
  std::string bytes = b.Build();
  EXPECT_TRUE(Open(bytes.substr(0, bytes.size() / 2)).Files().empty()); // no central directory
  EXPECT_TRUE(Open("not a zip file at all, just some text").Files().empty());
  EXPECT_TRUE(Open("").Files().empty());

  std::string corrupt = bytes;
  corrupt[40] ^= 0x55; // inside a.xml's deflate data
  ZipArchive damaged = Open(corrupt);
  std::string message = Message(damaged, 0);
  EXPECT_TRUE(message == "error" || message == "CRC Error in \"a.xml\".") << message;

  std::string manyEntries = bytes;
  size_t end = manyEntries.rfind("PK\x05\x06");
  manyEntries[end + 10] = '\xFF'; // 65,535 entries declared
  manyEntries[end + 11] = '\xFF';
  EXPECT_EQ(Open(manyEntries).Files().size(), 2u);

  std::string outside = bytes;
  outside[end + 16] = '\x7F'; // central directory far outside the file
  outside[end + 19] = '\x7F';
  EXPECT_TRUE(Open(outside).Files().empty());

  std::string huge = bytes;
  size_t central = huge.find("PK\x01\x02");
  for (int i = 0; i < 4; ++i)
    huge[central + 24 + i] = '\xFF'; // claims 4 GB uncompressed
  size_t local = 0;
  for (int i = 0; i < 4; ++i)
    huge[local + 22 + i] = '\xFF';
  ZipArchive claims = Open(huge);
  EXPECT_THROW(claims.GetFileData(0), ZipCrcError);
}

TEST(ZipSignature, FirstFourBytes) {
  test::TempDir dir;
  EXPECT_TRUE(IsZipFile(dir.Write("a.zip", std::string("PK\x03\x04", 4))));
  EXPECT_FALSE(IsZipFile(dir.Write("b.zip", "PK\x05\x06xxxx")));
  EXPECT_FALSE(IsZipFile(dir.Write("c.zip", "PK")));
  EXPECT_THROW(IsZipFile(dir.File("none")), FileOpenError);
}

} // namespace
} // namespace scrivlet
