// Prints the page text of PDF files as UTF-8, one page after another, each
// followed by a form feed: the PDF layer's text without the reader around
// it, for tools/compare_words.py and tools/compare_times.py.
//
//   scrivlet_pdf_text FILE...
#include "pdf/PdfDocument.h"
#include "pdf/content/DocumentText.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

} // namespace

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
        AppendUtf8(out, page);
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
