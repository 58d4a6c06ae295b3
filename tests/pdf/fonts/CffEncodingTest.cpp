#include "pdf/fonts/CffEncoding.h"

#include "pdf/fonts/Font.h"
#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::BuildCffFont;

TEST(CffEncodingTest, CodesNameTheirGlyphsThroughTheCharset) {
  std::string cff = BuildCffFont({"A", "element", "b"}, {0x41, 0x32, 0x62});
  std::optional<Type1Encoding> encoding = ReadCffEncoding(cff);
  ASSERT_TRUE(encoding);
  EXPECT_FALSE(encoding->standard);
  EXPECT_EQ(encoding->names[0x41], "A");
  EXPECT_EQ(encoding->names[0x32], "element"); // a custom string
  EXPECT_EQ(encoding->names[0x62], "b");
  EXPECT_EQ(encoding->names[0x43], "");
}

TEST(CffEncodingTest, SupplementsGiveMoreCodes) {
  std::string cff = BuildCffFont({"A"}, {0x41}, {{0x27, "quoteright"}, {0x80, "arrowright"}});
  std::optional<Type1Encoding> encoding = ReadCffEncoding(cff);
  ASSERT_TRUE(encoding);
  EXPECT_EQ(encoding->names[0x27], "quoteright");
  EXPECT_EQ(encoding->names[0x80], "arrowright");
}

TEST(CffEncodingTest, StandardEncodingAndDamage) {
  std::optional<Type1Encoding> standard = ReadCffEncoding(BuildCffFont({"A"}, {}, {}, true));
  ASSERT_TRUE(standard);
  EXPECT_TRUE(standard->standard);
  EXPECT_FALSE(ReadCffEncoding(""));
  EXPECT_FALSE(ReadCffEncoding("%!PS-AdobeFont"));
  std::string cff = BuildCffFont({"A", "B"}, {0x41, 0x42});
  for (size_t cut = 0; cut < cff.size(); ++cut)
    ReadCffEncoding(std::string_view(cff).substr(0, cut)); // never reads past the data
}

TEST(CffEncodingTest, FontWithoutEncodingUsesTheCffEncoding) {
  FontDescription d;
  d.subtype = "Type1";
  d.baseFont = "ABCDEF+CMSY10";
  d.flags = 4;
  d.cffProgram = BuildCffFont({"element", "arrowright", "A"}, {0x32, 0x21, 0x41});
  ShownText shown;
  Font::Create(d, {})->Decode("\x32\x21\x41", shown);
  EXPECT_EQ(shown.text, u"\u2208\u2192A");
}

} // namespace
} // namespace scrivlet::pdf
