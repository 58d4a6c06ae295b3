// Word 2007+ documents saved with a password: the compound file that holds
// the package encrypted (standard or agile encryption), opened with the
// password the options give.
#pragma once

#include "core/ReaderOptions.h"
#include "core/WorkBudget.h"

#include <string>

namespace scrivlet {

class CompoundFile;

// Whether the compound file holds an encrypted package.
bool HoldsEncryptedPackage(const CompoundFile& storage);

// The decrypted package (a ZIP archive).  Raises PasswordError when the
// password does not open it, UnsupportedEncryption for an encryption this
// reader cannot decrypt, LimitExceeded for a key derivation past the
// rounds limit (before it runs), and Exception for a damaged one.  The key
// derivation's rounds and the package's bytes are paid from the budget.
std::string DecryptDocxPackage(const CompoundFile& storage, const ReaderOptions& options,
                               const std::string& fileName, WorkBudget& budget);

} // namespace scrivlet
