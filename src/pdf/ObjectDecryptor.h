#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

class ObjectDecryptor {
public:
  virtual ~ObjectDecryptor() = default;
  virtual std::string DecryptString(std::string_view bytes, uint32_t objectNumber,
                                    uint16_t generation) const = 0;
  virtual std::string DecryptStream(std::string_view bytes, uint32_t objectNumber,
                                    uint16_t generation) const = 0;
};

} // namespace scrivlet
