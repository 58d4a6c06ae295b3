// A reader that formats its own output: the layering check refuses it.
#include "readers/common/DocumentReader.h"

namespace scrivlet {

std::u16string Paragraph(OutputFormat format, std::u16string text) {
  return format == OutputFormat::Html ? u"<p>" + text + u"</p>" : text;
}

} // namespace scrivlet
