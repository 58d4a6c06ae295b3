// MathML as a line of text: what a reader of plain text can follow of an
// equation, built from its structure ("x²", "e^(−x)", "(a+b)/c", "√(x)",
// "∑_(n=1)^∞"), so that no equation is lost from a book's text.
#pragma once

#include <string>

namespace scrivlet {

class XmlNode;

// The linear text of a "math" element (its "semantics" read through its
// first child; annotations left out).
std::u16string MathMlLinearText(XmlNode& math);

} // namespace scrivlet
