// Text operations on PDF objects.
//
// The PDF engine does not build an object tree: an object is the byte string
// of its source text, and values are pulled out of it by searching for their
// keys.  These are those operations.  All of them work on bytes (one char per
// byte) and never read outside the text they are given.
//
// Keys are written with their "/" ("/type", "/Length").  A key matches
// without regard to letter case, only as a whole name (the next byte is
// white space, a delimiter or the end: "/font" never matches "/fontfile"),
// and, when the name occurs at several nesting levels, the occurrence at the
// outermost level wins (so a page's "/type" is found before the "/type" of
// a font dictionary written inline in its resources).  The search stops at
// the keyword "stream" that follows a dictionary: stream data are never
// searched.  Values are cut from the text as passed, so their letter case is
// kept; compare names with NameIs.
//
// Stable interface: the page-text and security code build on these
// signatures.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

// Tab, line feed, carriage return, space, form feed and NUL.
bool IsWhiteSpace(char c);
// ( ) < > [ ] { } / %
bool IsDelimiter(char c);

// ASCII letters lowered; every other byte unchanged.
std::string LowerAscii(std::string_view text);
// Whether a name value (with its "/") equals the name, ignoring case.
bool NameIs(std::string_view value, std::string_view name);
// White space removed from both ends.
std::string_view Trim(std::string_view text);

// A whole decimal number at the start of the value ("12", "-3", "+7"; a
// real number gives its whole part); anything else gives the fallback.
int64_t ToInteger(std::string_view value, int64_t fallback = 0);

// Position of the key (its "/") in the text under the rules above, or npos.
size_t FindKey(std::string_view text, std::string_view key);
// Whether the text has the key.
bool HasKey(std::string_view text, std::string_view key);

// The leading value of a text: a number gives its digits, a reference its
// object number, a name its "/" and letters, a literal string its
// parentheses and contents, a hexadecimal string its "<...>".  The value
// ends before white space, "/", "]", "<<" or ">>" outside a string.
std::string_view CutValue(std::string_view text);

// The single value after the key: white space and a "[" are passed over
// (an array gives its first element), then CutValue.  An empty key gives the
// whole text; a missing key gives empty.
std::string_view GetKeyValue(std::string_view key, std::string_view text);

// An array value without its brackets (the inside of the matching "]"), or,
// for any other value, the text after the key up to the next name or
// dictionary end ("5 0 R" for "/Contents 5 0 R /Foo").  Empty key: the whole
// text; missing key: empty.
std::string_view GetKeyList(std::string_view key, std::string_view text);

// Object numbers to object texts, for values written as indirect references.
class ObjectResolver {
public:
  virtual ~ObjectResolver() = default;
  // The source text of the object (empty when the number is unknown).
  virtual std::string_view ObjectText(uint32_t number) const = 0;
};

// The inside of a dictionary (between its "<<" and the matching ">>"),
// found at the start of the text after white space; nullopt when the text
// does not start with "<<".  An unterminated dictionary runs to the end.
std::optional<std::string_view> DictionaryAt(std::string_view text);
// The inside of the dictionary that an object's text starts with (after its
// "N G obj" header, if any); empty when the object is no dictionary.
std::string_view FirstDictionary(std::string_view objectText);

// The dictionary value of the key, without its "<<" and ">>".  A value
// written as an indirect reference is followed through the resolver (when
// one is given) to the referenced object's dictionary.  Empty when absent.
std::string_view GetDictValue(std::string_view key, std::string_view text,
                              const ObjectResolver* resolver = nullptr);

// One indirect reference.
struct ObjectRef {
  uint32_t Number = 0;
  uint16_t Generation = 0;
  bool operator==(const ObjectRef&) const = default;
};

// The earliest "N G R" of the text (any generation), removed from the text
// with everything before it.  When a "/" comes before it, or there is none,
// nothing is taken and the text is unchanged.  Repeated calls walk an array
// of references.
std::optional<ObjectRef> TakeReference(std::string_view& text);
// The reference at the start of a value ("12 0 R" after white space).
std::optional<ObjectRef> ReferenceAt(std::string_view text);
// The value of the key as a reference (nullopt when it is not one).
std::optional<ObjectRef> GetKeyReference(std::string_view key, std::string_view text);

// The next name (with its "/"), removed from the text with everything before
// it; empty when there is no further name.
std::string_view TakeName(std::string_view& text);

// The bytes of one string token at the start of the text (after white
// space): a literal "(...)" with its escapes resolved and nested parentheses
// balanced, or a hexadecimal "<...>" (white space skipped, an odd final digit
// padded with 0).  nullopt when the text does not start with a string.
// `length`, when given, receives the bytes the token occupies (with the
// leading white space).
std::optional<std::string> DecodeStringToken(std::string_view text, size_t* length = nullptr);

// Every hexadecimal string of the text replaced by the equivalent literal
// string.  With `escape`, the bytes "(", ")" and "\" of a decoded string are
// written with a backslash before them, so the literal means the same bytes.
// Dictionary marks "<<" and ">>" are left alone.
std::string HexStringsToLiteral(std::string_view text, bool escape);

// String escapes replaced by their bytes: "\n", "\r", "\t", "\b", "\f",
// "\(", "\)", "\\", octal codes of one to three digits, and a backslash
// before a line end (removed with the line end).  A backslash before any
// other character stays with it.  `mapCode`, when given, maps each octal
// character code to the text that replaces it (for fonts); otherwise the
// code is the byte itself.
std::string ResolveEscapes(std::string_view text,
                           const std::function<std::string(uint8_t)>& mapCode = nullptr);

// The string value of the key.  The value is the string, array or other
// value after the key.  With `hex` (or when the value is a hexadecimal
// string) hexadecimal strings are turned into literals.  With `extract`, the
// result is the contents of the value's strings (of every string of an
// array), joined with nothing between, escapes resolved; without it the
// value's text with escapes resolved.
std::string GetStringValue(std::string_view key, std::string_view text, bool extract, bool hex);

// White space removed from the left (never the last character) or right.
void TrimSide(std::string& text, bool left);

// Text between begin and end marks, normalised for character-map parsing:
// line breaks removed, each "]" followed by CR LF, spaces removed outside
// hexadecimal pairs, "><" split by CR LF.  With `repeat`, every section.
std::string ExtractSections(std::string_view text, std::string_view beginMark,
                            std::string_view endMark, bool repeat);

} // namespace scrivlet::pdf
