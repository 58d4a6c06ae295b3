#include "support/EpubBuilder.h"

#include "support/ZipBuilder.h"

namespace scrivlet::test {

EpubBuilder& EpubBuilder::Chapter(const std::string& name, const std::string& body) {
  FChapters.emplace_back(name, Xhtml(body));
  return *this;
}

std::string EpubBuilder::Xhtml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">"
         "<head><title>t</title></head><body>" +
         body + "</body></html>";
}

std::string EpubBuilder::Build() const {
  ZipBuilder zip;
  zip.Add("mimetype", "application/epub+zip", 0);
  zip.Add("META-INF/container.xml",
          "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"OEBPS/content.opf\" "
          "media-type=\"application/oebps-package+xml\"/></rootfiles></container>");
  std::string manifest, spine;
  for (size_t i = 0; i < FChapters.size(); ++i) {
    const std::string id = "c" + std::to_string(i);
    manifest += "<item id=\"" + id + "\" href=\"" + FChapters[i].first +
                "\" media-type=\"application/xhtml+xml\"/>";
    spine += "<itemref idref=\"" + id + "\"/>";
  }
  zip.Add("OEBPS/content.opf",
          "<?xml version=\"1.0\"?><package><metadata><dc:title>Book</dc:title>" + metadata +
              "</metadata><manifest>" + manifest + "</manifest><spine>" + spine +
              "</spine></package>");
  for (const auto& [name, xhtml] : FChapters)
    zip.Add("OEBPS/" + name, xhtml);
  return zip.Build();
}

} // namespace scrivlet::test
