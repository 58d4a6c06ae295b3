#include "readers/common/ContentProbe.h"

#include "core/Exception.h"
#include "storage/CompoundFile.h"
#include "zip/ZipArchive.h"

#include <exception>

namespace scrivlet {

ContentProbe::ContentProbe(std::string_view data) : FData(data) {}

ContentProbe::~ContentProbe() = default;

const CompoundFile* ContentProbe::Storage() {
  if (!FStorage) {
    FStorage.emplace();
    try {
      *FStorage = CompoundFile::TryOpenView(FData);
    } catch (const std::exception&) {
      // a damaged compound file names no format; its reader reports it
    }
  }
  return FStorage->get();
}

const ZipArchive* ContentProbe::Package() {
  if (!FPackage) {
    FPackage.emplace();
    if (HasZipSignature(FData)) {
      try {
        auto zip = std::make_unique<ZipArchive>();
        zip->LoadFromView(FData);
        *FPackage = std::move(zip);
      } catch (const std::exception&) {
        // a damaged package names no format; the extension decides
      }
    }
  }
  return FPackage->get();
}

bool ContentProbe::HasRootStream(std::u16string_view name) {
  const CompoundFile* storage = Storage();
  if (storage == nullptr)
    return false;
  try {
    return storage->Find(CompoundFile::kRoot, name, CompoundFile::ElementKind::Stream).has_value();
  } catch (const std::exception&) {
    return false; // a damaged directory names nothing; the reader reports the damage
  }
}

bool ContentProbe::HasMember(std::string_view name) {
  const ZipArchive* package = Package();
  return package != nullptr && package->IndexOfFile(name) >= 0;
}

const std::string& ContentProbe::MimeType() {
  if (!FMimeType) {
    FMimeType.emplace();
    if (HasMember("mimetype")) {
      try {
        *FMimeType = Package()->GetFileByName("mimetype");
      } catch (const std::exception&) {
        // a member that cannot be read names no format
      }
      std::string& type = *FMimeType;
      while (!type.empty() && (type.back() == '\n' || type.back() == '\r' || type.back() == ' '))
        type.pop_back();
    }
  }
  return *FMimeType;
}

} // namespace scrivlet
