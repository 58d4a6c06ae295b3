// FictionBook text that the XML engine once cut short: "/>" in a
// paragraph, single-quoted links, comments inside paragraphs.
#include "core/CodePage.h"
#include "core/Stream.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "support/ReaderHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace scrivlet {
namespace {

std::vector<std::u16string> BodyLines(const std::string& body) {
  test::ReaderHarness<FictionBookReader> reader;
  MemoryStream stream("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><body>" +
                      body + "</body></FictionBook>");
  reader.LoadFromStream(stream);
  std::vector<std::u16string> lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

// Plain text: an empty prologue and epilogue line, and an empty line after
// each section.
using Lines = std::vector<std::u16string>;

TEST(FictionBookWholeText, SlashGreaterInsideAParagraph) {
  EXPECT_EQ(BodyLines("<section><p>the tags <emphasis>&lt;image/></emphasis> and more</p>"
                      "</section><section><p>second</p></section>"),
            (Lines{u"", u"the tags <image/> and more", u"", u"second", u"", u""}));
}

TEST(FictionBookWholeText, SingleQuotedLinks) {
  EXPECT_EQ(
      BodyLines(
          "<section><p>see <a l:href='http://x.org/a' type='note'>[1]</a> here</p></section>"),
      (Lines{u"", u"see [1] here", u"", u""}));
}

TEST(FictionBookWholeText, CommentsInsideParagraphs) {
  EXPECT_EQ(BodyLines("<section><p>one <!-- remark --> two</p><p>three</p></section>"),
            (Lines{u"", u"one two", u"three", u"", u""}));
}

// The test book of a FictionBook converter: its nine top-level sections
// all reach the text.
TEST(FictionBookWholeText, TestBookKeepsAllNineSections) {
  std::filesystem::path file =
      std::filesystem::path(SCRIVLET_CORPUS_DIR) / "fb2" / "fb2cng__Test.fb2";
  if (!std::filesystem::exists(file))
    GTEST_SKIP() << "corpus book not found: " << file;
  test::ReaderHarness<FictionBookReader> reader;
  FileStream stream(file.string());
  reader.LoadFromStream(stream);
  std::string text;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    text += WideToUtf8(reader.Lines().Get(i)) + "\n";
  // The last paragraph of each top-level section of the main body.
  const char* lastParagraphs[] = {
      "обратная перекрёстная ссылка на пара",
      "И жить торопится, и чувствовать спешит.",
      "Переднее резиновое колесо врезалось в дв",
      "H2SO4 + 2SO3 -> H2S3O10",
      "иии и и ммм м м ннн н н ппп п п шшш ш ш",
      "Ниже приведено изображение в формате JPE",
      "Тестовая таблица",
      "Тестовый текст 7.",
      "30 декабря 2011",
  };
  for (const char* paragraph : lastParagraphs)
    EXPECT_NE(text.find(paragraph), std::string::npos) << paragraph;
  EXPECT_NE(text.find("тэги <cite>, <subtitle>, <image/> и <text-author>."), std::string::npos);
}

} // namespace
} // namespace scrivlet
