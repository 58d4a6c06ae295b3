#include "readers/docx/DocxReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "document/Document.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "zip/ZipArchive.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

const std::string kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

std::string DocumentXml(const std::string& body) {
  return kDeclaration +
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<w:body>" +
         body + "</w:body></w:document>";
}

std::string Package(const std::string& body,
                    std::vector<std::pair<std::string, std::string>> more = {}) {
  test::ZipBuilder zip;
  zip.Add("[Content_Types].xml", kDeclaration + "<Types/>");
  zip.Add("word/document.xml", DocumentXml(body));
  for (auto& [name, data] : more)
    zip.Add(name, data);
  return zip.Build();
}

std::vector<std::u16string> Lines(const TextLines& list) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < list.Count(); ++i)
    lines.push_back(list.Get(i));
  return lines;
}

std::unique_ptr<test::ReaderHarness<DocxReader>>
Load(const std::string& package, OutputFormat formating = OutputFormat::PlainText,
     ContentItems items = {ContentItem::Text, ContentItem::Summary}) {
  auto reader = std::make_unique<test::ReaderHarness<DocxReader>>();
  reader->SetTextFormating(formating);
  reader->SetParseItems(items);
  MemoryStream stream(package);
  reader->LoadFromStream(stream);
  return reader;
}

using L = std::vector<std::u16string>;

std::string WRun(const std::string& text, const std::string& properties = "") {
  return "<w:r>" + properties + "<w:t>" + text + "</w:t></w:r>";
}

TEST(WordXBody, RunsAndPreserve) {
  EXPECT_EQ(Lines(Load(Package("<w:p><w:r><w:t xml:space=\"preserve\">Hello </w:t></w:r>" +
                               WRun("world") + "</w:p>"))
                      ->Lines()),
            L{u"Hello world"});
  EXPECT_EQ(Lines(Load(Package("<w:p>" + WRun("Hello ") + WRun("world") + "</w:p>"))->Lines()),
            L{u"Helloworld"});
  EXPECT_EQ(Lines(Load(Package("<w:p>" + WRun("a &amp; b") + "</w:p>"))->Lines()), L{u"a & b"});
}

TEST(WordXBody, EmptyParagraphsInEachFormatting) {
  std::string package = Package("<w:p/><w:p></w:p>");
  EXPECT_EQ(Lines(Load(package)->Lines()), (L{u"", u""}));
  L html = Lines(Load(package, OutputFormat::Html)->Lines());
  EXPECT_EQ(L(html.begin() + 1, html.end() - 1), (L{u"<p></p>", u"<p></p>"}));
  L rtf = Lines(Load(package, OutputFormat::Rtf)->Lines());
  EXPECT_EQ(rtf.size(), 4u);
  EXPECT_EQ(rtf[1], u"\\par"); // every paragraph ends with \par
}

TEST(WordXBody, DeletionsAndInsertions) {
  std::string body = "<w:p>" + WRun("keep ") +
                     "<w:del><w:r><w:delText>old</w:delText></w:r></w:del>"
                     "<w:ins>" +
                     WRun("new") + "</w:ins></w:p>";
  // The text as accepted: the deletion left out, the insertion kept.
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), L{u"keepnew"});
  EXPECT_EQ(Load(Package(body), OutputFormat::Html)->Lines().Get(1), u"<p>keepnew</p>");
}

TEST(WordXBody, HiddenRuns) {
  std::string body = "<w:p>" + WRun("shown") + WRun("hidden", "<w:rPr><w:vanish/></w:rPr>") +
                     WRun("again") + "</w:p>";
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), L{u"shownagain"});
  EXPECT_EQ(Lines(Load(Package(body), OutputFormat::PlainText,
                       {ContentItem::Text, ContentItem::HiddenText})
                      ->Lines()),
            L{u"shownhiddenagain"});
}

