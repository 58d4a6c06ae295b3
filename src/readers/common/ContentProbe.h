// A document's bytes as content detection looks at them: the containers
// they may hold (a compound file, a ZIP package) opened once, on first
// asking, for every format's signature test, and never copied.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

class CompoundFile;
class ZipArchive;

class ContentProbe {
public:
  // data must outlive the probe.
  explicit ContentProbe(std::string_view data);
  ~ContentProbe();
  ContentProbe(const ContentProbe&) = delete;
  ContentProbe& operator=(const ContentProbe&) = delete;

  std::string_view Data() const { return FData; }
  bool StartsWith(std::string_view prefix) const { return FData.starts_with(prefix); }

  // Whether the data is a compound file with a stream of this name in its
  // root storage (a damaged compound file has none).
  bool HasRootStream(std::u16string_view name);
  // Whether the data is a ZIP package with this member (letter case
  // ignored).
  bool HasMember(std::string_view name);
  // The package's "mimetype" member without trailing blanks and line
  // breaks; empty when there is none.
  const std::string& MimeType();

private:
  const CompoundFile* Storage();
  const ZipArchive* Package();

  std::string_view FData;
  std::optional<std::unique_ptr<CompoundFile>> FStorage;
  std::optional<std::unique_ptr<ZipArchive>> FPackage;
  std::optional<std::string> FMimeType;
};

} // namespace scrivlet
