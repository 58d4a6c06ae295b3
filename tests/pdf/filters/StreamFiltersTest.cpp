#include "pdf/filters/StreamFilters.h"
#include "pdf/filters/Ascii85Decode.h"
#include "pdf/filters/AsciiHexDecode.h"
#include "pdf/filters/FlateDecode.h"
#include "pdf/filters/LzwDecode.h"
#include "pdf/filters/Predictor.h"

#include "core/Exception.h"
#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::PdfBuilder;

std::string Sample(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i)
    text += "BT /F1 12 Tf (line " + std::to_string(i % 37) + ") Tj ET\n";
  text.resize(size);
  return text;
}

// ASCIIHex.

TEST(PdfFiltersTest, AsciiHexSkipsWhiteSpaceAndEndsAtMark) {
  EXPECT_EQ(AsciiHexDecode("48 65\n6c6C\t6F>4142"), "Hello");
  EXPECT_EQ(AsciiHexDecode("414"), "A@");
  EXPECT_EQ(AsciiHexDecode(""), "");
  EXPECT_EQ(AsciiHexDecode(PdfBuilder::AsciiHex(Sample(999))), Sample(999));
}

// ASCII85.

TEST(PdfFiltersTest, Ascii85RoundTripsEveryFinalGroupLength) {
  for (size_t size = 0; size < 12; ++size) {
    std::string data = Sample(size);
    EXPECT_EQ(Ascii85Decode(PdfBuilder::Ascii85(data)), data) << size;
  }
}

TEST(PdfFiltersTest, Ascii85ZeroGroupAndWhiteSpace) {
  std::string data("ab\0\0\0\0cd", 8);
  data = std::string("abcd") + std::string(4, '\0') + "efgh";
  std::string encoded = PdfBuilder::Ascii85(data);
  ASSERT_NE(encoded.find('z'), std::string::npos);
  std::string spaced;
  for (char c : encoded)
    spaced += std::string(1, c) + " \r\n";
  EXPECT_EQ(Ascii85Decode(spaced), data);
}

TEST(PdfFiltersTest, Ascii85NeverReadsPastTheData) {
  EXPECT_EQ(Ascii85Decode("9jqo^B"), "Man ");
  EXPECT_EQ(Ascii85Decode("9jqo^BlbD-BleB1DJ+*+F(f,q"), "Man is distinguished");
  EXPECT_EQ(Ascii85Decode("9"), "");
  EXPECT_EQ(Ascii85Decode("s8W-!"), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Ascii85Decode("uuuuu").size(), 4u); // past 32 bits: damage, still four bytes
}

// LZW.

TEST(PdfFiltersTest, LzwRoundTripsAcrossWidthChangesAndClears) {
  std::string data;
  for (int i = 0; i < 40000; ++i)
    data += static_cast<char>((i * 7919) % 251 ^ (i / 13));
  for (bool early : {true, false}) {
    LzwResult result = LzwDecode(PdfBuilder::Lzw(data, early), early, DefaultStreamCap);
    EXPECT_FALSE(result.CapExceeded);
    EXPECT_EQ(result.Data, data) << early;
  }
}

TEST(PdfFiltersTest, LzwIsNotCutAtTheEncodedLength) {
  std::string data(5000, 'a');
  std::string encoded = PdfBuilder::Lzw(data);
  ASSERT_LT(encoded.size(), data.size());
  EXPECT_EQ(LzwDecode(encoded, true, DefaultStreamCap).Data, data);
}

TEST(PdfFiltersTest, LzwStopsAtTheCap) {
  std::string encoded = PdfBuilder::Lzw(std::string(5000, 'a'));
  LzwResult result = LzwDecode(encoded, true, 100);
  EXPECT_TRUE(result.CapExceeded);
  EXPECT_EQ(result.Data, std::string(100, 'a'));
}

TEST(PdfFiltersTest, LzwDamageIsSkipped) {
  EXPECT_EQ(LzwDecode("\xFF\xFF\xFF\xFF\xFF", true, 1000).Data.size() <= 1000, true);
  EXPECT_EQ(LzwDecode("", true, 1000).Data, "");
}

// Flate.

TEST(PdfFiltersTest, FlateKeepsWhatComesBeforeDamage) {
  std::string data = Sample(200000);
  std::string compressed = PdfBuilder::Zlib(data);
  FlateResult truncated =
      FlateDecode(compressed.substr(0, compressed.size() / 2), DefaultStreamCap);
  EXPECT_FALSE(truncated.CapExceeded);
  ASSERT_GT(truncated.Data.size(), 1000u);
  EXPECT_EQ(truncated.Data, data.substr(0, truncated.Data.size()));
  EXPECT_EQ(FlateDecode("garbage!", DefaultStreamCap).Data, "");
}

TEST(PdfFiltersTest, StreamPastTheCapFailsWithAMessage) {
  std::string compressed = PdfBuilder::Zlib(std::string(1 << 20, 'x'));
  try {
    DecodeStream(compressed, " /Filter /FlateDecode ", 4096);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "PDF stream exceeds the decoding limit of 4096 bytes");
  }
}

