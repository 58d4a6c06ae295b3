// A small EPUB package for tests: the mimetype, the container, a package
// document whose spine lists the content documents in order, and those
// documents (each an XHTML body given as text).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace scrivlet::test {

class EpubBuilder {
public:
  // Adds a content document (name under OEBPS/) whose body is body.
  EpubBuilder& Chapter(const std::string& name, const std::string& body);
  std::string Build() const;

  // More of the package's metadata, after its dc:title.
  std::string metadata;

  // An XHTML 1.1 document with the EPUB namespace declared.
  static std::string Xhtml(const std::string& body);

private:
  std::vector<std::pair<std::string, std::string>> FChapters;
};

} // namespace scrivlet::test
