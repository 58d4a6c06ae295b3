#include "pdf/security/EncryptionDictionaryReader.h"

#include "support/Hex.h"
#include "support/PdfEncryptionBuilder.h"

#include <gtest/gtest.h>

#include <map>

namespace scrivlet {
namespace {

using test::FromHex;

std::string_view Inside(std::string_view dictionary) {
  dictionary.remove_prefix(dictionary.find("<<") + 2);
  return dictionary.substr(0, dictionary.rfind(">>"));
}

class FixedObjects : public pdf::ObjectResolver {
public:
  std::map<uint32_t, std::string> Texts;
  std::string_view ObjectText(uint32_t number) const override {
    const auto found = Texts.find(number);
    return found == Texts.end() ? std::string_view() : std::string_view(found->second);
  }
};

TEST(EncryptionDictionaryReader, ReadsWhatTheBuilderWrote) {
  for (int revision : {2, 4, 6}) {
    test::EncryptionSettings s;
    s.Revision = revision;
    s.Version = revision == 2 ? 1 : revision == 4 ? 4 : 5;
    s.KeyBits = revision == 2 ? 40 : revision == 4 ? 128 : 256;
    s.Method = revision == 4 ? "/aesv2" : "/aesv3";
    s.EncryptMetadata = revision != 4;
    s.UserPassword = "u";
    const test::PdfEncryptionBuilder builder(s);
    const EncryptionDictionary expected = builder.Dictionary();
    const EncryptionDictionary read =
        ReadEncryptionDictionary(Inside(builder.DictionaryText()), nullptr);
    EXPECT_EQ(read.Filter, "/standard");
    EXPECT_EQ(read.Version, expected.Version);
    EXPECT_EQ(read.Revision, expected.Revision);
    EXPECT_EQ(read.Length, expected.Length);
    EXPECT_EQ(read.Permissions, expected.Permissions);
    EXPECT_EQ(read.Owner, expected.Owner);
    EXPECT_EQ(read.User, expected.User);
    EXPECT_EQ(read.OwnerKey, expected.OwnerKey);
    EXPECT_EQ(read.UserKey, expected.UserKey);
    EXPECT_EQ(read.Perms, expected.Perms);
    EXPECT_EQ(read.EncryptMetadata, expected.EncryptMetadata);
    EXPECT_EQ(read.StreamFilter, expected.StreamFilter);
    EXPECT_EQ(read.StringFilter, expected.StringFilter);
    ASSERT_EQ(read.CryptFilters.size(), expected.CryptFilters.size());
    for (const auto& [name, entry] : expected.CryptFilters) {
      ASSERT_TRUE(read.CryptFilters.count(name)) << name;
      EXPECT_EQ(read.CryptFilters.at(name).Method, entry.Method);
      EXPECT_EQ(read.CryptFilters.at(name).AuthEvent, entry.AuthEvent);
      EXPECT_EQ(read.CryptFilters.at(name).Length, entry.Length);
    }
  }
}

TEST(EncryptionDictionaryReader, LiteralStringsUnsignedPermissionsAndCase) {
  const EncryptionDictionary read =
      ReadEncryptionDictionary("/Filter/Standard/V 2/R 3/Length 128/P 4294963392"
                               "/O (\\(\\)\\\\\\n\\r\\001ab)/U<41 42 4>/EncryptMetadata False",
                               nullptr);
  EXPECT_EQ(read.Filter, "/standard");
  EXPECT_EQ(read.Version, 2);
  EXPECT_EQ(read.Permissions, -3904);
  EXPECT_EQ(read.Owner, std::string("()\\\n\r\x01"
                                    "ab"));
  EXPECT_EQ(read.User, "AB@");
  EXPECT_FALSE(read.EncryptMetadata);
  EXPECT_TRUE(read.CryptFilters.empty());
  EXPECT_EQ(read.StreamFilter, "");
}

TEST(EncryptionDictionaryReader, CryptFiltersByReferenceAndNestedLengths) {
  FixedObjects objects;
  objects.Texts[9] = "9 0 obj\n<< /CFM /AESV3 /Length 32 >>";
  objects.Texts[8] = "8 0 obj\n<< /MyFilter 9 0 R /Other << /CFM /None >> >>";
  // No "/length" of its own: the crypt filter's is not the key length.
  const EncryptionDictionary read = ReadEncryptionDictionary(
      "/Filter /Standard /V 5 /R 6 /CF 8 0 R /StmF /MyFilter /StrF /Identity", &objects);
  EXPECT_EQ(read.Length, 0);
  ASSERT_EQ(read.CryptFilters.size(), 2u);
  EXPECT_EQ(read.CryptFilters.at("/myfilter").Method, "/aesv3");
  EXPECT_EQ(read.CryptFilters.at("/myfilter").Length, 32);
  EXPECT_EQ(read.CryptFilters.at("/other").Method, "/none");
  EXPECT_EQ(read.StreamFilter, "/myfilter");
  EXPECT_EQ(read.StringFilter, "/identity");

  const EncryptionDictionary inline_ = ReadEncryptionDictionary(
      "/CF << /StdCF << /AuthEvent /DocOpen /CFM /V2 /Length 16 >> >> /Filter /Standard /V 4",
      nullptr);
  EXPECT_EQ(inline_.Length, 0);
  EXPECT_EQ(inline_.CryptFilters.at("/stdcf").Length, 16);
  EXPECT_EQ(inline_.Version, 4);
}

TEST(EncryptionDictionaryReader, EmptyAndDamagedDictionaries) {
  const EncryptionDictionary empty = ReadEncryptionDictionary("", nullptr);
  EXPECT_EQ(empty.Filter, "");
  EXPECT_EQ(empty.Version, 0);
  EXPECT_TRUE(empty.EncryptMetadata);
  const EncryptionDictionary damaged =
      ReadEncryptionDictionary("/V /Oops /R 99999999999 /CF << /A << /CFM /V2 /B", nullptr);
  EXPECT_EQ(damaged.Version, 0);
  EXPECT_EQ(damaged.Revision, 0);
  ASSERT_EQ(damaged.CryptFilters.count("/a"), 1u);
  EXPECT_EQ(damaged.CryptFilters.at("/a").Method, "/v2");
  // An unterminated string gives what it holds or nothing, never more.
  EXPECT_LE(ReadEncryptionDictionary("/O <4142", nullptr).Owner.size(), 2u);
}

} // namespace
} // namespace scrivlet
