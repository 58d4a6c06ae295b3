// Word's control characters that are not line, cell or field marks: a
// column break reads as a line break, a non-breaking hyphen as "-", and the
// other codes below 32 give no raw control bytes in the text.
#include "core/Stream.h"
#include "readers/word/DocReader.h"
#include "support/ReaderHarness.h"
#include "support/WordBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace scrivlet {
namespace {

using Reader = test::ReaderHarness<DocReader>;

// The text entry of a document whose text (one 16-bit piece) is text.
std::u16string Convert(std::u16string text, OutputFormat formating = OutputFormat::PlainText,
                       Reader* with = nullptr) {
  Reader own;
  Reader& reader = with ? *with : own;
  reader.SetTextFormating(formating);
  test::WordBuilder b;
  b.pieces = {{std::move(text), false}};
  MemoryStream stream(b.Build());
  reader.LoadFromStream(stream);
  return reader.Lines().Get(1);
}

TEST(DocControlCharacters, ColumnBreakIsALineBreak) {
  EXPECT_EQ(Convert(u"left\x0Eright"), u"left\r\nright");
  EXPECT_EQ(Convert(u"left\x0Eright", OutputFormat::Html), u"left<br>\r\nright");
  EXPECT_EQ(Convert(u"left\x0Eright", OutputFormat::Rtf), u"left\r\n\\par right");
}

TEST(DocControlCharacters, NonBreakingHyphenIsAHyphen) {
  EXPECT_EQ(Convert(u"e\x1Email"), u"e-mail");
  // Inside a field result too.
  EXPECT_EQ(Convert(u"\x13 REF x \x14"
                    u"co\x1Eop\x15"),
            u"co-op");
}

TEST(DocControlCharacters, OtherCodesBelow32AreDropped) {
  std::u16string text = u"a";
  for (char16_t c : {4, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28, 29})
    text += c;
  text += u"b";
  EXPECT_EQ(Convert(text), u"ab");
  // The line feed of a row end, and one on its own, stay.
  EXPECT_EQ(Convert(u"a\nb"), u"a\nb");
  for (char16_t c : Convert(u"x\x01\x02\x03\x04\x05\x06\x08\x0C\x0E\x0F\x10\x1E\x1Fy"))
    EXPECT_TRUE(c >= 32 || c == u'\r' || c == u'\n') << int(c);
}

TEST(DocControlCharacters, TogetherAndKeptAsTheyStand) {
  EXPECT_EQ(Convert(u"a\x0E"
                    u"b\x1E"
                    u"c\x10"),
            u"a\r\nb-c");
  // Without conversion the text stays as it is.
  Reader raw;
  raw.SetConvertSysCharacters(false);
  EXPECT_EQ(Convert(u"a\x0E"
                    u"b",
                    OutputFormat::PlainText, &raw),
            u"a\x0E"
            u"b");
}

TEST(DocControlCharacters, Word95DocumentHasNoRawControlBytes) {
  std::filesystem::path file =
      std::filesystem::path(SCRIVLET_CORPUS_DIR) / "doc" / "poi_word95err.doc";
  if (!std::filesystem::exists(file))
    GTEST_SKIP() << "corpus document not found: " << file;
  Reader reader;
  FileStream stream(file.string());
  reader.LoadFromStream(stream);
  std::u16string text;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    text += reader.Lines().Get(i);
  ASSERT_FALSE(text.empty());
  for (char16_t c : text)
    EXPECT_TRUE(c >= 32 || c == u'\r' || c == u'\n' || c == u'\t') << int(c);
}

} // namespace
} // namespace scrivlet
