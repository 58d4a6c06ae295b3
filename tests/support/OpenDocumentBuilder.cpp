#include "support/OpenDocumentBuilder.h"

#include "support/ZipBuilder.h"

namespace scrivlet::test {
namespace {

constexpr const char* kNamespaces =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";

} // namespace

std::string OpenDocumentBuilder::Content() const {
  const std::string kind = presentation ? "presentation" : "text";
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content") +
         kNamespaces + " office:version=\"1.2\"><office:automatic-styles>" + automaticStyles +
         "</office:automatic-styles><office:body><office:" + kind + ">" + body +
         "</office:" + kind + "></office:body></office:document-content>";
}

std::string OpenDocumentBuilder::Build() const {
  ZipBuilder zip;
  zip.Add("mimetype",
          presentation ? "application/vnd.oasis.opendocument.presentation"
                       : "application/vnd.oasis.opendocument.text",
          0);
  zip.Add("content.xml", Content());
  if (!commonStyles.empty())
    zip.Add("styles.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                      "<office:document-styles") +
                              kNamespaces + "><office:styles>" + commonStyles +
                              "</office:styles><office:automatic-styles><style:style "
                              "style:name=\"T1\" style:family=\"text\"><style:text-properties "
                              "fo:font-weight=\"bold\"/></style:style></office:automatic-styles>"
                              "</office:document-styles>");
  if (!meta.empty())
    zip.Add("meta.xml", meta);
  return zip.Build();
}

} // namespace scrivlet::test