TEST(WordXBody, TabsAndBreaks) {
  std::string body = "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
                     "<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t></w:r></w:p>";
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), L{u"a\tb\r\nc"});
  EXPECT_EQ(Load(Package(body), OutputFormat::Html)->Lines().Get(1), u"<p>a&#9;b<br/>c</p>");
  EXPECT_EQ(Load(Package(body), OutputFormat::Rtf)->Lines().Get(1), u"a\\tab b\r\n\\par c\\par");
}

TEST(WordXBody, TablesInHtml) {
  std::string body = "<w:tbl><w:tr><w:tc><w:p>" + WRun("one") + "</w:p></w:tc><w:tc><w:p>" +
                     WRun("two") + "</w:p></w:tc></w:tr></w:tbl>";
  L html = Lines(Load(Package(body), OutputFormat::Html)->Lines());
  EXPECT_EQ(L(html.begin() + 1, html.end() - 1),
            (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<p>one</p>", u"    </td>",
               u"    <td>", u"<p>two</p>", u"    </td>", u"  </tr>", u"</table>"}));
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"one", u"two"}));
}

// A part that ends inside a table (cut short, or its reading failed) had
// the entries that open the table, its last row and its last cell, but none
// of those that close them.
TEST(WordXBody, TablesNestedAndLeftOpen) {
  std::string cell = "<w:tc><w:p>" + WRun("in") + "</w:p></w:tc>";
  std::string nested = "<w:tbl><w:tr><w:tc><w:tbl><w:tr>" + cell + "</w:tr></w:tbl><w:p>" +
                       WRun("after") + "</w:p></w:tc></w:tr></w:tbl>";
  L html = Lines(Load(Package(nested), OutputFormat::Html)->Lines());
  EXPECT_EQ(L(html.begin() + 1, html.end() - 1),
            (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<table border=\"1\">", u"  <tr>",
               u"    <td>", u"<p>in</p>", u"    </td>", u"  </tr>", u"</table>", u"<p>after</p>",
               u"    </td>", u"  </tr>", u"</table>"}));
  L rtf = Lines(Load(Package(nested), OutputFormat::Rtf)->Lines());
  EXPECT_EQ(L(rtf.begin() + 1, rtf.end()), (L{u"in\\par", u"after\\par", u"\r\n}"}));

  auto cut = [](const std::string& body) {
    test::ZipBuilder zip;
    zip.Add("word/document.xml", kDeclaration + "<w:document><w:body>" + body);
    L html = Lines(Load(zip.Build(), OutputFormat::Html)->Lines());
    return L(html.begin() + 1, html.end() - 1);
  };
  EXPECT_EQ(cut("<w:tbl><w:tr>" + cell + cell + "<w:tc><w:p>" + WRun("open")),
            (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<p>in</p>", u"    </td>",
               u"    <td>", u"<p>in</p>", u"    </td>", u"    <td>"}));
  EXPECT_EQ(cut("<w:tbl><w:tr>" + cell + "</w:tr><w:tr>" + cell),
            (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<p>in</p>", u"    </td>",
               u"  </tr>", u"  <tr>", u"    <td>", u"<p>in</p>", u"    </td>"}));
  EXPECT_EQ(
      cut("<w:tbl><w:tr>" + cell + "</w:tr>"),
      (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<p>in</p>", u"    </td>", u"  </tr>"}));
}

// The model: a table's rows and cells hold its paragraphs; the marks of a
// tracked change and of shown hidden text are on the text they hold.
TEST(WordXModel, TablesRevisionsAndStyles) {
  std::string body = "<w:tbl><w:tr><w:tc><w:p>" + WRun("a") + "</w:p></w:tc><w:tc><w:p>" +
                     WRun("b") + "</w:p></w:tc></w:tr></w:tbl><w:p><w:pPr><w:pStyle><w:val>" +
                     "Bold</w:val></w:pStyle><w:rPr><w:ins/></w:rPr></w:pPr><w:del>" +
                     WRun("gone") + "</w:del>" + WRun("shy", "<w:rPr><w:vanish/></w:rPr>") +
                     "</w:p>";
  DocxReader reader;
  Document document;
  ReaderOptions options;
  options.items.Include(ContentItem::HiddenText);
  reader.Read(Package(body), "x.docx", options, document);
  ASSERT_EQ(document.Main().blocks.size(), 2u);
  const Block& table = document.Main().blocks[0];
  ASSERT_EQ(table.kind, BlockKind::Table);
  ASSERT_EQ(table.rows.size(), 1u);
  ASSERT_EQ(table.rows[0].cells.size(), 2u);
  EXPECT_EQ(table.rows[0].cells[1].blocks.at(0).Text(), u"b");
  const Block& paragraph = document.Main().blocks[1];
  EXPECT_EQ(paragraph.style, u"Bold");
  EXPECT_EQ(paragraph.Text(), u"goneshy");
  // Shown hidden text leaves the run properties unread: no inserted
  // paragraph mark.
  ASSERT_EQ(paragraph.content.size(), 4u);
  EXPECT_EQ(paragraph.content[0].kind, InlineKind::RevisionStart);
  EXPECT_EQ(paragraph.content[1].marks, kDeleted);
  EXPECT_EQ(paragraph.content[3].marks, 0);

  Document hiding;
  options.items.Exclude(ContentItem::HiddenText);
  reader.Read(Package(body), "x.docx", options, hiding);
  EXPECT_EQ(hiding.Main().blocks[1].Text(), u"gone");
  EXPECT_EQ(hiding.Main().blocks[1].content.front().marks, kInserted);
}

TEST(WordXBody, InsertedAndDeletedParagraphMarks) {
  std::string body = "<w:p><w:pPr><w:rPr><w:ins w:id=\"1\"/></w:rPr></w:pPr>" + WRun("new") +
                     "</w:p><w:p><w:pPr><w:rPr><w:del w:id=\"2\"/></w:rPr></w:pPr>" + WRun("old") +
                     "</w:p>";
  // Marks of changed paragraph marks show nothing: the text reads as accepted.
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"new", u"old"}));
  EXPECT_EQ(Load(Package(body), OutputFormat::Html)->Lines().Get(1), u"<p>new</p>");
  EXPECT_EQ(Lines(Load(Package(body), OutputFormat::PlainText,
                       {ContentItem::Text, ContentItem::HiddenText})
                      ->Lines()),
            (L{u"new", u"old"}));
}

