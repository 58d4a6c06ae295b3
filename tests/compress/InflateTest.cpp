#include "compress/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace scrivlet {
namespace {

std::string Deflate(std::string_view text, DeflateWrapper wrapper) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, wrapper == DeflateWrapper::Raw ? -MAX_WBITS : MAX_WBITS, 8,
               Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(Inflate, RawAndZlibStreamsComeBackWhole) {
  std::string text(300000, 'a');
  for (size_t i = 0; i < text.size(); i += 7)
    text[i] = static_cast<char>('a' + i % 26);
  for (DeflateWrapper wrapper : {DeflateWrapper::Raw, DeflateWrapper::Zlib}) {
    InflateResult result = Inflate(Deflate(text, wrapper), wrapper, 1 << 20);
    EXPECT_EQ(result.Status, InflateStatus::Complete);
    EXPECT_EQ(result.Data, text);
  }
}

TEST(Inflate, CutOffInputKeepsWhatItProduced) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "line " + std::to_string(i) + "\n";
  std::string packed = Deflate(text, DeflateWrapper::Zlib);
  InflateResult result =
      Inflate(std::string_view(packed).substr(0, packed.size() / 2), DeflateWrapper::Zlib, 1 << 24);
  EXPECT_EQ(result.Status, InflateStatus::Truncated);
  ASSERT_GT(result.Data.size(), 1000u);
  EXPECT_EQ(text.compare(0, result.Data.size(), result.Data), 0);
}

TEST(Inflate, DamageKeepsTheOutputBeforeIt) {
  std::string text(100000, 'x');
  std::string packed = Deflate(text, DeflateWrapper::Raw);
  packed += std::string(16, '\xff');
  packed[0] = '\xff'; // block type 3 does not exist
  InflateResult result = Inflate(packed, DeflateWrapper::Raw, 1 << 20);
  EXPECT_EQ(result.Status, InflateStatus::Damaged);
  EXPECT_TRUE(result.Data.empty());
}

TEST(Inflate, OutputStopsAtTheCapWhateverTheDeclaredSize) {
  std::string text(10 << 20, '\0');
  std::string packed = Deflate(text, DeflateWrapper::Raw);
  InflateResult result = Inflate(packed, DeflateWrapper::Raw, 1 << 20, size_t{1} << 40);
  EXPECT_EQ(result.Status, InflateStatus::CapExceeded);
  EXPECT_EQ(result.Data.size(), size_t{1} << 20);
  EXPECT_LE(result.Data.capacity(), size_t{2} << 20);
}

TEST(Inflate, EmptyInputIsTruncated) {
  EXPECT_EQ(Inflate("", DeflateWrapper::Zlib, 100).Status, InflateStatus::Truncated);
}

} // namespace
} // namespace scrivlet
