// Prints the page text of PDF files as UTF-8, one page after another, each
// followed by a form feed: the PDF layer's text without the reader around
// it, for tools/compare_words.py and timing.
//
//   scrivlet_pdf_text FILE...
#include "core/CodePage.h"
#include "core/Exception.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"
#include "pdf/content/DocumentText.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    std::ostringstream data;
    data << file.rdbuf();
    try {
      scrivlet::pdf::PdfDocument document(data.str());
      scrivlet::pdf::DocumentText text(document, scrivlet::pdf::LegacyCodePageFromEnvironment());
      std::string out;
      scrivlet::pdf::WalkPages(document, [&](scrivlet::pdf::PdfPage& page) {
        out += scrivlet::WideToUtf8(text.PageText(page));
        out += "\n\f";
      });
      std::fwrite(out.data(), 1, out.size(), stdout);
    } catch (const std::exception& error) {
      std::cerr << argv[i] << ": " << error.what() << "\n";
      status = 1;
    }
  }
  return status;
}
