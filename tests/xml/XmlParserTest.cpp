#include "xml/XmlParser.h"
#include "core/CodePage.h"
#include "core/Stream.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

struct Parsed {
  std::unique_ptr<XmlParser> engine = std::make_unique<XmlParser>();
  XmlNode& Root() { return engine->RootItem(); }
};

Parsed Parse(const std::string& text, bool autoAttributes = false) {
  Parsed p;
  p.engine->AttributesAutoProcess = autoAttributes;
  MemoryStream stream(text);
  p.engine->LoadFromStream(&stream);
  return p;
}

TEST(XmlTree, DeclarationHoldsTheDocument) {
  Parsed p = Parse("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<doc><a>x</a></doc>");
  EXPECT_EQ(p.Root().Name, "?xml");
  EXPECT_EQ(p.engine->Encoding(), "utf-8");
  ASSERT_EQ(p.Root().Items.Count(), 3); // version, encoding, doc
  EXPECT_EQ(p.Root().Items[0]->Kind, XmlNodeKind::Attribute);
  EXPECT_EQ(p.Root().Items[0]->Name, "version");
  EXPECT_EQ(p.Root().Items[0]->GetValue(), u"1.0");
  XmlNode* doc = p.Root().Items[2];
  EXPECT_EQ(doc->Name, "doc");
  EXPECT_EQ(doc->Level, 1);
  EXPECT_EQ(doc->Items[0]->Value(), u"x");
  EXPECT_EQ(Parse("<doc>t</doc>").Root().Name, "doc");
}

TEST(XmlTree, MixedTextAndPreserve) {
  Parsed p = Parse("<r><p>a <b>x</b> c</p></r>");
  XmlNode* para = p.Root().Items[0];
  EXPECT_EQ(para->Value(), u"ac");
  EXPECT_EQ(para->Items[0]->Value(), u"x");
  EXPECT_EQ(para->WholeText(), u"a x c");
  Parsed kept = Parse("<r><p xml:space=\"preserve\">a <b>x</b> c</p></r>");
  EXPECT_EQ(kept.Root().Items[0]->Value(), u"a c");
}

TEST(XmlTree, WholeTextInDocumentOrder) {
  Parsed p = Parse("<p>Hello <emphasis>big</emphasis> world &amp;\n\n  <strong>bold</strong>"
                   "<a>!</a></p>");
  EXPECT_EQ(p.Root().Value(), u"Helloworld &amp;");
  EXPECT_EQ(p.Root().WholeText(), u"Hello big world & bold!");
  EXPECT_EQ(p.Root().Items[0]->WholeText(), u"big");
  Parsed cdata = Parse("<p>a <![CDATA[<b>]]> c</p>");
  EXPECT_EQ(cdata.Root().WholeText(), u"a <b> c");
}

TEST(XmlTree, EmptyRootMismatchedEndAndSlashInAttribute) {
  int closed = 0;
  XmlParser engine;
  engine.OnAfterTag = [&](XmlParser&, XmlNode*&, bool&) { ++closed; };
  MemoryStream empty("<a/>");
  engine.LoadFromStream(&empty);
  EXPECT_EQ(engine.RootItem().Name, "a");
  EXPECT_EQ(closed, 0);
  MemoryStream mismatch("<a>text</b>");
  engine.LoadFromStream(&mismatch);
  EXPECT_EQ(closed, 1);
  Parsed slash = Parse("<r><x title='a/b'>t</x></r>");
  EXPECT_EQ(slash.Root().Items[0]->AttributeText, " title='a/b'");
}

TEST(XmlTree, Utf8AndWhatStaysUndecoded) {
  Parsed p = Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"\xc3\xa9\">\xc3\xa9t\xc3\xa9"
                   "<![CDATA[\xc3\xa9]]><!--\xc3\xa9--></r>",
                   true);
  XmlNode* r = p.Root().Items[2];
  EXPECT_EQ(r->Value(), u"\u00e9t\u00e9");
  EXPECT_EQ(r->ItemByName("a")->GetValue(), u"\u00e9");
  EXPECT_EQ(r->ItemByName("![CDATA[")->Value(), u"\u00c3\u00a9");
  EXPECT_EQ(r->Items[2]->Kind, XmlNodeKind::Comment);
  EXPECT_EQ(r->Items[2]->Value(), u"!--\u00c3\u00a9--");
  // Malformed bytes keep the text around them.
  EXPECT_EQ(Parse("<?xml encoding=\"utf-8\"?><r>a\xff"
                  "b</r>")
                .Root()
                .Items[1]
                ->Value(),
            u"a\uFFFDb");
}

