#include "crypto/Rc4.h"

#include <algorithm>

namespace scrivlet {

Rc4::Rc4(std::string_view key) {
  static constexpr char ZeroByte = '\0';
  if (key.empty())
    key = std::string_view(&ZeroByte, 1);
  key = key.substr(0, std::min<size_t>(key.size(), ARCFOUR_MAX_KEY_SIZE));
  arcfour_set_key(&FState, key.size(), reinterpret_cast<const uint8_t*>(key.data()));
}

uint8_t Rc4::NextByte() {
  uint8_t byte = 0;
  arcfour_crypt(&FState, 1, &byte, &byte);
  return byte;
}

std::string Rc4::Crypt(std::string_view bytes) {
  std::string out(bytes.size(), '\0');
  arcfour_crypt(&FState, bytes.size(), reinterpret_cast<uint8_t*>(out.data()),
                reinterpret_cast<const uint8_t*>(bytes.data()));
  return out;
}

std::string Rc4::Crypt(std::string_view key, std::string_view bytes) {
  Rc4 rc4(key);
  return rc4.Crypt(bytes);
}

} // namespace scrivlet
