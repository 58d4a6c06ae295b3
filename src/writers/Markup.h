// The mark-up of the three output formats: plain text, RTF and HTML.  What
// a reader writes around the document's text (prologue, epilogue, line
// breaks, font sizes) and how the document's own characters are escaped so
// that they stay text in RTF and HTML.
#pragma once

#include "core/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// The formatting of a reader's output lines.
enum class OutputFormat : uint8_t { PlainText = 0, Rtf = 1, Html = 2 };

// The RTF or HTML prologue for a formatting, code page and local time; empty
// for plain text.
std::u16string PrologueText(OutputFormat formating, int codePage, const DateTimeFields& created);
// The matching epilogue.
std::u16string EpilogueText(OutputFormat formating);

// The line break a reader writes inside a paragraph: "\r\n\par " in RTF,
// "<br>\r\n" in HTML (or "<br/>" in the XHTML style of the XML readers),
// CR LF in plain text.
enum class BreakStyle { Html, Xhtml };
std::u16string_view LineBreak(OutputFormat format, BreakStyle style = BreakStyle::Html);

// Document text as it must stand in the format: in HTML "&", "<", ">" and
// the double quote become entities; in RTF "\", "{" and "}" are escaped by
// a backslash; plain text is unchanged.
std::u16string EscapeText(OutputFormat format, std::u16string_view text);
// Appends one escaped character.
void AppendEscaped(OutputFormat format, char16_t c, std::u16string& out);
void AppendEscaped(OutputFormat format, char c, std::string& out);
// The same for byte strings of the system code page.
std::string EscapeText(OutputFormat format, std::string_view text);

// RTF text as bytes: ASCII as it stands, every other character as "\uN?"
// (N the signed 16-bit UTF-16 unit, a surrogate pair as two escapes, "?"
// the one fallback character the prologue's \uc1 announces).
std::string RtfUnicodeText(std::u16string_view text);

// A size in whole points as the value of an HTML font "size" attribute;
// "-1" for the sizes that keep the browser's normal size.
std::string HtmlFontSize(int points);

} // namespace scrivlet
