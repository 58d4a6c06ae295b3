#include "readers/docx/EncryptedDocx.h"

#include "core/CodePage.h"
#include "core/Exception.h"
#include "readers/docx/AgileDescriptor.h"
#include "storage/CompoundFile.h"
#include "storage/EncryptedPackage.h"

namespace scrivlet {

bool HoldsEncryptedPackage(const CompoundFile& storage) {
  return storage.Find(CompoundFile::kRoot, u"EncryptedPackage", CompoundFile::ElementKind::Stream)
      .has_value();
}

std::string DecryptDocxPackage(const CompoundFile& storage, const ReaderOptions& options,
                               const std::string& fileName, WorkBudget& budget) {
  auto infoStream = storage.OpenStream(CompoundFile::kRoot, u"EncryptionInfo");
  auto package = storage.OpenStream(CompoundFile::kRoot, u"EncryptedPackage");
  if (!infoStream || !package)
    throw Exception("The encryption header is damaged");
  const EncryptionInfo info = ReadEncryptionInfo(infoStream->Data());
  const std::u16string password = AnsiToWide(options.password, options.systemCodePage);
  const uint64_t roundsLimit = options.limits.keyDerivationRounds;
  std::optional<std::string> plain;
  if (info.kind == EncryptionInfo::Kind::Standard) {
    budget.SpendKeyDerivation(kStandardEncryptionRounds, roundsLimit);
    budget.SpendWork(package->Data().size());
    plain = DecryptStandardPackage(info.standard, password, package->Data());
  } else {
    const AgileEncryption agile = ReadAgileDescriptor(info.agileDescriptor, options.limits);
    budget.SpendKeyDerivation(agile.passwordKey.spinCount, roundsLimit);
    // The HMAC and the decryption each read the whole package.
    budget.SpendWork(2 * uint64_t{package->Data().size()});
    plain = DecryptAgilePackage(agile, password, package->Data());
  }
  if (!plain)
    throw PasswordError(fileName, !options.password.empty());
  return std::move(*plain);
}

} // namespace scrivlet
