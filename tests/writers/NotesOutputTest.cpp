#include "support/DocumentBuilder.h"
#include "writers/DescribedOutput.h"
#include "writers/JsonWriter.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

Document BookWithNote(MarkupConvention markup) {
  Document document;
  document.markup = markup;
  document.textRead = document.textStarted = document.complete = true;
  Block paragraph = test::Paragraph(u"Text");
  paragraph.content.push_back(test::NoteReferencePiece(u"1", u"n1"));
  paragraph.ending = 1;
  document.Main().blocks.push_back(paragraph);
  Note note = test::NoteOf(u"n1", u"1", u"A <note>");
  note.blocks.push_back(test::Paragraph(u"its second paragraph"));
  document.notes.push_back(note);
  return document;
}

std::vector<std::u16string> Entries(const TextLines& lines) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < lines.Count(); ++i)
    entries.push_back(lines.Get(i));
  return entries;
}

TEST(DescribedNotes, FollowTheTextAfterAnEmptyEntryInEachFormat) {
  Document document = BookWithNote(MarkupConvention::FictionBook);
  DescribedOutputOptions plain;
  std::vector<std::u16string> entries = Entries(DescribedLines(document, plain));
  // prologue and epilogue are empty entries in plain text
  EXPECT_EQ(entries, (std::vector<std::u16string>{u"", u"Text[1]", u"",
                                                  u"[1] A <note>\r\nits second paragraph", u""}));

  DescribedOutputOptions html;
  html.format = OutputFormat::Html;
  entries = Entries(DescribedLines(document, html));
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2], u"<p>[1] A &lt;note&gt;<br>\r\nits second paragraph</p>");

  plain.notes = false; // --items without notes
  entries = Entries(DescribedLines(document, plain));
  EXPECT_EQ(entries, (std::vector<std::u16string>{u"", u"Text[1]", u""}));
}

TEST(DescribedNotes, FormatsWrittenAsOneEntryTakeThemBeforeTheEpilogue) {
  Document document = BookWithNote(MarkupConvention::WordPerfect);
  DescribedOutputOptions html;
  html.format = OutputFormat::Html;
  std::vector<std::u16string> entries = Entries(DescribedLines(document, html));
  ASSERT_EQ(entries.size(), 1u);
  const std::u16string& entry = entries[0];
  size_t note = entry.find(u"<p>[1] A &lt;note&gt;");
  ASSERT_NE(note, std::u16string::npos);
  EXPECT_LT(entry.find(u"Text"), note);
  EXPECT_LT(note, entry.find(u"</body>"));
}

TEST(JsonDocument, BlocksAndNotesFollowTheStories) {
  Document document = BookWithNote(MarkupConvention::FictionBook);
  document.Main().blocks.insert(document.Main().blocks.begin(), test::Heading(2, u"Title"));
  JsonConversion conversion;
  conversion.file = "a.fb2";
  conversion.readerName = "fb2";
  std::string json = JsonDocument(document, TextLines(), nullptr, nullptr, conversion);
  EXPECT_NE(json.find("\"blocks\": [{\"type\": \"heading\", \"level\": 2, \"text\": \"Title\"}, "
                      "{\"type\": \"paragraph\", \"text\": \"Text[1]\"}], "
                      "\"notes\": [{\"label\": \"1\", \"text\": \"A <note>\\u000aits second "
                      "paragraph\"}], \"encrypted\""),
            std::string::npos)
      << json;
  conversion.maxTextLength = 6; // --max-length cuts the structure too
  conversion.notes = false;
  json = JsonDocument(document, TextLines(), nullptr, nullptr, conversion);
  EXPECT_NE(json.find("\"blocks\": [{\"type\": \"heading\", \"level\": 2, \"text\": \"Title\"}, "
                      "{\"type\": \"paragraph\", \"text\": \"T\"}], \"notes\": []"),
            std::string::npos)
      << json;
}

} // namespace
} // namespace scrivlet
