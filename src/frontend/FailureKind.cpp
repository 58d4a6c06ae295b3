#include "frontend/FailureKind.h"

#include "core/Ascii.h"
#include "readers/common/ContentProbe.h"

#include <string>

namespace scrivlet {
namespace {

// A password refused; older readers say "password" in every message that
// stops for one ("Could not read the password protected file").
bool StopsForPassword(const Conversion& conversion) {
  return conversion.passwordRefused ||
         (conversion.encrypted &&
          AsciiLowerCase(conversion.error).find("password") != std::string::npos);
}

bool CarriesSignature(const ReaderKind& kind, std::string_view bytes) {
  ContentProbe probe(bytes);
  return kind.hasSignature(probe);
}

} // namespace

FailureKind FailureOf(const Conversion& conversion, std::string_view bytes, bool passwordGiven) {
  if (!conversion.failed)
    return FailureKind::None;
  if (!conversion.read || conversion.kind == nullptr)
    return FailureKind::FileUnreadable;
  if (conversion.limitExceeded)
    return FailureKind::LimitExceeded;
  if (StopsForPassword(conversion))
    return passwordGiven ? FailureKind::InvalidPassword : FailureKind::PasswordRequired;
  if (!CarriesSignature(*conversion.kind, bytes))
    return FailureKind::UnsupportedFormat;
  return FailureKind::DamagedDocument;
}

} // namespace scrivlet
