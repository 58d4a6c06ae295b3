#include "frontend/RequestedFile.h"

#include "core/Ascii.h"

namespace scrivlet {
namespace {

RequestedFile FromBeneath(BeneathFile opened) {
  RequestedFile file;
  file.outcome = opened.outcome;
  file.file = std::move(opened.file);
  file.error = opened.error;
  return file;
}

// Whether another spelling of the name may still find the file: nothing,
// or nothing readable as a document, has the name as written.
bool WorthAnotherSpelling(BeneathOutcome outcome) {
  return outcome == BeneathOutcome::Missing || outcome == BeneathOutcome::NotRegular;
}

} // namespace

bool StaysBelowWorkingDirectory(std::string_view name) {
  if (name.starts_with('/'))
    return false;
  while (!name.empty()) {
    size_t slash = name.find('/');
    if (name.substr(0, slash) == "..")
      return false;
    if (slash == std::string_view::npos)
      break;
    name.remove_prefix(slash + 1);
  }
  return true;
}

RequestedFile OpenRequestedFile(const std::string& fileName, const std::string& documentRoot) {
  if (documentRoot.empty() && !StaysBelowWorkingDirectory(fileName))
    return {};
  RequestedFile asWritten = FromBeneath(OpenFileBeneath(documentRoot, fileName));
  if (!WorthAnotherSpelling(asWritten.outcome))
    return asWritten;
  std::string lowerCase = AsciiLowerCase(std::string(fileName));
  if (lowerCase == fileName)
    return asWritten;
  RequestedFile lower = FromBeneath(OpenFileBeneath(documentRoot, lowerCase));
  return lower.outcome == BeneathOutcome::Missing ? std::move(asWritten) : std::move(lower);
}

} // namespace scrivlet
