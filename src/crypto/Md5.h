// MD5 message digest (RFC 1321), in the incremental init / update / final
// shape: the PDF security handler feeds its inputs piece by piece.
#pragma once

#include <nettle/md5.h>

#include <string>
#include <string_view>

namespace scrivlet {

class Md5 {
public:
  static constexpr size_t DigestSize = 16;

  Md5() { Init(); }

  // Starts a new message (the constructor already did).
  void Init();
  // Hashes the bytes; any length, including none, in any number of calls.
  void Update(std::string_view bytes);
  // The 16-byte digest of everything hashed since Init; starts a new message.
  std::string Final();

  // The digest of one message given whole.
  static std::string Digest(std::string_view bytes);

private:
  md5_ctx FContext;
};

} // namespace scrivlet
