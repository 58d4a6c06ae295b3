// Many conversions in one run: the inputs in order, up to a given number at
// once, each result handed on in input order as soon as it and every result
// before it are done (so that a long list streams).
#pragma once

#include "frontend/DocumentConversion.h"

#include <functional>
#include <optional>
#include <string>

namespace scrivlet {

// The next input name, or nothing when the list is exhausted.
using InputSource = std::function<std::optional<std::string>()>;
using Converter = std::function<ConvertedDocument(const std::string& input)>;
// The descriptor to wait on (poll for input) before the source can give its
// next input without blocking, or -1 when it can answer at once.
using InputWait = std::function<int()>;
using ResultSink = std::function<void(const std::string& input, const ConvertedDocument& result)>;

struct BatchCounts {
  size_t done = 0;
  size_t failed = 0;
};

// Runs every input of the source through convert and gives each result to
// sink, in the order of the source; after each, progress (if set) sees the
// counts so far.  With jobs above 1, the conversions run in jobs worker
// processes, one document at a time each: conversions share no state, and
// a document that brings its reader down fails alone (its worker is
// replaced).  With wait set, results that are done are handed on while the
// source waits for its next input (a list read from a pipe).
BatchCounts RunBatch(const InputSource& source, int jobs, const Converter& convert,
                     const ResultSink& sink,
                     const std::function<void(const BatchCounts&)>& progress = nullptr,
                     const InputWait& wait = nullptr);

} // namespace scrivlet
