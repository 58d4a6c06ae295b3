// What a content stream refers to by name: its fonts ("Tf") and its form
// XObjects ("Do").  The page-text reader implements it over a document;
// tests implement it over plain data.
#pragma once

#include "pdf/content/Matrix.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

class Font;

class ContentResources;

// A form XObject ready to be run.
struct FormContent {
  uint64_t id = 0;          // identifies the form object (for the guard against cycles)
  std::string_view content; // decoded content stream (held by the resources)
  Matrix matrix;            // "/Matrix"
  // The form's own resources, held by the resources that found the form
  // (null: the caller's).
  ContentResources* resources = nullptr;
};

class ContentResources {
public:
  virtual ~ContentResources() = default;
  // The font of a resource name (without "/"); null when unknown.
  virtual const Font* FindFont(std::string_view name) = 0;
  // The form XObject of a resource name; false for images, unknown names and
  // other XObjects.
  virtual bool FindForm(std::string_view name, FormContent& form) = 0;
};

} // namespace scrivlet::pdf
