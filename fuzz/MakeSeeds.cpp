// Writes the seed corpus of the fuzz targets: small documents from the test
// builders, and (when a corpus folder is given and exists) its real
// documents of up to 64 KB, each in the folder of the target that reads it.
// Reader targets get the option byte of ReaderTarget.h in front.
//
//   scrivlet_fuzz_seeds OUTPUT_DIR [CORPUS_DIR]
#include "support/CompoundFileBuilder.h"
#include "support/FastCgiClient.h"
#include "support/SampleDocuments.h"
#include "support/VbaBuilder.h"
#include "support/WordBuilder.h"
#include "support/WordPerfectBuilder.h"
#include "support/ZipBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace scrivlet::test;

namespace {

class SeedWriter {
public:
  explicit SeedWriter(fs::path root) : FRoot(std::move(root)) {}

  void Add(const std::string& target, const std::string& bytes) {
    fs::create_directories(FRoot / target);
    fs::path path = FRoot / target / ("seed-" + std::to_string(FCounts[target]++));
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // A document for a reader target: plain text and HTML options.
  void AddDocument(const std::string& target, const std::string& bytes) {
    Add(target, std::string(1, '\x00') + bytes);
    Add(target, std::string(1, '\x02') + bytes);
  }
  size_t Total() const {
    size_t total = 0;
    for (const auto& [target, count] : FCounts)
      total += count;
    return total;
  }

private:
  fs::path FRoot;
  std::map<std::string, size_t> FCounts;
};

std::string WordDocument(uint16_t nFib) {
  WordBuilder word;
  word.nFib = nFib;
  word.pieces = {{u"Hello \x13 PAGE \x14"
                  u"1\x15 world\r",
                  true},
                 {u"\x0416\x0438\x0437\x043D\x044C\x07\x07\r", false}};
  word.summaryInformation =
      PropertySet({PropertyValue::CodePage(1252), PropertyValue::String(2, "Title"),
                   PropertyValue::Int(14, 3)});
  return nFib < 101 ? word.MainStream() : word.Build();
}

std::string Docx() {
  ZipBuilder zip;
  zip.Add("[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>");
  zip.Add("word/document.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document><w:body><w:p><w:pPr><w:pStyle "
          "w:val=\"BoldItalic\"/></w:pPr><w:r><w:t>Hello</w:t></w:r><w:r><w:tab/><w:t>x &amp; "
          "y</w:t></w:r><w:ins><w:r><w:t>new</w:t></w:r></w:ins></w:p><w:tbl><w:tr><w:tc><w:p>"
          "<w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:sectPr><w:headerReference "
          "r:id=\"rId1\"/><w:footerReference r:id=\"rId2\"/></w:sectPr></w:body></w:document>");
  zip.Add("word/_rels/document.xml.rels",
          "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"rId1\" "
          "Target=\"header1.xml\"/><Relationship Id=\"rId2\" "
          "Target=\"/word/footer1.xml\"/></Relationships>");
  zip.Add("word/header1.xml", "<w:hdr><w:p><w:r><w:t>head</w:t></w:r></w:p></w:hdr>");
  zip.Add("word/footer1.xml", "<w:ftr><w:p><w:r><w:t>foot</w:t></w:r></w:p></w:ftr>");
  zip.Add("word/footnotes.xml",
          "<w:footnotes><w:footnote><w:p><w:r><w:t>note</w:t></w:r></w:p></w:footnote>"
          "</w:footnotes>");
  zip.Add("docProps/core.xml", "<cp:coreProperties><dc:title>T</dc:title><dcterms:created>"
                               "2020-01-02T03:04:05Z</dcterms:created></cp:coreProperties>");
  return zip.Build();
}

std::string OpenDocument() {
  ZipBuilder zip;
  zip.Add("mimetype", "application/vnd.oasis.opendocument.text", 0);
  zip.Add("content.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content>"
          "<office:automatic-styles><style:style style:name=\"P1\"><style:text-properties "
          "fo:font-weight=\"bold\"/></style:style></office:automatic-styles><office:body>"
          "<office:text><text:h>Title</text:h><text:p text:style-name=\"P1\">One<text:s "
          "text:c=\"3\"/>two<text:tab/></text:p><text:list><text:list-item><text:p>item</text:p>"
          "</text:list-item></text:list><table:table><table:table-row><table:table-cell>"
          "<text:p>c</text:p></table:table-cell></table:table-row></table:table></office:text>"
          "</office:body></office:document-content>");
  zip.Add("meta.xml", "<office:document-meta><office:meta><dc:title>T</dc:title></office:meta>"
                      "</office:document-meta>");
  return zip.Build();
}

std::string FictionBook() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info>"
         "<author><first-name>Ann</first-name><last-name>Lee</last-name></author><book-title>"
         "Book</book-title></title-info></description><body><section><title><p>One</p></title>"
         "<p>Text <emphasis>and</emphasis> more</p><empty-line/><poem><stanza><v>verse</v>"
         "</stanza></poem></section></body></FictionBook>";
}

std::string Epub() {
  ZipBuilder zip;
  zip.Add("mimetype", "application/epub+zip", 0);
  zip.Add("META-INF/container.xml",
          "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"OEBPS/content.opf\" "
          "media-type=\"application/oebps-package+xml\"/></rootfiles></container>");
  zip.Add("OEBPS/content.opf",
          "<?xml version=\"1.0\"?><package><metadata><dc:title>Book</dc:title><meta "
          "name=\"cover\" content=\"c\"/></metadata><manifest><item id=\"a\" href=\"a.xhtml\" "
          "media-type=\"application/xhtml+xml\"/><item id=\"c\" href=\"c.jpg\" "
          "media-type=\"image/jpeg\"/></manifest><spine><itemref idref=\"a\"/></spine></package>");
  zip.Add("OEBPS/a.xhtml", "<?xml version=\"1.0\"?><html><body><h1>Head</h1><p>Para <b>b</b></p>"
                           "<div>block</div><ul><li>item</li></ul></body></html>");
  zip.Add("OEBPS/c.jpg", "\xFF\xD8\xFF", 0);
  return zip.Build();
}

std::string WordPerfect() {
  WordPerfectBuilder wp;
  wp.body = "Hello " + WordPerfectBuilder::Attribute(12, true) + "bold" +
            WordPerfectBuilder::Attribute(12, false) + WordPerfectBuilder::Extended(1, 4) +
            WordPerfectBuilder::FontChange(0, 1200) + "\xCC" + "second";
  return wp.Build();
}

void WriteBuilderSeeds(SeedWriter& seeds) {
  const std::string doc97 = WordDocument(193), doc6 = WordDocument(101), doc2 = WordDocument(45);
  const std::string generatedDoc = GeneratedWordDocument(1500);
  for (const std::string* doc : {&doc97, &doc6, &doc2, &generatedDoc})
    seeds.AddDocument("DocFuzzer", *doc);
  seeds.AddDocument("DocxFuzzer", Docx());
  seeds.AddDocument("DocxFuzzer", GeneratedWordXDocument(1500));
  seeds.AddDocument("WordPerfectFuzzer", WordPerfect());
  seeds.AddDocument("WriteFuzzer", SampleWriteLetter());
  seeds.AddDocument("WriteFuzzer", GeneratedWriteDocument(1500));
  seeds.AddDocument("OpenDocumentFuzzer", OpenDocument());
  seeds.Add("OpenDocumentFuzzer", "\x80" + OpenDocument()); // the presentation reader
  seeds.AddDocument("FictionBookFuzzer", FictionBook());
  seeds.AddDocument("EpubFuzzer", Epub());

  CompoundFileBuilder storage;
  storage.AddStream(u"Small", "tiny");
  storage.AddStream(u"Big", std::string(5000, 'x'));
  storage.AddStream(u"Macros/VBA/dir", "dir");
  seeds.Add("CompoundFileFuzzer", storage.Build());
  seeds.Add("CompoundFileFuzzer", doc97);
  seeds.Add("CompoundFileFuzzer", CompoundFileBuilder(4).Build());

  // The VBA target's first byte: 0 a container, 1 "dir", 2 "_VBA_PROJECT",
  // 3 and up a compound file.
  VbaProjectBuilder project;
  project.AddModule("ThisDocument", "Attribute VB_Name = \"ThisDocument\"\r\n").cacheSize = 775;
  project.AddModule("Module1", "Attribute VB_Name = \"Module1\"\r\nSub M()\r\n"
                               "    MsgBox \"Hello Hello Hello\"\r\nEnd Sub\r\n");
  CompoundFileBuilder macros;
  macros.AddStream(u"WordDocument", std::string(600, 'w'));
  project.AddTo(macros, u"Macros");
  seeds.Add("VbaFuzzer", "\x03" + macros.Build());
  seeds.Add("VbaFuzzer", std::string(1, '\x00') + CompressVba(project.modules[1].source));
  seeds.Add("VbaFuzzer", "\x01" + project.DirStream());
  seeds.Add("VbaFuzzer", "\x02" + project.PerformanceCache());

  for (const std::string& zip : {Docx(), OpenDocument(), Epub()})
    seeds.Add("ZipArchiveFuzzer", zip);
  ZipBuilder zip;
  zip.Add("stored.txt", "stored", 0);
  zip.members.push_back({"descriptor.xml", "<a>described</a>", 8, true, 0});
  zip.comment = "comment";
  seeds.Add("ZipArchiveFuzzer", zip.Build());

  seeds.Add("XmlParserFuzzer", std::string(1, '\x00') + FictionBook());
  seeds.Add("XmlParserFuzzer",
            "\x03<?xml version=\"1.0\" encoding=\"windows-1251\"?><!-- c --><a x='1' y=\"&lt;\">"
            "t<![CDATA[<raw>]]><b/>tail&#x41;&amp;</a>");
  seeds.Add("XmlParserFuzzer", std::string("\x01\xFF\xFE<\0a\0>\0x\0<\0/\0a\0>\0", 19));

  for (const char* query :
       {"filename=a.doc&firstpage=1", "filename=%22x%00.wpd%22", "firstpage=true&filename='b.fb2'",
        "filename=..%2F..%2Fetc%2Fpasswd\nQUERY_STRING=filename=c.epub", "filename=%%41+%zz%4"})
    seeds.Add("CgiRequestFuzzer", query);
  // Two bytes of length, the parameters as NAME=value lines, the body.
  auto fastCgi = [&](const std::vector<std::pair<std::string, std::string>>& params,
                     const std::string& body) {
    std::string content;
    for (const auto& [name, value] : params)
      content += name + "=" + value + "\n";
    seeds.Add("FastCgiRequestFuzzer", std::string(1, static_cast<char>(content.size() >> 8)) +
                                          static_cast<char>(content.size() & 0xFF) + content +
                                          body);
  };
  fastCgi({{"QUERY_STRING", "filename=a.doc&firstpage=1"}, {"REQUEST_METHOD", "GET"}}, "");
  fastCgi({{"QUERY_STRING", ""},
           {"REQUEST_METHOD", "POST"},
           {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
           {"CONTENT_LENGTH", "40"},
           {"SCRIPT_NAME", "/cgi-bin/scrivlet.cgi"}},
          "filename=locked.pdf&password=p%26ss+word");
  fastCgi({{"REQUEST_METHOD", "POST"},
           {"CONTENT_TYPE", "application/x-www-form-urlencoded; charset=UTF-8"},
           {"CONTENT_LENGTH", "70000"}},
          "password=x");
  fastCgi({{"QUERY_STRING", "filename=..%2F..%2Fetc%2Fpasswd"}, {"QUERY_STRING", "x=%00"}}, "");
  seeds.Add("ConfigFileFuzzer", "[Head]\r\n<meta name=x>\r\n[EndOfBody]\nkey = value\n\n"
                                "[DocumentRoot]\r/srv/docs\r[Other]\n");
}

// Corpus documents by the folder (or extension) that names their format.
void WriteCorpusSeeds(SeedWriter& seeds, const fs::path& corpus) {
  const std::map<std::string, std::vector<std::string>> targets = {
      {"doc", {"DocFuzzer", "CompoundFileFuzzer", "VbaFuzzer"}},
      {"docx", {"DocxFuzzer", "ZipArchiveFuzzer"}},
      {"wpd", {"WordPerfectFuzzer"}},
      {"wri", {"WriteFuzzer"}},
      {"odt", {"OpenDocumentFuzzer"}},
      {"odp", {"OpenDocumentFuzzer"}},
      {"fb2", {"FictionBookFuzzer", "XmlParserFuzzer"}},
      {"epub", {"EpubFuzzer"}},
      {"pdf", {"PdfFuzzer"}}};
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(corpus, error)) {
    if (!entry.is_regular_file() || entry.file_size() > 64 * 1024)
      continue;
    std::string extension = entry.path().extension().string();
    if (extension.empty())
      continue;
    for (char& c : extension)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto found = targets.find(extension.substr(1));
    if (found == targets.end())
      continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const std::string& target : found->second) {
      bool reader = target != "CompoundFileFuzzer" && target != "ZipArchiveFuzzer" &&
                    target != "PdfFuzzer" && target != "VbaFuzzer";
      if (target == "VbaFuzzer")
        seeds.Add(target, "\x03" + bytes);
      else if (target == "XmlParserFuzzer" || reader)
        seeds.Add(target, std::string(1, '\x00') + bytes);
      else
        seeds.Add(target, bytes);
    }
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scrivlet_fuzz_seeds OUTPUT_DIR [CORPUS_DIR]\n");
    return 2;
  }
  SeedWriter seeds(argv[1]);
  WriteBuilderSeeds(seeds);
  if (argc > 2 && fs::is_directory(argv[2]))
    WriteCorpusSeeds(seeds, argv[2]);
  std::printf("wrote %zu seeds to %s\n", seeds.Total(), argv[1]);
  return 0;
}
