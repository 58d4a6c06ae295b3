// Well-formed documents keep all their text: each case is the smallest
// input that lost text (or shifted the tree) before its mend.
#include "core/CodePage.h"
#include "xml/XmlParser.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace scrivlet {
namespace {

std::unique_ptr<XmlParser> Parse(const std::string& text, bool autoAttributes = false) {
  auto engine = std::make_unique<XmlParser>();
  engine->AttributesAutoProcess = autoAttributes;
  engine->LoadFromBytes(text);
  return engine;
}

// The children of item as "name=whole text".
std::vector<std::string> Children(XmlNode& item) {
  std::vector<std::string> names;
  for (int i = 0; i < item.Items.Count(); ++i)
    names.push_back(item.Items[i]->Name + "=" + WideToUtf8(item.Items[i]->WholeText()));
  return names;
}

using Names = std::vector<std::string>;

// The child at index; a missing one fails the test instead of crashing it.
XmlNode& At(XmlNode& item, int index) {
  if (index >= item.Items.Count())
    throw std::out_of_range("no item " + std::to_string(index) + " in " + item.Name);
  return *item.Items[index];
}

// An attribute's decoded value, "(none)" when it is missing.
std::u16string Attribute(XmlNode& item, std::string_view name) {
  XmlNode* attribute = item.ItemByName(name);
  return attribute ? attribute->GetValue() : u"(none)";
}

TEST(XmlWellFormed, SlashGreaterInTextIsText) {
  auto e = Parse("<r><p>the tags <i>&lt;image/></i> and more</p><p>next</p></r>");
  XmlNode& r = e->RootItem();
  EXPECT_EQ(Children(r), (Names{"p=the tags <image/> and more", "p=next"}));
  EXPECT_EQ(At(At(r, 0), 0).Value(), u"&lt;image/>");
  EXPECT_EQ(At(r, 0).Value(), u"the tagsand more");
  // In the text right after a start tag, and in a tail.
  EXPECT_EQ(Children(Parse("<r><p>/>a</p><p><b/>x/>y</p></r>")->RootItem()),
            (Names{"p=/>a", "p=x/>y"}));
  // An empty element still closes where "/>" ends its start tag.
  auto empty = Parse("<r><a/><b x=\"1\" />t<c>u</c></r>");
  EXPECT_EQ(Children(empty->RootItem()), (Names{"a=", "b=", "c=u"}));
  EXPECT_EQ(empty->RootItem().Value(), u"t");
}

TEST(XmlWellFormed, GreaterThanAtTheStartOfTextIsKept) {
  EXPECT_EQ(Parse("<p>> quoted</p>")->RootItem().Value(), u"> quoted");
  EXPECT_EQ(Parse("<p>>></p>")->RootItem().WholeText(), u">>");
}

TEST(XmlWellFormed, SingleQuotesQuoteLikeDoubleQuotes) {
  auto e = Parse("<r><a l:href='http://x.org/a'>link</a></r>", true);
  XmlNode* a = &At(e->RootItem(), 0);
  EXPECT_EQ(a->WholeText(), u"link");
  EXPECT_EQ(Attribute(*a, "l:href"), u"http://x.org/a");
  // Blanks inside single quotes, and each kind of quote inside the other.
  XmlNode item;
  item.AttributeText = " t='a b' u=\"it's\" v='say \"hi\"'";
  item.ParseAttributes();
  ASSERT_EQ(item.Items.Count(), 3);
  EXPECT_EQ(At(item, 0).GetValue(), u"a b");
  EXPECT_EQ(At(item, 1).GetValue(), u"it's");
  EXPECT_EQ(At(item, 2).GetValue(), u"say \"hi\"");
  // xml:space='preserve' preserves too.
  auto kept = Parse("<r><t xml:space='preserve'>a </t></r>");
  EXPECT_EQ(At(kept->RootItem(), 0).Value(), u"a ");
}

TEST(XmlWellFormed, GreaterThanAndSlashInsideQuotedValues) {
  auto e = Parse("<r><p t=\"a>b\" u='c>d/e'>text</p><q v=\"/>\"/>tail</r>", true);
  XmlNode& r = e->RootItem();
  EXPECT_EQ(Children(r), (Names{"p=text", "q="}));
  EXPECT_EQ(Attribute(At(r, 0), "t"), u"a>b");
  EXPECT_EQ(Attribute(At(r, 0), "u"), u"c>d/e");
  EXPECT_EQ(r.Value(), u"tail");
  // An apostrophe that does not begin a value quotes nothing, nor does a
  // quote that never closes before the next "<": the tag ends at its first
  // ">" as before.
  EXPECT_EQ(Children(Parse("<r><a href=it's>Bob's</a><b>x</b></r>")->RootItem()),
            (Names{"a=Bob's", "b=x"}));
  auto broken = Parse("<r><a x=\"open>text</a><b>more</b></r>");
  EXPECT_EQ(Children(broken->RootItem()), (Names{"a=text", "b=more"}));
}

TEST(XmlWellFormed, BlanksAroundEqualsKeepTheAttribute) {
  auto e = Parse("<r><p a = \"1\" b= '2' c =\"3\" d\n=\n\"4\">x</p></r>", true);
  XmlNode* p = &At(e->RootItem(), 0);
  ASSERT_EQ(p->Items.Count(), 4);
  const char* names[] = {"a", "b", "c", "d"};
  const char16_t* values[] = {u"1", u"2", u"3", u"4"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p->Items[i]->Name, names[i]);
    EXPECT_EQ(p->Items[i]->GetValue(), values[i]);
  }
  // The declaration's encoding too: the text is read in its code page.
  auto declared = Parse("<?xml version = '1.0' encoding = \"windows-1251\" ?><r>\xcf\xf0\xe8</r>");
  EXPECT_EQ(declared->Encoding(), "windows-1251");
  EXPECT_EQ(At(declared->RootItem(), 2).Value(), u"\u041f\u0440\u0438");
}

