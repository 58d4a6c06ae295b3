#include "pdf/ObjectText.h"

#include <gtest/gtest.h>

#include <map>

namespace scrivlet::pdf {
namespace {

// Keys and values.

TEST(PdfObjectTextTest, KeyValueOfAReferenceIsItsObjectNumber) {
  EXPECT_EQ(GetKeyValue("/root", "<< /Size 20 /Root 12 0 R /Info 3 0 R >>"), "12");
  EXPECT_EQ(GetKeyValue("/size", "<< /Size 20 /Root 12 0 R >>"), "20");
}

TEST(PdfObjectTextTest, KeysMatchWholeNamesOnly) {
  std::string_view text = "<< /FontFile 7 0 R /Names 4 0 R /Font 9 0 R /N 3 >>";
  EXPECT_EQ(GetKeyValue("/font", text), "9");
  EXPECT_EQ(GetKeyValue("/n", text), "3");
  EXPECT_EQ(GetKeyValue("/length", "<< /Length1 300 /Length 25 >>"), "25");
  EXPECT_EQ(GetKeyValue("/missing", text), "");
}

TEST(PdfObjectTextTest, KeysMatchWithoutRegardToCase) {
  EXPECT_EQ(GetKeyValue("/type", "<</TYPE/Page>>"), "/Page");
  EXPECT_TRUE(NameIs(GetKeyValue("/type", "<</TYPE/Page>>"), "/page"));
}

TEST(PdfObjectTextTest, OutermostKeyWinsOverNestedOnes) {
  // The group's and the inline font's /Type come first in the text.
  std::string_view page = "5 0 obj << /Group << /Type /Group /S /Transparency >> /Resources "
                          "<< /Font << /F1 << /Type /Font >> >> >> /Type /Page >>";
  EXPECT_EQ(GetKeyValue("/type", page), "/Page");
}

TEST(PdfObjectTextTest, KeySearchStopsAtStreamData) {
  std::string_view object = "4 0 obj << /Length 12 >>\nstream\n/Type /Page\nendstream";
  EXPECT_EQ(GetKeyValue("/type", object), "");
  EXPECT_EQ(GetKeyValue("/length", object), "12");
}

TEST(PdfObjectTextTest, CommentsAreNotSearched) {
  std::string_view page = "<< /Type /Page % a comment (with a parenthesis\n/Contents 5 0 R\n"
                          "% /Rotate 90\n>>";
  EXPECT_EQ(GetKeyValue("/contents", page), "5");
  EXPECT_EQ(GetKeyValue("/rotate", page), "");
  EXPECT_NE(DictionaryAt(page).value_or("").find("/Contents"), std::string_view::npos);
}

TEST(PdfObjectTextTest, CutValueShapes) {
  EXPECT_EQ(CutValue("/FlateDecode/Length 3"), "/FlateDecode");
  EXPECT_EQ(CutValue("(a b) /Next"), "(a b)");
  EXPECT_EQ(CutValue("(a (b) c) x"), "(a (b) c)");
  EXPECT_EQ(CutValue("123>>"), "123");
  EXPECT_EQ(CutValue("<41 42> /x"), "<41");
  EXPECT_EQ(CutValue("<4142>/x"), "<4142>");
}

TEST(PdfObjectTextTest, KeyValueOfAnArrayIsItsFirstElement) {
  EXPECT_EQ(GetKeyValue("/kids", "<< /Kids [ 3 0 R 4 0 R ] >>"), "3");
  EXPECT_EQ(GetKeyValue("/x", "<< /X\n  15 >>"), "15");
}

TEST(PdfObjectTextTest, KeyListGivesArrayInsideOrValueUpToNextName) {
  EXPECT_EQ(GetKeyList("/kids", "<< /Kids [3 0 R 4 0 R] /Count 2 >>"), "3 0 R 4 0 R");
  EXPECT_EQ(GetKeyList("/contents", "<< /Contents 5 0 R /Foo 1 >>"), " 5 0 R ");
  EXPECT_EQ(GetKeyList("/w", "<< /W [1 [2] 1] >>"), "1 [2] 1");
  EXPECT_EQ(GetKeyList("/none", "<< /W [1 2 1] >>"), "");
}

// Dictionaries.

class MapResolver : public ObjectResolver {
public:
  std::map<uint32_t, std::string> Objects;
  std::string_view ObjectText(uint32_t number) const override {
    auto it = Objects.find(number);
    return it == Objects.end() ? std::string_view() : std::string_view(it->second);
  }
};

TEST(PdfObjectTextTest, InlineDictionaryKeepsItsNestedDictionaries) {
  std::string_view text = "<< /Resources << /Font << /F1 5 0 R >> /XObject << /Im1 6 0 R >> >> >>";
  EXPECT_EQ(GetDictValue("/resources", text), " /Font << /F1 5 0 R >> /XObject << /Im1 6 0 R >> ");
  EXPECT_EQ(GetDictValue("/font", GetDictValue("/resources", text)), " /F1 5 0 R ");
}

TEST(PdfObjectTextTest, IndirectDictionaryIsFollowed) {
  MapResolver objects;
  objects.Objects[8] = "8 0 obj\n<< /F1 9 0 R >>\n";
  objects.Objects[9] = "9 0 obj 8 0 R";
  EXPECT_EQ(GetDictValue("/font", "<< /Font 8 0 R >>", &objects), " /F1 9 0 R ");
  // An object that only names another object is followed too.
  EXPECT_EQ(GetDictValue("/font", "<< /Font 9 0 R >>", &objects), " /F1 9 0 R ");
  EXPECT_EQ(GetDictValue("/font", "<< /Font 10 0 R >>", &objects), "");
  EXPECT_EQ(GetDictValue("/font", "<< /Font 8 0 R >>"), "");
}

TEST(PdfObjectTextTest, FirstDictionaryIsTheObjectItself) {
  EXPECT_EQ(FirstDictionary("12 0 obj\n<< /A 1 >>\nstream"), " /A 1 ");
  EXPECT_EQ(FirstDictionary("<</B 2>>"), "/B 2");
  EXPECT_EQ(FirstDictionary("12 0 obj [<< /A 1 >>]"), "");
  EXPECT_EQ(FirstDictionary("(text)"), "");
}

TEST(PdfObjectTextTest, DictionaryReferenceLoopEnds) {
  MapResolver objects;
  objects.Objects[1] = "1 0 obj 2 0 R";
  objects.Objects[2] = "2 0 obj 1 0 R";
  EXPECT_EQ(GetDictValue("/a", "<< /A 1 0 R >>", &objects), "");
}

// References and names.

TEST(PdfObjectTextTest, TakeReferenceWalksAnArray) {
  std::string_view kids = "3 0 R 4 0 R";
  EXPECT_EQ(TakeReference(kids), (ObjectRef{3, 0}));
  EXPECT_EQ(TakeReference(kids), (ObjectRef{4, 0}));
  EXPECT_EQ(TakeReference(kids), std::nullopt);
}

TEST(PdfObjectTextTest, TakeReferenceTakesTheEarliestOfAnyGeneration) {
  std::string_view text = "5 1 R 6 0 R 7 12 R";
  EXPECT_EQ(TakeReference(text), (ObjectRef{5, 1}));
  EXPECT_EQ(TakeReference(text), (ObjectRef{6, 0}));
  EXPECT_EQ(TakeReference(text), (ObjectRef{7, 12}));
}

TEST(PdfObjectTextTest, TakeReferenceStopsAtAName) {
  std::string_view text = " /F1 5 0 R";
  EXPECT_EQ(TakeReference(text), std::nullopt);
  EXPECT_EQ(text, " /F1 5 0 R");
  EXPECT_EQ(TakeName(text), "/F1");
  EXPECT_EQ(TakeReference(text), (ObjectRef{5, 0}));
}

TEST(PdfObjectTextTest, NumbersThatAreNotReferences) {
  std::string_view text = "1.5 0 R";
  EXPECT_EQ(ReferenceAt("12 0 Rx"), std::nullopt);
  EXPECT_EQ(ReferenceAt("12 0 obj"), std::nullopt);
  EXPECT_EQ(ReferenceAt("99999999999 0 R"), std::nullopt);
  EXPECT_EQ(TakeReference(text), std::nullopt);
}

// Strings.

TEST(PdfObjectTextTest, EscapesResolve) {
  EXPECT_EQ(ResolveEscapes("a\\\\n"), "a\\n");
  EXPECT_EQ(ResolveEscapes("\\053"), "+");
  EXPECT_EQ(ResolveEscapes("\\101\\102C"), "ABC");
  EXPECT_EQ(ResolveEscapes("x\\n\\r\\t\\b\\f\\(\\)"), "x\n\r\t\b\f()");
  EXPECT_EQ(ResolveEscapes("a\\\r\nb\\\nc"), "abc");
  EXPECT_EQ(ResolveEscapes("\\q"), "\\q");
  EXPECT_EQ(ResolveEscapes("\\0053"), std::string("\005") + "3");
}

TEST(PdfObjectTextTest, OctalCodesGoThroughTheMapper) {
  auto mapper = [](uint8_t code) { return "<" + std::to_string(code) + ">"; };
  EXPECT_EQ(ResolveEscapes("a\\101", mapper), "a<65>");
}

TEST(PdfObjectTextTest, HexStringsBecomeLiterals) {
  EXPECT_EQ(HexStringsToLiteral("<48656C6C6F>", true), "(Hello)");
  EXPECT_EQ(HexStringsToLiteral("<48 65\n6C6C 6F>", true), "(Hello)");
  EXPECT_EQ(HexStringsToLiteral("<414>", false), "(A@)");
  EXPECT_EQ(HexStringsToLiteral("<28295C>", true), "(\\(\\)\\\\)");
  EXPECT_EQ(HexStringsToLiteral("<< /A <41> >>", true), "<< /A (A) >>");
}

TEST(PdfObjectTextTest, StringTokensDecode) {
  EXPECT_EQ(DecodeStringToken(" (a (b) \\) c)"), "a (b) ) c");
  EXPECT_EQ(DecodeStringToken("<FEFF 0041>"), std::string("\xFE\xFF\0A", 4));
  EXPECT_EQ(DecodeStringToken("/Name"), std::nullopt);
  EXPECT_EQ(DecodeStringToken("<< /A 1 >>"), std::nullopt);
  size_t length = 0;
  EXPECT_EQ(DecodeStringToken("  (ab) rest", &length), "ab");
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(DecodeStringToken("(unterminated"), "unterminated");
}

TEST(PdfObjectTextTest, StringValueExtractsAndJoinsStrings) {
  std::string_view info = "<< /Title (Annual \\(draft\\) report) /ID [<0102><0304>] /X 5 >>";
  EXPECT_EQ(GetStringValue("/title", info, true, false), "Annual (draft) report");
  EXPECT_EQ(GetStringValue("/id", info, true, true), std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(GetStringValue("/x", info, false, false), "5");
  EXPECT_EQ(GetStringValue("/missing", info, true, false), "");
  // A hexadecimal byte that is a backslash stays a backslash.
  EXPECT_EQ(GetStringValue("/t", "<< /T <5C6E> >>", true, true), "\\n");
}

TEST(PdfObjectTextTest, NumbersConvertLeniently) {
  EXPECT_EQ(ToInteger("12"), 12);
  EXPECT_EQ(ToInteger(" -3 "), -3);
  EXPECT_EQ(ToInteger("+7"), 7);
  EXPECT_EQ(ToInteger("4.9"), 4);
  EXPECT_EQ(ToInteger("/x", 9), 9);
  EXPECT_EQ(ToInteger("", 1), 1);
  EXPECT_EQ(ToInteger("99999999999999999999999", -1), -1);
}

TEST(PdfObjectTextTest, TrimSideKeepsTheLastCharacter) {
  std::string text = "   ";
  TrimSide(text, true);
  EXPECT_EQ(text, " ");
  text = "ab \r\n";
  TrimSide(text, false);
  EXPECT_EQ(text, "ab");
}

TEST(PdfObjectTextTest, ExtractSectionsNormalisesCharacterMaps) {
  std::string_view cmap = "2 beginbfchar\r\n<01> <0041>\r\n<02> <0042>\r\nendbfchar\n"
                          "1 beginbfchar\n<03> <0043>\nendbfchar";
  EXPECT_EQ(ExtractSections(cmap, "beginbfchar", "endbfchar", true),
            "<01> <0041>\r\n<02> <0042>\r\n<03> <0043>");
  EXPECT_EQ(ExtractSections(cmap, "beginbfchar", "endbfchar", false), "<01> <0041>\r\n<02> <0042>");
}

} // namespace
} // namespace scrivlet::pdf