TEST(WordXBody, TextBoxInsideAParagraphKeepsTheOuterText) {
  std::string body = "<w:p>" + WRun("before ") +
                     "<w:r><mc:AlternateContent><mc:Choice><w:drawing><wp:anchor><a:graphic>"
                     "<a:graphicData><wps:wsp><wps:txbx><w:txbxContent><w:p>" +
                     WRun("boxed") +
                     "</w:p></w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic>"
                     "</wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:p>" +
                     WRun("fallback") + "</w:p></mc:Fallback></mc:AlternateContent></w:r>" +
                     WRun("after") + "</w:p>";
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"boxed", u"beforeafter"}));
}

TEST(WordXBody, ContentControlsSimpleFieldsAndEquations) {
  std::string body = "<w:sdt><w:sdtPr><w:alias w:val=\"x\"/><w:placeholder><w:docPart>hidden"
                     "</w:docPart></w:placeholder></w:sdtPr><w:sdtContent><w:p>" +
                     WRun("controlled") + "</w:p></w:sdtContent></w:sdt><w:p>Page <w:fldSimple " +
                     "w:instr=\"PAGE\">" + WRun("3") + "</w:fldSimple></w:p><w:p><m:oMathPara>" +
                     "<m:oMath><m:f><m:fPr><m:type m:val=\"bar\"/></m:fPr><m:num><m:r><m:t>a" +
                     "</m:t></m:r></m:num><m:den><m:r><m:t>b</m:t></m:r></m:den></m:f></m:oMath>" +
                     "</m:oMathPara></w:p>";
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"controlled", u"3", u"a/b"}));
}