TEST(XmlWellFormed, QuotedValueKeepsItsTrailingQuestionMarkAndBlanks) {
  auto e = Parse("<r q=\"Why?\" s=\"a \" t='x?'/>", true);
  EXPECT_EQ(Attribute(e->RootItem(), "q"), u"Why?");
  EXPECT_EQ(Attribute(e->RootItem(), "s"), u"a ");
  EXPECT_EQ(Attribute(e->RootItem(), "t"), u"x?");
  // The declaration's last value still loses the "?" after its quote.
  auto declared = Parse("<?xml version=\"1.0\" encoding=\"utf-8\"?><r/>");
  EXPECT_EQ(declared->Encoding(), "utf-8");
  XmlNode unclosed;
  unclosed.SetValue(u"\"abc ?");
  EXPECT_EQ(unclosed.GetRawValue(), u"abc");
}

TEST(XmlWellFormed, TextAfterACommentStaysText) {
  auto e = Parse("<r><p>a <!-- c --> word</p><p>x<!---->y<!-- 1 > 0 -- so -->z</p></r>");
  XmlNode& r = e->RootItem();
  EXPECT_EQ(Children(r), (Names{"p=a word", "p=xyz"}));
  EXPECT_EQ(At(r, 0).Value(), u"aword");
  EXPECT_EQ(At(At(r, 0), 0).Kind, XmlNodeKind::Comment);
  ASSERT_EQ(At(r, 1).Items.Count(), 2);
  EXPECT_EQ(At(At(r, 1), 1).Value(), u"!-- 1 > 0 -- so --");
  // A comment followed by a tag is passed over as before.
  EXPECT_EQ(Children(Parse("<r><!-- c -->\n <p>b</p></r>")->RootItem()), (Names{"!--=", "p=b"}));
}

TEST(XmlWellFormed, CDataEndsAtItsClosingMark) {
  auto e = Parse("<r><p>a<![CDATA[x ]] y < z]]]>b</p><p>c</p></r>");
  XmlNode& r = e->RootItem();
  EXPECT_EQ(Children(r), (Names{"p=ax ]] y < z]b", "p=c"}));
  EXPECT_EQ(At(At(r, 0), 0).Value(), u"x ]] y < z]");
}

TEST(XmlWellFormed, InstructionInsideAnElementHoldsNothing) {
  auto e = Parse("<r><p>a<?pi x?>b</p><p>next</p></r>");
  XmlNode& r = e->RootItem();
  EXPECT_EQ(Children(r), (Names{"p=ab", "p=next"}));
  XmlNode* pi = &At(At(r, 0), 0);
  EXPECT_EQ(pi->Name, "?pi");
  EXPECT_EQ(pi->Items.Count(), 0);
  // Instructions of the prolog still hold the document.
  auto prolog = Parse("<?xml version=\"1.0\"?><?xml-stylesheet href=\"s.xsl\"?><doc>t</doc>");
  XmlNode* sheet = prolog->FindItem(nullptr, "?xml-stylesheet");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(Children(*sheet), (Names{"doc=t"}));
}

TEST(XmlWellFormed, DocumentTypeWithInternalSubsetHoldsTheDocument) {
  auto e = Parse("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e \"x/y\">"
                 "<!ELEMENT r (p)*><!-- note --> ]><r><p>one</p><p>two</p></r>");
  XmlNode* r = e->FindItem(nullptr, "r");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(Children(*r), (Names{"p=one", "p=two"}));
}

