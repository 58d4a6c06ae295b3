// The OpenDocument, EPUB and WordPerfect readers on generated documents.
#include "ReadDocument.h"
#include "readers/epub/EpubReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "readers/wordperfect/WordPerfectReader.h"
#include "support/WordPerfectBuilder.h"
#include "support/ZipBuilder.h"

#include <benchmark/benchmark.h>

namespace {

std::string Paragraphs(size_t bytes, const std::string& paragraph) {
  std::string body;
  while (body.size() < bytes)
    body += paragraph;
  return body;
}

std::string OpenDocument(size_t bytes) {
  scrivlet::test::ZipBuilder zip;
  zip.Add("content.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content><office:body>"
          "<office:text>" +
              Paragraphs(bytes, "<text:p text:style-name=\"P1\">The quick <text:span>brown"
                                "</text:span> fox<text:s text:c=\"2\"/>jumps &amp; caf\xc3\xa9"
                                "<text:tab/>end</text:p>\n") +
              "</office:text></office:body></office:document-content>");
  return zip.Build();
}

std::string Epub(size_t bytes) {
  scrivlet::test::ZipBuilder zip;
  zip.Add("META-INF/container.xml",
          "<container><rootfiles><rootfile full-path=\"OEBPS/c.opf\"/></rootfiles></container>");
  zip.Add("OEBPS/c.opf", "<package><manifest><item id=\"a\" href=\"a.xhtml\" "
                         "media-type=\"application/xhtml+xml\"/></manifest><spine>"
                         "<itemref idref=\"a\"/></spine></package>");
  zip.Add("OEBPS/a.xhtml", "<?xml version=\"1.0\" encoding=\"utf-8\"?><html><body>" +
                               Paragraphs(bytes, "<h2>Title</h2><p>The quick <em>brown</em> fox "
                                                 "&amp; caf\xc3\xa9.</p>\n") +
                               "</body></html>");
  return zip.Build();
}

std::string WordPerfect(size_t bytes) {
  scrivlet::test::WordPerfectBuilder b;
  b.body = Paragraphs(bytes, "The quick " + b.Attribute(12, true) + "brown" +
                                 b.Attribute(12, false) + " fox caf\x10 jumps.\xCC");
  return b.Build();
}

template <class Reader, std::string (*Make)(size_t)> void BM_Reader(benchmark::State& state) {
  const std::string file = Make(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(scrivlet::bench::ReadAndDescribe<Reader>(file));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Reader<scrivlet::OpenDocumentTextReader, OpenDocument>)
    ->Arg(2 << 20)
    ->Arg(8 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reader<scrivlet::EpubReader, Epub>)
    ->Arg(2 << 20)
    ->Arg(8 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reader<scrivlet::WordPerfectReader, WordPerfect>)
    ->Arg(2 << 20)
    ->Arg(8 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
