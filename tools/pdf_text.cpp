// Prints the page text of PDF files as UTF-8, one page after another, each
// followed by a form feed: the PDF layer's text without the reader around
// it, for tools/compare_words.py and tools/compare_times.py.
//
//   scrivlet_pdf_text FILE...
#include "core/Utf8.h"
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
      std::string out;
      scrivlet::pdf::ForEachPageText(document, [&](const std::u16string& page) {
        out += scrivlet::WideToUtf8(page);
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
