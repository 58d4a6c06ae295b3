// Damaged and hostile encryption dictionaries: every value of any length,
// any version and revision.  The handler either opens or raises one of its
// messages, and decrypts data of any length without reading past it.
#include "pdf/security/StandardSecurityHandler.h"

#include "core/Exception.h"

#include <gtest/gtest.h>

#include <random>

namespace scrivlet {
namespace {

std::string RandomBytes(std::mt19937& random, size_t maxLength) {
  std::string bytes(random() % (maxLength + 1), '\0');
  for (char& c : bytes)
    c = static_cast<char>(random());
  return bytes;
}

TEST(StandardSecurityHandlerRobustness, RandomDictionariesOpenOrRaise) {
  std::mt19937 random(20261207);
  const char* methods[] = {"/v2", "/aesv2", "/aesv3", "/none", "", "/x"};
  int opened = 0;
  for (int i = 0; i < 400; ++i) {
    EncryptionDictionary d;
    d.Filter = random() % 8 ? "/standard" : "/other";
    d.Version = static_cast<int32_t>(random() % 7);
    d.Revision = static_cast<int32_t>(random() % 8) - 1;
    d.Length = static_cast<int32_t>(random() % 300) - 10;
    d.Permissions = static_cast<int32_t>(random());
    d.EncryptMetadata = random() % 2;
    // Values are mostly short: a revision 5/6 check then stops before hashing.
    const size_t longest = random() % 4 ? 40 : 130;
    d.Owner = RandomBytes(random, longest);
    d.User = random() % 5 ? RandomBytes(random, longest) : std::string();
    d.OwnerKey = RandomBytes(random, 40);
    d.UserKey = RandomBytes(random, 40);
    if (random() % 2) {
      d.CryptFilters["/stdcf"] = {methods[random() % 6], random() % 3 ? "/docopen" : "",
                                  static_cast<int32_t>(random() % 40)};
      d.StreamFilter = random() % 4 ? "/stdcf" : "/identity";
      d.StringFilter = random() % 4 ? "/stdcf" : "/missing";
    }
    std::string data = RandomBytes(random, 70);
    try {
      StandardSecurityHandler handler(d, RandomBytes(random, 20), RandomBytes(random, 10));
      ++opened;
      const std::string stream = handler.DecryptStream(data, random(), random());
      const std::string string = handler.DecryptString(data, random(), random());
      EXPECT_LE(stream.size(), data.size());
      EXPECT_LE(string.size(), data.size());
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message().empty());
    }
  }
  // Random values match a password only by accident.
  EXPECT_LT(opened, 40);
}

} // namespace
} // namespace scrivlet
