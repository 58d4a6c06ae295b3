#include "core/BidiIsolation.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

// The controls by their short names.
constexpr char16_t LRE = 0x202A, RLE = 0x202B, PDF = 0x202C, LRO = 0x202D, RLO = 0x202E;
constexpr char16_t LRI = 0x2066, RLI = 0x2067, FSI = 0x2068, PDI = 0x2069;

std::u16string Text(std::initializer_list<char16_t> units) {
  return std::u16string(units);
}

TEST(BidiIsolation, BalancesTheExplicitFormatting) {
  struct Case {
    std::u16string text, balanced;
  };
  const Case cases[] = {
      {u"plain", u"plain"},
      // An override left open is closed at the end.
      {Text({RLO, u'c', u'o', u'd'}), Text({RLO, u'c', u'o', u'd', PDF})},
      // Closers without openers go.
      {Text({PDF, u'a', PDI}), u"a"},
      // Innermost first.
      {Text({RLE, LRI, LRO, u'x'}), Text({RLE, LRI, LRO, u'x', PDF, PDI, PDF})},
      // A PDI closes the embeddings opened inside its isolate.
      {Text({RLI, RLO, u'x', PDI, u'y'}), Text({RLI, RLO, u'x', PDF, PDI, u'y'})},
      // A PDF does not close an embedding outside an open isolate.
      {Text({LRE, FSI, PDF, u'x'}), Text({LRE, FSI, u'x', PDI, PDF})},
      // Balanced already: unchanged.
      {Text({RLE, u'a', PDF, LRI, u'b', PDI}), Text({RLE, u'a', PDF, LRI, u'b', PDI})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BalancedBidiText(c.text), c.balanced);
    EXPECT_TRUE(HasBidiControls(c.text) || c.text == c.balanced);
  }
}

TEST(BidiIsolation, IsolatesOnlyTextWithControls) {
  EXPECT_EQ(IsolatedBidiText(u"report.doc"), u"report.doc");
  EXPECT_FALSE(HasBidiControls(u"\u200Fmarks are no controls\u200E"));
  EXPECT_EQ(IsolatedBidiText(Text({RLO, u'e', u'x', u'e'})),
            Text({FSI, RLO, u'e', u'x', u'e', PDF, PDI}));
  EXPECT_EQ(IsolatedBidiText(Text({u'a', PDI, u'b'})), Text({FSI, u'a', u'b', PDI}));
}

} // namespace
} // namespace scrivlet
