#include "storage/XorObfuscation.h"

namespace scrivlet {
namespace {

constexpr size_t kMaxPassword = 15;

// [MS-OFFCRYPTO] 2.3.7.2: the key's start by password length, and what each
// set bit of the password's characters XORs into it.
constexpr uint16_t kInitialCode[kMaxPassword] = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C,
                                                 0x0E10, 0xF1CE, 0x313E, 0x1872, 0xE139,
                                                 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};
constexpr uint16_t kXorMatrix[105] = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7,
    0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4,
    0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45,
    0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC,
    0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD,
    0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483,
    0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373,
    0x06E6, 0x0DCC, 0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4};
// What fills the array past a short password.
constexpr uint8_t kPadArray[kMaxPassword] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                             0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

std::string PasswordBytes(std::u16string_view password) {
  std::string bytes;
  for (char16_t c : password.substr(0, kMaxPassword)) {
    const auto low = static_cast<uint8_t>(c & 0xFF);
    bytes += static_cast<char>(low != 0 ? low : static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

// 2.3.7.1: each byte, last first, after the verifier rotated left within
// 15 bits; the count of bytes comes first.
uint16_t PasswordVerifier(std::string_view password) {
  std::string bytes = static_cast<char>(password.size()) + std::string(password);
  uint16_t verifier = 0;
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    const uint16_t high = (verifier & 0x4000) != 0 ? 1 : 0;
    verifier = static_cast<uint16_t>(((verifier << 1) & 0x7FFF) | high);
    verifier ^= static_cast<uint8_t>(*it);
  }
  return verifier ^ 0xCE4B;
}

uint16_t XorKey(std::string_view password) {
  if (password.empty())
    return 0;
  uint16_t key = kInitialCode[password.size() - 1];
  size_t element = 104;
  for (auto it = password.rbegin(); it != password.rend(); ++it) {
    auto c = static_cast<uint8_t>(*it);
    for (int bit = 0; bit < 7; ++bit, --element) {
      if ((c & 0x40) != 0)
        key ^= kXorMatrix[element];
      c = static_cast<uint8_t>(c << 1);
    }
  }
  return key;
}

uint8_t XorRor(uint8_t a, uint8_t b) {
  const auto x = static_cast<uint8_t>(a ^ b);
  return static_cast<uint8_t>((x >> 1) | (x << 7));
}

} // namespace

XorObfuscation::XorObfuscation(std::u16string_view password)
    : FPassword(PasswordBytes(password)), FVerifier(PasswordVerifier(FPassword)),
      FKey(XorKey(FPassword)) {
  if (FPassword.empty())
    return; // Word asks for one character at least: nothing matches
  // 2.3.7.3: the password's bytes and the pad, each XORed with the key's
  // high or low byte and rotated right.
  const auto high = static_cast<uint8_t>(FKey >> 8), low = static_cast<uint8_t>(FKey & 0xFF);
  auto put = [this](int index, uint8_t value, uint8_t keyByte) {
    FArray[static_cast<size_t>(index)] = XorRor(value, keyByte);
  };
  auto passwordByte = [this](int index) {
    return static_cast<uint8_t>(FPassword[static_cast<size_t>(index)]);
  };
  int index = static_cast<int>(FPassword.size());
  if (index % 2 == 1) {
    put(index, kPadArray[0], high);
    --index;
    put(index, passwordByte(index), low);
  }
  while (index > 0) {
    --index;
    put(index, passwordByte(index), high);
    --index;
    put(index, passwordByte(index), low);
  }
  index = 15;
  int pad = static_cast<int>(kMaxPassword - FPassword.size());
  while (pad > 0) {
    put(index--, kPadArray[pad--], high);
    put(index--, kPadArray[pad--], low);
  }
}

void XorObfuscation::Apply(std::string& bytes, uint64_t from) const {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    const uint8_t key = FArray[(from + i) % 16];
    if (byte != 0 && byte != key)
      bytes[i] = static_cast<char>(byte ^ key);
  }
}

} // namespace scrivlet
