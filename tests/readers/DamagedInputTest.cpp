// Damaged documents: bytes flipped and files cut short at random places.
// Every reader must answer with an exception of its own kind, never crash,
// hang or let another kind of error escape.
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/fictionbook/VdWFB2.h"
#include "readers/word/VdWord.h"
#include "readers/word/VdWordX.h"
#include "readers/write/VdWRI.h"
#include "support/SampleDocuments.h"
#include "support/WordBuilder.h"

#include <gtest/gtest.h>
#include <random>

namespace scrivlet {
namespace {

template <class Reader>
void ConvertDamagedCopies(const std::string& original, int copies, uint32_t seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < copies; ++i) {
    std::string damaged = original;
    if (i % 4 == 3) {
      damaged.resize(random() % damaged.size());
    } else {
      int flips = 1 + static_cast<int>(random() % 8);
      for (int f = 0; f < flips; ++f)
        damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
    }
    for (TVdTextFormating formating : {tfPlainText, tfHTML}) {
      Reader reader;
      reader.SetTextFormating(formating);
      TMemoryStream stream(damaged);
      try {
        reader.LoadFromStream(stream);
      } catch (const Exception&) {
        // a message for the page: fine
      }
    }
  }
}

TEST(DamagedInput, WriteDocuments) {
  ConvertDamagedCopies<TWRIFile>(test::SampleWriteLetter(), 3000, 1);
}

TEST(DamagedInput, WordDocuments) {
  test::WordBuilder b;
  b.pieces = {{u"Main text \x13 PAGE \x14" u"1\x15\r", true}, {u"\u0416 cell\x07\x07\r", false},
              {u"Footnote\r", true}};
  b.ccpFtn = 9;
  b.summaryInformation = test::PropertySet(
      {test::PropertyValue::String(2, "Title"), test::PropertyValue::Int(14, 2)});
  ConvertDamagedCopies<TVdWordDocument>(b.Build(), 3000, 2);
  b.nFib = 104;
  ConvertDamagedCopies<TVdWordDocument>(b.Build(), 1000, 3);
  b.nFib = 45;
  b.wIdent = 0xA59B;
  ConvertDamagedCopies<TVdWordDocument>(b.MainStream(), 1000, 4);
}

TEST(DamagedInput, WordXmlPackages) {
  ConvertDamagedCopies<TVdWordXDocument>(test::GeneratedWordXDocument(3000), 2000, 5);
}

TEST(DamagedInput, FictionBooks) {
  std::string book = "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description>"
                     "<title-info><author><first-name>A</first-name></author><book-title>T"
                     "</book-title></title-info></description><body><section><p>One <emphasis>two"
                     "</emphasis></p><empty-line/><![CDATA[x]]><!-- c --><p>&amp;&#x41;</p>"
                     "</section></body></FictionBook>";
  ConvertDamagedCopies<TFictionBook>(book, 3000, 6);
}

} // namespace
} // namespace scrivlet
