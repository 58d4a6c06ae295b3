#include "pdf/fonts/DictionaryEntries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrivlet::pdf {
namespace {

TEST(DictionaryEntriesTest, KeysOnlyAtTheirOwnLevel) {
  std::string_view dict = " /Type /Font /Subtype /Type0 /Font 5 0 R /Inner << /F1 7 0 R >> "
                          "/List [/F1 (x) <41>] /F1 9 0 R ";
  EXPECT_EQ(EntryValue(dict, "Font"), "5 0 R"); // not the name value of /Type
  EXPECT_EQ(EntryValue(dict, "F1"), "9 0 R");   // not inside the nested dictionary or array
  EXPECT_EQ(EntryValue(dict, "Inner"), "<< /F1 7 0 R >>");
  EXPECT_EQ(EntryValue(dict, "List"), "[/F1 (x) <41>]");
  EXPECT_EQ(EntryValue(dict, "Type0"), std::nullopt);
  EXPECT_EQ(EntryValue(dict, "font"), std::nullopt); // keys are exact
}

TEST(DictionaryEntriesTest, StringsWithDelimitersAndNamesWithDots) {
  std::string_view dict = "/A (a \\) ] >> /B) /F14.0 3 0 R/C<</D[1 2]>>/E true";
  std::vector<std::string> keys;
  ForEachEntry(dict, [&](std::string_view key, std::string_view) {
    keys.emplace_back(key);
    return true;
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "F14.0", "C", "E"}));
  EXPECT_EQ(EntryValue(dict, "E"), "true");
}

TEST(DictionaryEntriesTest, DamagedDictionariesEndCleanly) {
  EXPECT_EQ(EntryValue("/A << /B [ (unterminated", "A"), "<< /B [ (unterminated");
  EXPECT_EQ(EntryValue("12 0 R ] >> /A 1", "A"), "1");
  EXPECT_EQ(EntryValue("", "A"), std::nullopt);
  EXPECT_EQ(EntryValue("/", ""), "");
}

} // namespace
} // namespace scrivlet::pdf
