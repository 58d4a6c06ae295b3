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

std::string Message(const std::string& bytes) {
  try {
    Open(bytes);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
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
  EXPECT_EQ(Message("not a zip file at all, just some text"),
            "The archive is damaged: no ZIP archive");
  EXPECT_EQ(Message(""), "The archive is damaged: no ZIP archive");
  EXPECT_EQ(Message(std::string("PK\x03\x04", 4) + "cut"),
            "The archive is damaged: no central directory, no member readable");
  EXPECT_TRUE(Open(ZipBuilder().Build()).Files().empty()); // empty, not damaged

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
  ZipArchive recovered = Open(outside);
  EXPECT_EQ(recovered.Damage(), "the central directory lists 2 members, 0 of them readable");
  EXPECT_EQ(recovered.GetFileByName("b.xml"), "second member");

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

// Streaming writers give the sizes as 0xFFFFFFFF and their values in a
// zip64 extra field; large archives defer the directory's place to a zip64
// end record.
TEST(ZipArchive, Zip64SizesAndEndRecord) {
  ZipBuilder b;
  b.members.push_back({"deflated.xml", std::string(3000, 'd') + "end", 8});
  b.members.push_back({"stored.xml", "stored with zip64 sizes", 0});
  b.members[0].zip64 = true;
  b.members[1].zip64 = true;
  b.zip64End = true;
  std::string bytes = b.Build();
  ZipArchive zip = Open(bytes);
  EXPECT_EQ(zip.Damage(), "");
  ASSERT_EQ(zip.Files().size(), 2u);
  EXPECT_EQ(zip.GetFileByName("deflated.xml"), std::string(3000, 'd') + "end");
  EXPECT_EQ(zip.GetFileByName("stored.xml"), "stored with zip64 sizes");
  EXPECT_EQ(zip.Files()[1].LocalCompressedSize, 23u);
  EXPECT_GT(zip.Files()[1].LocalHeaderOffset, 0u);

  // Without the central directory the local headers' extra fields still
  // give the sizes.
  ZipArchive recovered = Open(bytes.substr(0, bytes.find("PK\x01\x02")));
  EXPECT_NE(recovered.Damage(), "");
  EXPECT_EQ(recovered.GetFileByName("stored.xml"), "stored with zip64 sizes");
}

// An archive whose central directory lists its one member `copies` times:
// every entry leads to the same local header and data.
std::string SharedDataArchive(const std::string& data, uint16_t method, int copies) {
  ZipBuilder b;
  b.Add("shared", data, method);
  std::string bytes = b.Build();
  const size_t central = bytes.find("PK\x01\x02");
  const size_t end = bytes.rfind("PK\x05\x06");
  const std::string entry = bytes.substr(central, end - central);
  std::string directory;
  for (int i = 0; i < copies; ++i)
    directory += entry;
  std::string record = bytes.substr(end);
  for (size_t at : {size_t{8}, size_t{10}}) {
    record[at] = static_cast<char>(copies & 0xFF);
    record[at + 1] = static_cast<char>(copies >> 8);
  }
  const uint32_t size = static_cast<uint32_t>(directory.size());
  for (int i = 0; i < 4; ++i)
    record[12 + i] = static_cast<char>(size >> (8 * i));
  return bytes.substr(0, central) + directory + record;
}

// Reading a member costs its bytes, stored ones too, each time it is read.
// Entries that share one data region are no archive a program writes: a
// member whose data another member read before holds is refused, so that
// one region is never read for a thousand members.
TEST(ZipArchive, EveryMemberReadIsPaidFor) {
  Limits limits;
  limits.decodedBytesPerDocument = 3 << 20;
  const std::string megabyte(1 << 20, 's');
  ZipArchive stored(limits);
  stored.LoadFromBytes(SharedDataArchive(megabyte, 0, 10));
  ASSERT_EQ(stored.Files().size(), 10u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(stored.GetFileData(0).size(), megabyte.size());
  try {
    stored.GetFileData(0);
    FAIL() << "a fourth read passed the limit";
  } catch (const LimitExceeded& e) {
    EXPECT_EQ(e.Message(), "The document exceeds the limit of 3145728 decoded bytes per document");
  }

  WorkBudget budget(Limits{}, 0);
  ZipArchive deflated(Limits{}, &budget);
  const std::string bytes = SharedDataArchive(megabyte, 8, 5);
  deflated.LoadFromBytes(bytes);
  EXPECT_GE(budget.MemorySpent(), 5 * sizeof(ZipEntry));
  const uint64_t compressed = deflated.Files()[0].DataSize;
  for (int i = 0; i < 5; ++i)
    deflated.GetFileData(0);
  EXPECT_EQ(budget.WorkSpent(), 5 * compressed);
}

TEST(ZipArchive, MembersSharingDataAreRefused) {
  const std::string megabyte(1 << 20, 's');
  for (uint16_t method : {uint16_t{0}, uint16_t{8}}) {
    WorkBudget budget(Limits{}, 0);
    ZipArchive zip(Limits{}, &budget);
    zip.LoadFromBytes(SharedDataArchive(megabyte, method, 1300));
    EXPECT_EQ(zip.GetFileData(0), megabyte);
    const uint64_t work = budget.WorkSpent();
    for (int i = 1; i < 1300; ++i)
      EXPECT_EQ(Message(zip, i),
                "The archive is damaged: \"shared\" shares its data with \"shared\"");
    // Refused before the data are read again.
    EXPECT_EQ(budget.WorkSpent(), work);
    EXPECT_EQ(zip.GetFileData(0), megabyte); // the member itself, again
  }
}

// A member whose data run on into the next member's bytes (a size too
// large): deflate data end by themselves, so only what was read of them is
// the member's.
TEST(ZipArchive, DeflatedDataEndWhereTheyEnd) {
  ZipBuilder b;
  b.Add("first.xml", std::string(5000, 'a'));
  b.Add("second.xml", std::string(5000, 'b'));
  std::string bytes = b.Build();
  // The first member's central compressed size reaches the archive's end.
  const size_t central = bytes.find("PK\x01\x02");
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) {
    bytes[central + 20 + i] = static_cast<char>(size >> (8 * i));
    bytes[18 + i] = 0; // and the local header leaves it to the central entry
  }
  ZipArchive zip = Open(bytes);
  EXPECT_EQ(zip.GetFileData(0), std::string(5000, 'a'));
  EXPECT_EQ(zip.GetFileData(1), std::string(5000, 'b'));
}

TEST(ZipArchive, MembersOfACutFileComeFromTheirLocalHeaders) {
  ZipBuilder b;
  b.Add("mimetype", "application/epub+zip", 0);
  b.members.push_back({"streamed.xml", "sizes after the data", 8, true});
  b.members.push_back({"stored-streamed", "stored, sizes after", 0, true});
  b.Add("folder/", "", 0);
  std::string long_text;
  for (int i = 0; i < 3000; ++i)
    long_text += std::to_string(i * 7919) + " ";
  b.Add("last.xml", long_text);
  std::string bytes = b.Build();
  // Cut inside the last member's data: no central directory is left.
  const size_t last = bytes.rfind("PK\x03\x04");
  ZipArchive zip = Open(bytes.substr(0, last + 30 + 8 + 400));
  EXPECT_EQ(zip.Damage(), "no central directory");
  ASSERT_EQ(zip.Files().size(), 4u); // the folder is no member
  EXPECT_EQ(zip.GetFileByName("mimetype"), "application/epub+zip");
  EXPECT_EQ(zip.GetFileByName("streamed.xml"), "sizes after the data");
  std::string stored = zip.GetFileByName("stored-streamed");
  EXPECT_TRUE(stored.starts_with("stored, sizes after")) << stored; // its descriptor follows
  std::string partial = zip.GetFileByName("last.xml");              // as far as the file kept it
  EXPECT_FALSE(partial.empty());
  EXPECT_LT(partial.size(), long_text.size());
  EXPECT_EQ(long_text.substr(0, partial.size()), partial);
  EXPECT_TRUE(Open(bytes).Damage().empty());
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
