// Exceptions of the reader library and the programs.
//
// Every failure travels as an Exception carrying a ready message; the front
// ends show that message to the user.  Messages are byte strings in the
// system code page, like every other text at the library's edges.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace scrivlet {

// One argument of Format: a text for "%s" or a number for "%d".
using FormatArg = std::variant<std::string_view, int64_t>;

// Replaces each "%s" and "%d" of the pattern by the next argument, in order;
// "%%" gives one percent sign.  A pattern that asks for more arguments than
// given keeps the remaining escapes as they stand.
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  Exception(std::string_view pattern, std::initializer_list<FormatArg> args)
      : FMessage(Format(pattern, args)) {}

  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

// Reading past the end of a stream, or a failed read.
class ReadError : public Exception {
public:
  ReadError() : Exception("Stream read error") {}
  using Exception::Exception;
};

// A file that exists but cannot be opened.
class FileOpenError : public Exception {
public:
  using Exception::Exception;
};

// A text that should have been a whole number.
class ConversionError : public Exception {
public:
  using Exception::Exception;
};

// Compound-file (structured storage) failures.
class StorageError : public Exception {
public:
  using Exception::Exception;
};

// An encrypted document that the password given does not open: with none
// given, "FILE is protected by a password (give it with --password)"; with
// one, "The password is not valid".  Front ends ask for a password on it.
class PasswordError : public Exception {
public:
  PasswordError(std::string_view fileName, bool passwordGiven);
};

// An encryption the document uses that this build cannot decrypt; the
// message names it.
class UnsupportedEncryption : public Exception {
public:
  explicit UnsupportedEncryption(std::string_view encryption)
      : Exception("The document is encrypted with %s, which this program cannot decrypt",
                  {encryption}) {}
};

// A list index outside its bounds.
class ListIndexError : public Exception {
public:
  using Exception::Exception;
};

} // namespace scrivlet
