#include "writers/conventions/Convention.h"

#include "core/Exception.h"

namespace scrivlet::conventions {

void WriteWordStory(const Context&, const Story&, bool, LineList&) {
  throw Exception("not converted yet");
}

} // namespace scrivlet::conventions