// An equation is a line of text built from its structure, a word of its
// own in the paragraph.
TEST(WordXBody, EquationsAsLinearText) {
  auto run = [](const std::string& text) { return "<m:r><m:t>" + text + "</m:t></m:r>"; };
  const std::pair<std::string, std::u16string> cases[] = {
      {run("πr") + "<m:sSup><m:e>" + run("r") + "</m:e><m:sup>" + run("2") + "</m:sup></m:sSup>",
       u"πrr²"},
      {run("e") + "<m:sSup><m:e/><m:sup>" + run("x+1") + "</m:sup></m:sSup>" + "<m:sSub><m:e>" +
           run("a") + "</m:e><m:sub>" + run("ij") + "</m:sub></m:sSub>",
       u"e^(x+1)a_(ij)"},
      {"<m:f><m:num>" + run("a+b") + "</m:num><m:den>" + run("c") + "</m:den></m:f>", u"(a+b)/c"},
      {"<m:rad><m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/><m:e>" + run("x+1") +
           "</m:e></m:rad>",
       u"√(x+1)"},
      {"<m:nary><m:naryPr><m:chr m:val=\"∑\"/></m:naryPr><m:sub>" + run("n=1") + "</m:sub><m:sup>" +
           run("N") + "</m:sup><m:e>" + run("n") + "</m:e></m:nary>",
       u"∑_(n=1)^Nn"},
      {"<m:d><m:dPr><m:begChr m:val=\"[\"/><m:endChr m:val=\"]\"/></m:dPr><m:e>" + run("a") +
           "</m:e><m:e>" + run("b") + "</m:e></m:d>",
       u"[a|b]"},
      {"<m:func><m:fName>" + run("cos") + "</m:fName><m:e>" + run("nx") + "</m:e></m:func>",
       u"cos(nx)"},
  };
  for (const auto& [math, text] : cases) {
    std::string body = "<w:p>" + WRun("Area") + "<m:oMath>" + math + "</m:oMath></w:p>";
    EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"Area " + text})) << math;
  }
}

TEST(WordXBody, StyleMarkupFromAValElement) {
  std::string body = "<w:p><w:pPr><w:pStyle><w:val>BoldItalic</w:val></w:pStyle></w:pPr>" +
                     WRun("styled") + "</w:p><w:p><w:pPr><w:pStyle w:val=\"Bold\"/></w:pPr>" +
                     WRun("attribute") + "</w:p>";
  L html = Lines(Load(Package(body), OutputFormat::Html)->Lines());
  EXPECT_EQ(html[1], u"<p><font><b><i>styled</b></i></font></p>");
  EXPECT_EQ(html[2], u"<p>attribute</p>");
  EXPECT_EQ(Lines(Load(Package(body))->Lines()), (L{u"styled", u"attribute"}));
}

