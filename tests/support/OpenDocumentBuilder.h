// Builds OpenDocument packages for the tests: content.xml around a body
// and its automatic styles, styles.xml around common styles, meta.xml as
// given.
#pragma once

#include <string>

namespace scrivlet::test {

struct OpenDocumentBuilder {
  std::string body;            // what office:text (or office:presentation) holds
  std::string automaticStyles; // content.xml's office:automatic-styles
  std::string commonStyles;    // styles.xml's office:styles; no styles.xml when empty
  std::string meta;            // the whole meta.xml; none when empty
  bool presentation = false;

  std::string Content() const;
  std::string Build() const;
};

} // namespace scrivlet::test
