// The values of a PDF encryption dictionary that the standard security
// handler needs, as plain data: filling it from the file is the document
// reader's business, checking and using it the handler's.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace scrivlet {

// One entry of the "/cf" dictionary.  Names are kept lower-cased with their
// leading slash ("/aesv2"); an absent name is empty.
struct CryptFilterEntry {
  std::string Method;    // "/cfm"
  std::string AuthEvent; // "/authevent"
  int32_t Length = 0;    // "/length": bits, though many writers give bytes
};

struct EncryptionDictionary {
  std::string Filter;                                   // "/filter", lower-cased ("/standard")
  int32_t Version = 0;                                  // "/v"
  int32_t Length = 0;                                   // "/length" in bits; 0 when absent
  int32_t Revision = 0;                                 // "/r"
  std::string Owner;                                    // "/o", bytes
  std::string User;                                     // "/u", bytes
  std::string OwnerKey;                                 // "/oe", bytes (revisions 5 and 6)
  std::string UserKey;                                  // "/ue", bytes (revisions 5 and 6)
  std::string Perms;                                    // "/perms", bytes (revisions 5 and 6)
  int32_t Permissions = 0;                              // "/p"
  bool EncryptMetadata = true;                          // false only for "/encryptmetadata false"
  std::map<std::string, CryptFilterEntry> CryptFilters; // "/cf", by lower-cased name
  std::string StreamFilter;                             // "/stmf", lower-cased; empty when absent
  std::string StringFilter;                             // "/strf"
  std::string FileFilter;                               // "/eff"
};

} // namespace scrivlet
