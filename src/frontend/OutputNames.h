// The names of the output files that --output-dir writes: the input's file
// name plus the output's extension ("report.doc.txt"; "stdin.txt" for
// standard input).  Two different inputs with the same file name (a/x.doc
// and b/x.doc) must not overwrite each other, so an input whose name an
// earlier input already took gets ".2", ".3", ... before the extension
// ("x.doc.2.txt").  Names are given in the order inputs are named, so that
// they do not depend on which conversion ends first; the same input named
// twice keeps its one name.
#pragma once

#include <map>
#include <set>
#include <string>

namespace scrivlet {

class OutputNames {
public:
  OutputNames(std::string directory, std::string extension)
      : FDirectory(std::move(directory)), FExtension(std::move(extension)) {}

  // The path of the input's output file, given on the input's first call.
  const std::string& PathFor(const std::string& input);

private:
  std::string FDirectory;
  std::string FExtension;
  std::map<std::string, std::string> FPaths; // input -> path
  std::set<std::string> FTaken;              // file names in use
};

} // namespace scrivlet
