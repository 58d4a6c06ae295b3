// The page tree: from the catalog's /Pages through every /Kids array to the
// page objects, in page order.  Each page comes with what the page-text code
// needs: its object, its resources (inherited from the nearest ancestor
// that has them when the page has none), its media box and rotation
// (inherited the same way) and its content streams decoded and joined.
//
// The walk uses an explicit stack and visits each node once: a kid that is
// an ancestor, or any node reached a second time, is skipped.
#pragma once

#include "pdf/PdfDocument.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct PdfPage {
  uint32_t ObjectNumber = 0;
  uint16_t Generation = 0;
  std::string_view ObjectText; // the page object's text
  std::string_view Dictionary; // the inside of the page dictionary
  std::string_view Resources;  // the inside of the /Resources dictionary (inherited)
  std::string_view MediaBox;   // the inside of the /MediaBox array (inherited)
  int Rotate = 0;              // /Rotate (inherited)
  // The content streams, decoded, in order, joined by a line feed (a
  // content stream may end anywhere between two tokens).  Filled only when
  // the walk is asked for contents.
  std::string Contents;
};

// Calls visit for each page in page order.  With withContents, each page's
// content streams are decoded just before its visit (one page's contents
// are held at a time).
void WalkPages(const PdfDocument& document, const std::function<void(PdfPage&)>& visit,
               bool withContents = true);

// The number of pages the walk reaches.
size_t CountPages(const PdfDocument& document);

// The decoded content streams of a page dictionary's /Contents (one stream
// or an array of them, written inline or as an object), each read once.
std::string ReadPageContents(const PdfDocument& document, std::string_view pageDictionary);

} // namespace scrivlet::pdf