TEST(XmlTree, DeclaredCodePagesAndUndeclaredUtf8) {
  Parsed cyrillic = Parse("<?xml version=\"1.0\" encoding=\"windows-1251\"?><r>\xcf\xf0\xe8</r>");
  EXPECT_EQ(cyrillic.Root().Items[2]->Value(), u"\u041f\u0440\u0438");
  EXPECT_EQ(Parse("<r>\xc3\xa9</r>").Root().Value(), u"\u00e9");
  EXPECT_EQ(Parse("<r>caf\xe9</r>").Root().Value(), u"caf\u00e9");
}

TEST(XmlTree, CommentBeforeTheRoot) {
  Parsed p = Parse("<!--x--><doc>text</doc>");
  EXPECT_EQ(p.Root().Name, "doc");
  EXPECT_EQ(p.Root().Kind, XmlNodeKind::Element);
  EXPECT_EQ(p.Root().Value(), u"!--x--text");
}

TEST(XmlTree, Utf16WithByteOrderMarks) {
  std::u16string text = u"<?xml version=\"1.0\" encoding=\"utf-16\"?><r>\u0416x</r>";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t c : text) {
    little += static_cast<char>(c & 0xFF);
    little += static_cast<char>(c >> 8);
    big += static_cast<char>(c >> 8);
    big += static_cast<char>(c & 0xFF);
  }
  for (const std::string& bytes : {little, big}) {
    Parsed p = Parse(bytes);
    EXPECT_TRUE(p.engine->UnicodeSource());
    EXPECT_EQ(p.Root().Items[2]->Value(), u"\u0416x");
  }
}

TEST(XmlTree, RefusalAndCancel) {
  XmlParser engine;
  engine.OnTag = [](XmlParser&, XmlNode*, const std::u16string& name, const std::u16string&,
                    const std::u16string&, bool& accept) { accept = name != u"skip"; };
  std::vector<std::u16string> values;
  engine.OnTag = [&values](XmlParser&, XmlNode*, const std::u16string& name,
                           const std::u16string& value, const std::u16string& attributes,
                           bool& accept) {
    accept = name != u"skip";
    values.push_back(name + u"=" + value + u"|" + attributes);
  };
  MemoryStream stream("<r><a>1</a><skip x=\"1\">no<b>no</b>no</skip>tail<c>3</c><skip/><d/></r>");
  engine.LoadFromStream(&stream);
  XmlNode& r = engine.RootItem();
  ASSERT_EQ(r.Items.Count(), 3);
  EXPECT_EQ(r.Items[0]->Name, "a");
  EXPECT_EQ(r.Items[1]->Name, "c");
  EXPECT_EQ(r.Items[2]->Name, "d");
  EXPECT_EQ(r.WholeText(), u"13"); // the refused element took its tail along
  EXPECT_EQ(values, (std::vector<std::u16string>{u"a=1|", u"skip=no| x=\"1\"", u"c=3|", u"skip=|",
                                                 u"d=|"}));

  XmlParser cancelling;
  cancelling.OnAfterTag = [](XmlParser& e, XmlNode*& node, bool& cancel) {
    cancel = node->Name == "b";
    if (node->Name == "a")
      e.FreeItem(node);
  };
  MemoryStream second("<r><a>1</a><b>2</b><c>3</c></r>");
  cancelling.LoadFromStream(&second);
  ASSERT_EQ(cancelling.RootItem().Items.Count(), 1);
  EXPECT_EQ(cancelling.RootItem().Items[0]->Name, "b");
}

