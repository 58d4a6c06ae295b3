// The document part's relationships (word/_rels/document.xml.rels): the
// parts it refers to (headers, footers, styles, numbering, comments) and
// the targets of its hyperlinks.  Identifiers compare ignoring letter case.
#pragma once

#include "core/Limits.h"

#include <map>
#include <string>
#include <string_view>

namespace scrivlet {

class ZipArchive;

class DocxRelationships {
public:
  struct Relationship {
    std::string member;    // the part it names, as a package member name
    std::u16string target; // the Target as written (an external link's URL)
    std::u16string type;   // the Type, a URI ending in the kind of part
  };

  // Reads the document's relationships, the first of equal identifiers
  // standing; none when the part is missing.
  void Read(const ZipArchive& zip, const Limits& limits, int codePage);

  // The relationship of that identifier, or nullptr.
  const Relationship* Find(const std::u16string& id) const;
  // The member of a relationship whose type ends in "/" + kind
  // ("styles", "numbering", "comments"), else fallback.
  std::string MemberOfType(std::u16string_view kind, std::string fallback) const;

private:
  std::map<std::u16string, Relationship> FById; // folded identifier
};

} // namespace scrivlet
