// The RC4 stream cipher.  The same operation encrypts and decrypts; the
// state advances with every byte, so one object serves one continuous
// message.
#pragma once

#include <nettle/arcfour.h>

#include <string>
#include <string_view>

namespace scrivlet {

class Rc4 {
public:
  // Key schedule of the key's bytes.  RC4 keys have 1 to 256 bytes: a longer
  // key only repeats its first 256 bytes in the schedule, so it is cut to
  // them; an empty key is taken as the single byte 0 (the schedule cannot
  // cycle through no bytes).
  explicit Rc4(std::string_view key);

  // The next byte of the key stream.
  uint8_t NextByte();
  // The bytes XOR the next bytes of the key stream.
  std::string Crypt(std::string_view bytes);

  // One message under a fresh key schedule.
  static std::string Crypt(std::string_view key, std::string_view bytes);

private:
  arcfour_ctx FState;
};

} // namespace scrivlet