std::string CapMessage(const std::string& data, const std::string& dictionary, size_t cap,
                       uint64_t* produced = nullptr) {
  try {
    DecodeStream(data, dictionary, cap, produced);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "no error";
}

// The cap holds inside each filter's loop and across the chain: a chain of
// filters that each write just under the cap decodes no more than the cap
// in all, and "z" (four bytes of one character) stops at it.
TEST(PdfFiltersTest, TheCapIsSharedByTheChainAndHoldsInEveryLoop) {
  const std::string a85 = std::string(100000, 'z') + "~>";
  bool exceeded = false;
  EXPECT_EQ(Ascii85Decode(a85, 1000, &exceeded).size(), 1000u);
  EXPECT_TRUE(exceeded);
  EXPECT_EQ(Ascii85Decode(a85).size(), 400000u);
  EXPECT_EQ(CapMessage(a85, " /Filter /A85 ", 4096),
            "PDF stream exceeds the decoding limit of 4096 bytes");

  // Three ASCIIHex layers: 3000 bytes written in all for 400 bytes of data.
  const std::string data(400, 'd');
  std::string hex = data;
  for (int layer = 0; layer < 3; ++layer)
    hex = PdfBuilder::AsciiHex(hex);
  const std::string chain = " /Filter [/AHx /AHx /AHx] ";
  uint64_t produced = 0;
  EXPECT_EQ(CapMessage(hex, chain, 8000, &produced), "no error");
  EXPECT_GE(produced, 1600u + 800u + 400u); // and the end marks
  EXPECT_LT(produced, 2810u);
  EXPECT_EQ(CapMessage(hex, chain, 2000), "PDF stream exceeds the decoding limit of 2000 bytes");
}

// Predictors.

TEST(PdfFiltersTest, PngPredictorsUndoEveryTag) {
  std::string data = Sample(600);
  for (int tag = 0; tag <= 4; ++tag) {
    PredictorParams params;
    params.Predictor = 12;
    params.Columns = 5;
    EXPECT_EQ(ApplyPredictor(PdfBuilder::PngEncode(data, 5, tag), params), data) << tag;
  }
}

TEST(PdfFiltersTest, PngPredictorLosesOneByteInSix) {
  std::string data = Sample(60);
  std::string dictionary = " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 5 >> ";
  std::string decoded =
      DecodeStream(PdfBuilder::Zlib(PdfBuilder::PngEncode(data, 5, 2)), dictionary);
  EXPECT_EQ(decoded, data);
}

TEST(PdfFiltersTest, PredictorWithHugeColumnsStaysWithinTheData) {
  PredictorParams params;
  params.Predictor = 12;
  params.Columns = int64_t{1} << 40;
  params.Colors = 1000;
  EXPECT_EQ(ApplyPredictor(std::string("\x02"
                                       "abc",
                                       4),
                           params),
            "abc");
}

TEST(PdfFiltersTest, TiffPredictorAddsTheLeftPixel) {
  PredictorParams params;
  params.Predictor = 2;
  params.Columns = 3;
  EXPECT_EQ(ApplyPredictor(std::string("\x01\x01\x01\x05\x01\x01", 6), params),
            std::string("\x01\x02\x03\x05\x06\x07", 6));
}

// Chains.

TEST(PdfFiltersTest, FilterNamesOfArraysAndSingleNames) {
  EXPECT_EQ(FilterNames(" /Filter [/ASCIIHexDecode /FlateDecode] /Length 3"),
            (std::vector<std::string>{"/asciihexdecode", "/flatedecode"}));
  EXPECT_EQ(FilterNames(" /Filter/FlateDecode/Length 3"),
            (std::vector<std::string>{"/flatedecode"}));
  EXPECT_TRUE(FilterNames(" /Length 3").empty());
  EXPECT_TRUE(HasCryptFilter(" /Filter [/Crypt /FlateDecode]"));
  EXPECT_FALSE(HasCryptFilter(" /Filter /FlateDecode"));
}

TEST(PdfFiltersTest, ChainsApplyInOrder) {
  std::string data = Sample(3000);
  EXPECT_EQ(DecodeStream(PdfBuilder::AsciiHex(PdfBuilder::Zlib(data)),
                         " /Filter [/ASCIIHexDecode /FlateDecode] "),
            data);
  EXPECT_EQ(DecodeStream(PdfBuilder::Ascii85(PdfBuilder::Lzw(data)),
                         " /Filter [/ASCII85Decode /LZWDecode] "),
            data);
  // Names end at the next "/": two names written without a space are two.
  EXPECT_EQ(DecodeStream(PdfBuilder::Ascii85(PdfBuilder::Zlib(data)),
                         " /Filter [/ASCII85Decode/FlateDecode] "),
            data);
  EXPECT_EQ(DecodeStream("jpeg", " /Filter /DCTDecode "), "jpeg");
}

TEST(PdfFiltersTest, DecodeParmsArrayPairsWithFilters) {
  std::string data = Sample(100);
  std::string encoded = PdfBuilder::AsciiHex(PdfBuilder::Zlib(PdfBuilder::PngEncode(data, 4, 4)));
  EXPECT_EQ(DecodeStream(encoded, " /Filter [/AHx /Fl] /DecodeParms [null << /Predictor 15 "
                                  "/Columns 4 >>] "),
            data);
}

} // namespace
} // namespace scrivlet::pdf
