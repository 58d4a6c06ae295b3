#include "vba/VbaCompression.h"
#include "support/Bytes.h"
#include "support/VbaBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

namespace scrivlet {
namespace {

using test::CompressVba;
using test::U16;
using test::VbaChunkHeader;
using test::VbaCompressionStats;
using test::VbaCopyToken;

// VBA-like text: lines that repeat with small changes, so that matches
// occur at every distance inside a chunk.
std::string ModuleText(size_t size) {
  std::string text;
  for (int line = 0; text.size() < size; ++line)
    text += "    Cells(" + std::to_string(line) + ", 2).Value = Total" + std::to_string(line % 7) +
            " * " + std::to_string(line * 37 % 101) + "\r\n";
  text.resize(size);
  return text;
}

// Bytes without any repeat of 3, so that nothing compresses.
std::string Incompressible(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (auto& b : bytes) {
    state = state * 1103515245 + 12345;
    b = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string Container(std::string_view body) {
  std::string container(1, '\x01');
  container += VbaChunkHeader(body.size() + 2, true);
  container.append(body);
  return container;
}

// ----------------------------------------------------------- the format

TEST(VbaCompression, LiteralsOnly) {
  // Flag byte 0: eight literals; then a flag byte for the last two.
  std::string body = std::string(1, '\0') + "Attribut" + std::string(1, '\0') + "e ";
  EXPECT_EQ(DecompressVba(Container(body)), "Attribute ");
}

TEST(VbaCompression, EmptyContainerIsEmptySource) {
  EXPECT_EQ(DecompressVba("\x01"), "");
}

TEST(VbaCompression, OverlappingCopyRepeatsARun) {
  // "ab" then a copy of 7 bytes from 2 back: the copy reads its own output.
  std::string body = std::string(1, '\x04') + "ab" + U16(VbaCopyToken(2, 2, 7));
  EXPECT_EQ(DecompressVba(Container(body)), "ababababa");
}

TEST(VbaCompression, TokenSplitDependsOnThePositionInTheChunk) {
  // The same 16-bit token 0x1005 means offset 2, length 8 with 12 length
  // bits (up to 16 bytes in) but offset 3, length 8 with 11 length bits
  // (17 to 32 bytes in).
  const uint16_t token = 0x1005;
  std::string alphabet16 = "ABCDEFGHIJKLMNOP";
  std::string early = std::string(1, '\0') + "ABCDEFGH" + std::string(1, '\x01') + U16(token);
  EXPECT_EQ(DecompressVba(Container(early)), "ABCDEFGHGHGHGHGH");
  // 17 literals, then the token.
  std::string late = std::string(1, '\0') + alphabet16.substr(0, 8) + std::string(1, '\0') +
                     alphabet16.substr(8, 8) + std::string(1, '\x02') + "Q" + U16(token);
  std::string expected = alphabet16 + "Q" + "OPQOPQOP";
  EXPECT_EQ(VbaCopyToken(17, 3, 8), token);
  EXPECT_EQ(VbaCopyToken(16, 2, 8), token);
  EXPECT_EQ(DecompressVba(Container(late)), expected);
}

TEST(VbaCompression, CopyTokensOfEveryLengthFieldWidth) {
  VbaCompressionStats stats;
  std::string source = ModuleText(3 * 4096 + 1234);
  std::string container = CompressVba(source, &stats);
  for (unsigned bits = 4; bits <= 12; ++bits)
    EXPECT_GT(stats.copyTokensByLengthBits[bits], 0u) << bits << " length bits";
  EXPECT_LT(container.size(), source.size() / 2);
  EXPECT_EQ(DecompressVba(container), source);
}

TEST(VbaCompression, RoundTripsAtChunkBoundaries) {
  for (size_t size : {1u, 2u, 3u, 17u, 4095u, 4096u, 4097u, 8191u, 8192u, 12288u, 20000u}) {
    std::string source = ModuleText(size);
    EXPECT_EQ(DecompressVba(CompressVba(source)), source) << size;
  }
}

TEST(VbaCompression, SourceOfWholeChunksKeepsItsLastWindow) {
  std::string source = ModuleText(2 * 4096);
  VbaCompressionStats stats;
  std::string decoded = DecompressVba(CompressVba(source, &stats));
  EXPECT_EQ(stats.compressedChunks, 2u);
  ASSERT_EQ(decoded.size(), 2 * 4096u);
  EXPECT_EQ(decoded.substr(4096), source.substr(4096));
}

TEST(VbaCompression, UncompressedChunksAreTakenRaw) {
  std::string source = Incompressible(4096) + ModuleText(5000);
  VbaCompressionStats stats;
  std::string container = CompressVba(source, &stats);
  EXPECT_EQ(stats.rawChunks, 1u);
  EXPECT_EQ(DecompressVba(container), source);

  // Raw chunks between compressed ones, even for compressible text.
  VbaCompressionStats forced;
  std::string text = ModuleText(3 * 4096 + 10);
  std::string rawContainer = CompressVba(text, &forced, {.rawChunks = true});
  EXPECT_EQ(forced.rawChunks, 3u);
  EXPECT_EQ(forced.compressedChunks, 1u);
  EXPECT_EQ(DecompressVba(rawContainer), text);
}

TEST(VbaCompression, CopyMayReachIntoTheChunkBefore) {
  // A second chunk's first copy token may point before its own start.
  std::string first = std::string(1, '\0') + "XYZ";
  std::string second = std::string(1, '\x02') + "Q" + U16(VbaCopyToken(1, 4, 3));
  std::string container = "\x01" + VbaChunkHeader(first.size() + 2, true) + first;
  container += VbaChunkHeader(second.size() + 2, true) + second;
  // Not a full first chunk, so the second starts at 3 bytes of output.
  EXPECT_EQ(DecompressVba(container), "XYZQXYZ");
}

TEST(VbaCompression, ZeroPaddingAfterTheLastChunkEndsTheContainer) {
  std::string container = CompressVba("Attribute VB_Name = \"Module1\"\r\n");
  EXPECT_EQ(DecompressVba(container + std::string(700, '\0')),
            "Attribute VB_Name = \"Module1\"\r\n");
  // A zero header followed by anything else is damage.
  EXPECT_THROW(DecompressVba(container + std::string(5, '\0') + "x"), VbaError);
}

// ---------------------------------------------------------------- damage

TEST(VbaCompressionDamage, SignatureByteIsRequired) {
  EXPECT_THROW(DecompressVba(""), VbaError);
  std::string container = CompressVba("Sub A()\r\nEnd Sub\r\n");
  container[0] = '\x02';
  EXPECT_THROW(DecompressVba(container), VbaError);
}

TEST(VbaCompressionDamage, ChunkSignatureBitsAreChecked) {
  std::string container = CompressVba("Sub A()\r\nEnd Sub\r\n");
  container[2] = static_cast<char>(container[2] & 0x8F); // signature bits 0
  EXPECT_THROW(DecompressVba(container), VbaError);
}

TEST(VbaCompressionDamage, ChunkLongerThanItsData) {
  std::string container = CompressVba(ModuleText(300));
  EXPECT_THROW(DecompressVba(container.substr(0, container.size() - 1)), VbaError);
  EXPECT_THROW(DecompressVba(container.substr(0, 2)), VbaError); // header cut
}

TEST(VbaCompressionDamage, UncompressedChunkCutShort) {
  std::string container = "\x01" + VbaChunkHeader(4098, false) + std::string(4000, 'a');
  EXPECT_THROW(DecompressVba(container), VbaError);
}

TEST(VbaCompressionDamage, CopyTokenNeverReadsBeforeTheOutput) {
  // A token as the very first item of the container.
  EXPECT_THROW(DecompressVba(Container(std::string(1, '\x01') + U16(0x0000))), VbaError);
  // "ab" and a token reaching 5 bytes back.
  EXPECT_THROW(DecompressVba(Container(std::string(1, '\x04') + "ab" + U16(VbaCopyToken(2, 5, 3)))),
               VbaError);
}

TEST(VbaCompressionDamage, CopyTokenCutOff) {
  EXPECT_THROW(DecompressVba(Container(std::string(1, '\x02') + "a" + "\x01")), VbaError);
}

TEST(VbaCompressionDamage, ChunkDecodingPastItsWindow) {
  // 4 literals then copies of 18 bytes each (4 length bits at the end of a
  // chunk) until past 4096 bytes of output.
  std::string body = std::string(1, '\0') + "abcd";
  size_t decoded = 4;
  std::string tokens;
  while (decoded <= 4096) {
    size_t length = decoded < 16 ? 3 : 18;
    size_t bits = 16 - std::max<size_t>(4, std::bit_width(decoded - 1));
    length = std::min(length, (size_t{1} << bits) + 2);
    tokens += U16(VbaCopyToken(decoded, 1, length));
    decoded += length;
  }
  for (size_t i = 0; i < tokens.size(); i += 16)
    body += std::string(1, '\xFF') + tokens.substr(i, 16);
  ASSERT_LT(body.size(), 4096u);
  EXPECT_THROW(DecompressVba(Container(body)), VbaError);
}

TEST(VbaCompressionDamage, OutputLimitIsEnforced) {
  std::string source(20000, 'x');
  std::string container = CompressVba(source);
  EXPECT_EQ(DecompressVba(container, 20000).size(), 20000u);
  EXPECT_THROW(DecompressVba(container, 19999), VbaError);
}

TEST(VbaCompressionDamage, RandomDamageOnlyEverRaisesVbaError) {
  std::string good = test::CompressVba(ModuleText(9000));
  uint32_t state = 7;
  auto next = [&state] {
    state = state * 1664525 + 1013904223;
    return state >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = good;
    for (int flips = 1 + next() % 4; flips > 0; --flips)
      damaged[1 + next() % (damaged.size() - 1)] = static_cast<char>(next());
    if (round % 3 == 0)
      damaged.resize(1 + next() % damaged.size());
    try {
      std::string out = DecompressVba(damaged);
      EXPECT_LE(out.size(), 3 * 4096u);
    } catch (const VbaError&) {
    }
  }
}

} // namespace
} // namespace scrivlet
