// Packages whose member names some Windows zip tools write with "\"
// separators: the body is found by the same lookup that reads it.
#include "core/Stream.h"
#include "readers/docx/DocxReader.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string Body(const std::string& text) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<w:body><w:p><w:r><w:t>" +
         text + "</w:t></w:r></w:p></w:body></w:document>";
}

std::vector<std::u16string> Convert(const test::ZipBuilder& zip) {
  test::ReaderHarness<DocxReader> reader;
  MemoryStream stream(zip.Build());
  reader.LoadFromStream(stream);
  std::vector<std::u16string> lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

using Lines = std::vector<std::u16string>;

TEST(DocxMemberNames, BodyWrittenWithBackslashes) {
  test::ZipBuilder zip;
  zip.Add("[Content_Types].xml", "<Types/>");
  zip.Add("word\\document.xml", Body("Hello"));
  EXPECT_EQ(Convert(zip), Lines{u"Hello"});
}

TEST(DocxMemberNames, SecondBodyWrittenWithBackslashes) {
  test::ZipBuilder zip;
  zip.Add("word\\document2.xml", Body("Second"));
  EXPECT_EQ(Convert(zip), Lines{u"Second"});
}

TEST(DocxMemberNames, ForwardSlashBodyComesFirst) {
  test::ZipBuilder zip;
  zip.Add("word\\document2.xml", Body("Second"));
  zip.Add("WORD/Document.xml", Body("First"));
  EXPECT_EQ(Convert(zip), Lines{u"First"});
  test::ZipBuilder none;
  none.Add("word/other.xml", Body("Other"));
  EXPECT_EQ(Convert(none), Lines{});
}

} // namespace
} // namespace scrivlet