TEST(WordXStories, HeadersFootersAndNotes) {
  std::string rels =
      kDeclaration +
      "<Relationships><Relationship Id=\"rId7\" Type=\"header\" Target=\"header1.xml\"/>"
      "<Relationship Id=\"rId8\" Type=\"footer\" Target=\"/word/../word/footer1.xml\"/>"
      "<Relationship Id=\"rId9\" Type=\"header\" Target=\"header2.xml\"/>"
      "</Relationships>";
  // The last section's properties stand in the body, after its paragraphs.
  std::string body = "<w:p><w:pPr><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId7\"/>"
                     "<w:footerReference r:id=\"rId8\"/></w:sectPr></w:pPr>" +
                     WRun("section one") +
                     "</w:p><w:sectPr><w:headerReference r:id=\"rId9\"/>"
                     "</w:sectPr>";
  std::string header = kDeclaration + "<w:hdr><w:p>" + WRun("Page head") + "</w:p></w:hdr>";
  std::string lastHeader = kDeclaration + "<w:hdr><w:p>" + WRun("Last head") + "</w:p></w:hdr>";
  std::string footer = kDeclaration + "<w:ftr><w:p>" + WRun("Page foot") + "</w:p></w:ftr>";
  std::string notes = kDeclaration + "<w:footnotes><w:footnote w:id=\"1\"><w:p>" + WRun("A note") +
                      "</w:p></w:footnote></w:footnotes>";
  auto reader = Load(Package(body, {{"word/_rels/document.xml.rels", rels},
                                    {"word/header1.xml", header},
                                    {"word/header2.xml", lastHeader},
                                    {"word/footer1.xml", footer},
                                    {"word/footnotes.xml", notes}}));
  EXPECT_EQ(Lines(reader->Lines()), L{u"section one"});
  EXPECT_EQ(Lines(reader->Stories()->Headers), (L{u"Page head", u"Last head"}));
  EXPECT_EQ(Lines(reader->Stories()->Footnotes), L{u"A note"});
  // "/word/../word/footer1.xml" is no member name: nothing.
  EXPECT_EQ(reader->Stories()->Footers.Count(), 0);

  // A reference quoted with single quotes, with blanks around "=".
  std::string singleQuoted =
      "<w:p><w:pPr><w:sectPr><w:headerReference r:id = 'rId7'/></w:sectPr></w:pPr>" + WRun("text") +
      "</w:p>";
  auto quoted = Load(Package(
      singleQuoted, {{"word/_rels/document.xml.rels", rels}, {"word/header1.xml", header}}));
  EXPECT_EQ(Lines(quoted->Stories()->Headers), L{u"Page head"});
}

// Every part read is framed by the prologue and epilogue where the format
// has them; the notes parts even when the package has none, the main list
// only when there is a document part.
TEST(WordXStories, EachPartFramedInItsList) {
  std::string rels = kDeclaration +
                     "<Relationships><Relationship Id=\"h1\" Target=\"header1.xml\"/>"
                     "<Relationship Id=\"h2\" Target=\"header2.xml\"/></Relationships>";
  std::string body = "<w:p><w:pPr><w:sectPr><w:headerReference r:id=\"h1\"/>"
                     "<w:headerReference r:id=\"h2\"/></w:sectPr></w:pPr>" +
                     WRun("text") + "</w:p>";
  auto header = [](const std::string& text) {
    return kDeclaration + "<w:hdr><w:p>" + WRun(text) + "</w:p></w:hdr>";
  };
  std::string package = Package(body, {{"word/_rels/document.xml.rels", rels},
                                       {"word/header1.xml", header("one")},
                                       {"word/header2.xml", header("two")}});
  auto rtf = Load(package, OutputFormat::Rtf);
  const std::u16string prologue = rtf->Lines().Get(0);
  EXPECT_EQ(Lines(rtf->Lines()), (L{prologue, u"text\\par", u"\r\n}"}));
  EXPECT_EQ(Lines(rtf->Stories()->Headers),
            (L{prologue, u"one\\par", u"\r\n}", prologue, u"two\\par", u"\r\n}"}));
  EXPECT_EQ(Lines(rtf->Stories()->Endnotes), (L{prologue, u"\r\n}"}));
  EXPECT_EQ(Lines(rtf->Stories()->Footers), L{});
  auto plain = Load(package);
  EXPECT_EQ(Lines(plain->Stories()->Headers), (L{u"one", u"two"}));
  EXPECT_EQ(plain->Stories()->Endnotes.Count(), 0);

  test::ZipBuilder noBody;
  noBody.Add("word/footnotes.xml", kDeclaration + "<w:footnotes><w:footnote><w:p>" + WRun("note") +
                                       "</w:p></w:footnote></w:footnotes>");
  auto html = Load(noBody.Build(), OutputFormat::Html);
  EXPECT_EQ(html->Lines().Count(), 0);
  ASSERT_EQ(html->Stories()->Footnotes.Count(), 3);
  EXPECT_EQ(html->Stories()->Footnotes.Get(1), u"<p>note</p>");
}

