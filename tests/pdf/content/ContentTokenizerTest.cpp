#include "pdf/content/ContentTokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace scrivlet::pdf {
namespace {

using Kind = ContentToken::Kind;

std::vector<ContentToken> Tokens(std::string_view content) {
  ContentTokenizer tokenizer(content);
  std::vector<ContentToken> tokens;
  ContentToken token;
  while (tokenizer.Next(token))
    tokens.push_back(token);
  return tokens;
}

TEST(ContentTokenizerTest, OperandsAndOperators) {
  auto tokens = Tokens("BT /F1 12 Tf -3.5 .5 Td [(a) -120 <62>] TJ ET");
  ASSERT_EQ(tokens.size(), 14u);
  EXPECT_EQ(tokens[0].kind, Kind::Operator);
  EXPECT_EQ(tokens[0].text, "BT");
  EXPECT_EQ(tokens[1].kind, Kind::Name);
  EXPECT_EQ(tokens[1].text, "F1");
  EXPECT_EQ(tokens[2].number, 12);
  EXPECT_EQ(tokens[4].number, -3.5);
  EXPECT_EQ(tokens[5].number, 0.5);
  EXPECT_EQ(tokens[7].kind, Kind::ArrayOpen);
  EXPECT_EQ(tokens[8].bytes, "a");
  EXPECT_EQ(tokens[9].number, -120);
  EXPECT_EQ(tokens[10].bytes, "b");
  EXPECT_EQ(tokens[11].kind, Kind::ArrayClose);
  EXPECT_EQ(tokens[12].text, "TJ");
}

TEST(ContentTokenizerTest, LiteralStringsBalanceParenthesesAndResolveEscapes) {
  auto tokens = Tokens(R"((a(b)c) (\(x\)\\\101\0533\n) (line\
joined) (\q))");
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0].bytes, "a(b)c");
  EXPECT_EQ(tokens[1].bytes, "(x)\\A+3\n");
  EXPECT_EQ(tokens[2].bytes, "linejoined");
  EXPECT_EQ(tokens[3].bytes, "q");
}

TEST(ContentTokenizerTest, HexStringsSkipWhiteSpaceAndPadAnOddDigit) {
  auto tokens = Tokens("<48 65 6C\n6C 6F> <414>");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].bytes, "Hello");
  EXPECT_EQ(tokens[1].bytes, std::string("A@"));
}

TEST(ContentTokenizerTest, DictionariesCommentsAndKeywords) {
  auto tokens = Tokens("/Span <</ActualText (x)>> BDC % comment (not a string)\ntrue EMC");
  ASSERT_EQ(tokens.size(), 8u);
  EXPECT_EQ(tokens[1].kind, Kind::DictOpen);
  EXPECT_EQ(tokens[4].kind, Kind::DictClose);
  EXPECT_EQ(tokens[5].text, "BDC");
  EXPECT_EQ(tokens[6].kind, Kind::Operand);
  EXPECT_EQ(tokens[7].text, "EMC");
}

TEST(ContentTokenizerTest, InlineImageDataIsSkipped) {
  std::string content = "BI /W 2 /H 1 ID \x01\x02"
                        "EIx(EI)\x45\x49 EI Q";
  ContentTokenizer tokenizer(content);
  ContentToken token;
  while (tokenizer.Next(token) && token.text != "ID") {
  }
  tokenizer.SkipInlineImageData();
  ASSERT_TRUE(tokenizer.Next(token));
  EXPECT_EQ(token.text, "Q");
}

TEST(ContentTokenizerTest, UnterminatedTokensEndAtTheEnd) {
  EXPECT_EQ(Tokens("(abc").at(0).bytes, "abc");
  EXPECT_EQ(Tokens("<41").at(0).bytes, "A");
  EXPECT_EQ(Tokens("(a\\").at(0).bytes, "a");
  EXPECT_EQ(Tokens(") } {").size(), 3u);
  EXPECT_TRUE(Tokens("   % only a comment").empty());
}

} // namespace
} // namespace scrivlet::pdf
