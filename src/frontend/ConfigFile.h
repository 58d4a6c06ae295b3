// The configuration file beside the CGI program: an INI-style text whose
// sections hold free site mark-up.  The reader works on whole lines and hands
// out the lines between a section header and the next header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class ConfigFile {
public:
  // Loads every line of the file (CR, LF or CR LF end a line).  A missing
  // file reads as an empty one; a file that exists but cannot be read
  // raises FileOpenError.
  explicit ConfigFile(std::string fileName);

  const std::string& FileName() const { return FFileName; }

  // Replaces strings with the lines of the section, up to the next section
  // header.  Empty lines are dropped.  With namesOnly, each line gives the
  // trimmed text before its first "=" (nothing for a line without one).
  void ReadSection(std::string_view section, std::vector<std::string>& strings,
                   bool namesOnly = false) const;

  // Index of the line "[section]" (letter case ignored, the line not
  // trimmed), or -1.
  int IndexOfSection(std::string_view section) const;

  // A line that, trimmed, starts with "[" and ends with "]".
  static bool IsSectionLine(std::string_view line);

private:
  std::string FFileName;
  std::vector<std::string> FLines;
};

// Splits a text into lines: CR, LF or CR LF end a line; a final line end
// does not make an empty last line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace scrivlet