TEST(WordXSummary, PropertiesParts) {
  std::string core =
      kDeclaration +
      "<cp:coreProperties><dc:title>The &amp; Title</dc:title><dc:creator>Ann</dc:creator>"
      "<cp:revision>4</cp:revision><dcterms:created>2009-05-14T10:20:30Z"
      "</dcterms:created></cp:coreProperties>";
  std::string app =
      kDeclaration +
      "<Properties><Pages>3</Pages><Words>bad</Words><Application>Writer</Application>"
      "<Company>Firm</Company></Properties>";
  auto reader = Load(Package("<w:p/>", {{"docProps/core.xml", core}, {"docProps/app.xml", app}}));
  const auto* s = reader->SummaryInformation();
  EXPECT_EQ(s->Title, u"The & Title");
  EXPECT_EQ(s->Author, u"Ann");
  EXPECT_EQ(s->RevNumber, u"4");
  EXPECT_NEAR(s->Created, 39947.43090277778, 1e-9);
  EXPECT_EQ(s->PageCount, 3);
  EXPECT_EQ(s->WordCount, 0);
  EXPECT_EQ(s->AppName, u"Writer");
  EXPECT_EQ(s->Company, u"Firm");
  auto summaryOnly = Load(Package("<w:p>" + WRun("x") + "</w:p>", {{"docProps/core.xml", core}}),
                          OutputFormat::PlainText, {ContentItem::Summary});
  EXPECT_EQ(summaryOnly->Lines().Count(), 0);
  EXPECT_EQ(summaryOnly->SummaryInformation()->Title, u"The & Title");
}