TEST(XmlWellFormed, NamesBeyondAsciiAndWithDots) {
  auto e = Parse("<r><p>a<\xd0\xb8\xd0\xbc\xd1\x8f>b</\xd0\xb8\xd0\xbc\xd1\x8f>c</p><x.y>d</x.y>"
                 "<p>e</p></r>");
  XmlNode& r = e->RootItem();
  EXPECT_EQ(r.Name, "r");
  EXPECT_EQ(Children(r), (Names{"p=abc", "x.y=d", "p=e"}));
  EXPECT_EQ(At(At(r, 0), 0).Name, "\xd0\xb8\xd0\xbc\xd1\x8f");
}

TEST(XmlWellFormed, StartTagsSplitOverLines) {
  auto e = Parse("<r\n><p\n  class=\"a\"\n\tid='b'\n>text</p\n></r\n>", true);
  XmlNode& p = At(e->RootItem(), 0);
  EXPECT_EQ(p.WholeText(), u"text");
  EXPECT_EQ(Attribute(p, "id"), u"b");
}

// The refusal of an element skips exactly its subtree.
TEST(XmlWellFormed, RefusedElementSkipsOnlyItsSubtree) {
  XmlParser engine;
  engine.OnTag = [](XmlParser&, XmlNode*, const std::u16string& name, const std::u16string&,
                    const std::u16string&, bool& accept) { accept = name != u"skip"; };
  engine.LoadFromBytes("<r><skip><i>a/>b</i><!-- <x> --><![CDATA[<y>]]><?pi <z>?>"
                       "<j k=\"/>\" l='>'>c</j></skip><p>kept</p>"
                       "<q>1<?pi?>2<!--c-->3</q></r>");
  EXPECT_EQ(Children(engine.RootItem()), (Names{"p=kept", "q=123"}));
  // Refused comments and instructions skip nothing after them.
  XmlParser refusing;
  refusing.OnTag = [](XmlParser&, XmlNode*, const std::u16string& name, const std::u16string&,
                      const std::u16string&, bool& accept) {
    accept = !name.starts_with(u"!--") && !name.starts_with(u"?");
  };
  refusing.LoadFromBytes("<r><p>a<!-- c --><b>x</b></p><p>y<?pi?><b>z</b></p><p>w</p></r>");
  EXPECT_EQ(Children(refusing.RootItem()), (Names{"p=ax", "p=yz", "p=w"}));
}

TEST(XmlWellFormed, LongRunsOfQuotesStayLinear) {
  // Quotes that never close, in a start tag and in a refused subtree.
  std::string quotes(2'000'000, '\'');
  auto e = Parse("<r><a " + quotes + ">t</a></r>");
  EXPECT_EQ(At(e->RootItem(), 0).WholeText(), u"t");
  std::string opened;
  for (int i = 0; i < 500'000; ++i)
    opened += " x='";
  auto values = Parse("<r><a" + opened + "\">t</a></r>");
  EXPECT_EQ(At(values->RootItem(), 0).Name, "a");
  XmlParser engine;
  engine.OnTag = [](XmlParser&, XmlNode*, const std::u16string&, const std::u16string&,
                    const std::u16string&, bool& accept) { accept = false; };
  engine.LoadFromBytes("<r><s><a " + quotes + ">t</a></s><p>x</p></r>");
  EXPECT_EQ(engine.RootItem().Items.Count(), 0);
}

std::string Utf16(std::u16string_view text, bool big) {
  std::string bytes;
  for (char16_t c : text) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += big ? hi : lo;
    bytes += big ? lo : hi;
  }
  return bytes;
}

TEST(XmlWellFormed, Utf16WithoutByteOrderMarkFromItsDeclaration) {
  std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>\u0416 \U0001F600</r>";
  for (bool big : {false, true}) {
    auto e = Parse(Utf16(text, big));
    EXPECT_TRUE(e->UnicodeSource());
    EXPECT_EQ(At(e->RootItem(), 2).Value(), u"\u0416 \U0001F600");
  }
}

TEST(XmlWellFormed, Utf8TextDeclaredAsUtf16) {
  auto e = Parse("<?xml version=\"1.0\" encoding=\"utf-16\"?><r>caf\xc3\xa9</r>");
  EXPECT_EQ(At(e->RootItem(), 2).Value(), u"caf\u00e9");
  // Bytes that are no UTF-8 keep the code page.
  auto other = Parse("<?xml version=\"1.0\" encoding=\"utf-16\"?><r>caf\xe9</r>");
  EXPECT_EQ(At(other->RootItem(), 2).Value(), u"caf\u00e9");
}

} // namespace
} // namespace scrivlet