TEST(XmlTree, AttributesAndQuotes) {
  XmlNode item;
  item.AttributeText = " a=\"1 2\" b = \"x\" c d=\"q\"?";
  item.ParseAttributes();
  ASSERT_EQ(item.Items.Count(), 3); // blanks around "=" keep the attribute
  EXPECT_EQ(item.Items[0]->Name, "a");
  EXPECT_EQ(item.Items[0]->Value(), u"\"1 2\" ");
  EXPECT_EQ(item.Items[1]->Name, "b");
  EXPECT_EQ(item.Items[1]->GetValue(), u"x");
  EXPECT_EQ(item.Items[2]->Name, "d");
  EXPECT_EQ(item.Items[2]->GetRawValue(), u"q");
  EXPECT_TRUE(item.AttributeText.empty());
  XmlNode quoted;
  quoted.SetValue(u"'it''s' ?\r\n");
  EXPECT_EQ(quoted.GetRawValue(), u"it''s");
  quoted.SetValue(u"\"&lt;x&gt;\"");
  EXPECT_EQ(quoted.GetValue(), u"<x>");
}

TEST(XmlTree, AttributeValueReadsTheTagAsItsItemsWould) {
  const std::string text =
      " l:href = \"#n&amp;1\" type='note' xml:lang=\"ru\" a=\"1 2\" c d=\"\xC3\xA9\"";
  Parsed p = Parse("<r><a" + text + ">x</a></r>");
  XmlNode& link = *p.Root().Items[0];
  EXPECT_EQ(link.AttributeValue("href"), u"#n&1"); // the prefix is not part of the name
  EXPECT_EQ(link.AttributeValue("type"), u"note");
  EXPECT_EQ(link.AttributeValue("lang"), u"ru");
  EXPECT_EQ(link.AttributeValue("d"), u"\u00E9");
  EXPECT_EQ(link.AttributeValue("c"), std::nullopt); // a name without a value
  EXPECT_EQ(link.AttributeValue("l:href"), std::nullopt);
  EXPECT_EQ(link.Items.Count(), 0); // no attribute items made
  // Once split, the items answer, with the same values.
  std::vector<std::optional<std::u16string>> before;
  for (const char* name : {"href", "type", "lang", "a", "d"})
    before.push_back(link.AttributeValue(name));
  link.ParseAttributes();
  ASSERT_GT(link.Items.Count(), 1);
  size_t i = 0;
  for (const char* name : {"href", "type", "lang", "a", "d"})
    EXPECT_EQ(link.AttributeValue(name), before[i++]) << name;
}

TEST(XmlTree, FindItemAndItemByName) {
  Parsed p = Parse("<r><A><b>1</b></A><a>2</a></r>");
  EXPECT_EQ(p.engine->FindItem(nullptr, "a"), p.Root().Items[0]);
  EXPECT_EQ(p.Root().ItemByName("a"), p.Root().Items[1]);
  EXPECT_EQ(p.Root().ItemByName("missing"), nullptr);
  EXPECT_EQ(p.engine->FindItem(nullptr, "R"), &p.Root());
}

TEST(XmlBadInput, NeverFailsNeverLoops) {
  for (const char* text :
       {"", "<", "<<<<", "a<", "</x>", "<a></a></b></c>tail", "<a/>/>", "<a x=\"unclosed>text",
        "<!--", "<![CDATA[", "<a>\x00<b>", "<a>/>/>/></a>", "/>", "<?xml?><!DOCTYPE x><r/>"})
    EXPECT_NO_THROW(Parse(std::string(text)));
  Parsed surplus = Parse("<a>1</a></b>dropped<c>2</c>");
  EXPECT_EQ(surplus.Root().Name, "c"); // a later top element takes the root over
  EXPECT_EQ(surplus.Root().Value(), u"12");
}

TEST(XmlBadInput, DeepNestingAndHugeText) {
  std::string deep;
  for (int i = 0; i < 100000; ++i)
    deep += "<e>";
  deep += "x";
  Parsed p = Parse(deep);
  EXPECT_EQ(p.engine->FindItem(nullptr, "missing"), nullptr);
  EXPECT_EQ(p.Root().WholeText(), u"x");
  std::string huge = "<r>" + std::string(20'000'000, 'a') + "</r>";
  EXPECT_EQ(Parse(huge).Root().Value().size(), 20'000'000u);
}

} // namespace
} // namespace scrivlet
