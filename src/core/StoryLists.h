// The stories of a document beside its main text, each a list of lines:
// the Word readers keep notes, headers, footers, comments, text boxes and
// macro source apart from the body.
#pragma once

#include "core/TextLines.h"

namespace scrivlet {

struct StoryLists {
  TextLines Macros, Footnotes, Headers, Footers, Comments, Endnotes, TextBoxes;

  void Clear() {
    for (TextLines* list :
         {&Macros, &Footnotes, &Headers, &Footers, &Comments, &Endnotes, &TextBoxes})
      list->Clear();
  }
};

} // namespace scrivlet