TEST(WordXFiles, EncryptedNotWordAndWrappedPackages) {
  test::TempDir dir;
  test::CompoundFileBuilder encrypted;
  encrypted.AddStream(u"EncryptedPackage", std::string(100, 'x'));
  encrypted.AddStream(u"EncryptionInfo", "info");
  test::ReaderHarness<DocxReader> reader;
  auto failure = [&](const std::string& path) {
    reader.SetFileName(path); // as the front ends name the file
    try {
      reader.LoadFromFile(path);
    } catch (const Exception& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  // An encryption header of no version Office writes.
  EXPECT_EQ(failure(dir.Write("secret.docx", encrypted.Build())),
            "The document is encrypted with Office encryption version 28265.28518, which this "
            "program cannot decrypt");
  std::string text = dir.Write("text.docx", "plain text");
  EXPECT_EQ(failure(text), "File " + text + " is not valid MS Word document");

  test::CompoundFileBuilder wrapped;
  wrapped.AddStream(u"Package", Package("<w:p>" + WRun("wrapped") + "</w:p>"));
  EXPECT_EQ(Lines(Load(wrapped.Build())->Lines()), L{u"wrapped"});
  EXPECT_EQ(Lines(Load(Package("<w:p>" + WRun("file") + "</w:p>"))->Lines()), L{u"file"});
  reader.LoadFromFile(dir.Write("real.docx", Package("<w:p>" + WRun("x") + "</w:p>")));
  EXPECT_EQ(Lines(reader.Lines()), L{u"x"});
}

// Bytes from a stream (standard input) are refused as the same bytes in a
// file are, instead of reading as an empty document.
TEST(WordXFiles, StreamsThatHoldNoPackageAreRefused) {
  auto failure = [](const std::string& bytes) {
    test::ReaderHarness<DocxReader> reader;
    reader.SetFileName("-");
    MemoryStream stream(bytes);
    try {
      reader.LoadFromStream(stream);
    } catch (const Exception& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  EXPECT_EQ(failure("plain text"), "File - is not valid MS Word document");
  EXPECT_EQ(failure(""), "File - is not valid MS Word document");
  test::CompoundFileBuilder encrypted;
  encrypted.AddStream(u"EncryptedPackage", std::string(100, 'x'));
  // The package without the stream that says how it is encrypted.
  EXPECT_EQ(failure(encrypted.Build()), "The encryption header is damaged");
  test::CompoundFileBuilder other;
  other.AddStream(u"WordDocument", std::string(600, 'w'));
  EXPECT_EQ(failure(other.Build()), "File - is not valid MS Word document");
}

// A compound file's "Package" stream is read from standard input (or a
// stream without a name), never from a named file.
TEST(WordXFiles, WrappedPackageOnlyFromStandardInput) {
  test::CompoundFileBuilder wrapped;
  wrapped.AddStream(u"Package", Package("<w:p>" + WRun("wrapped") + "</w:p>"));
  const std::string bytes = wrapped.Build();
  test::ReaderHarness<DocxReader> fromInput;
  fromInput.SetFileName("-");
  MemoryStream stream(bytes);
  fromInput.LoadFromStream(stream);
  EXPECT_EQ(Lines(fromInput.Lines()), L{u"wrapped"});

  test::TempDir dir;
  const std::string path = dir.Write("wrapped.docx", bytes);
  test::ReaderHarness<DocxReader> fromFile;
  fromFile.SetFileName(path);
  try {
    fromFile.LoadFromFile(path);
    ADD_FAILURE() << "read";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "File " + path + " is not valid MS Word document");
  }
  EXPECT_EQ(fromFile.Lines().Count(), 0);
}

TEST(WordXFiles, DamagedMembers) {
  test::ZipBuilder zip;
  zip.members.push_back({"word/document.xml", DocumentXml("<w:p/>"), 8, false, 5});
  EXPECT_THROW(Load(zip.Build()), ZipCrcError);
  // An archive without members has no local header to start with: not a
  // package, from a stream as from a file.
  EXPECT_THROW(Load(test::ZipBuilder().Build()), Exception);
}

TEST(WordXFiles, APackageCutShortGivesWhatItHolds) {
  test::ZipBuilder zip;
  zip.Add("[Content_Types].xml", "<Types/>");
  zip.Add("word/document.xml", DocumentXml("<w:p>" + WRun("Kept text") + "</w:p>"));
  zip.Add("word/styles.xml", "<w:styles/>");
  std::string package = zip.Build();
  // Cut inside the styles part: no central directory is left, the document
  // part is whole.
  const std::string cut = package.substr(0, package.find("word/styles.xml") + 20);
  EXPECT_EQ(Lines(Load(cut)->Lines()), (L{u"Kept text"}));
  // Cut before the document part: nothing to convert is an error, not an
  // empty document.
  const std::string early = package.substr(0, package.find("word/document.xml") + 10);
  try {
    Load(early);
    ADD_FAILURE() << "converted";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "The archive is damaged: no central directory, no document part");
  }
}

TEST(WordXCorpus, RealDocumentsConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "docx";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".docx")
      continue; // the folder also holds reference texts
    test::ReaderHarness<DocxReader> reader;
    try {
      reader.LoadFromFile(entry.path().string());
    } catch (const Exception& e) {
      EXPECT_TRUE(e.Message().ends_with(" is protected by a password (give it with --password)"))
          << name << ": " << e.Message();
    }
  }
  test::ReaderHarness<DocxReader> greek;
  greek.LoadFromFile((dir / "cos_greek_alphabet.docx").string());
  EXPECT_NE(greek.Lines().GetTextW().find(u"\u0391\u03b1 Alpha"), std::u16string::npos);
}

} // namespace
} // namespace scrivlet
