// The process and the file system: environment, the program's own path,
// file tests and path names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// The environment block as "NAME=value" entries, in order.
std::vector<std::string> EnvironmentEntries();

// Full path of the running executable ("" when the system cannot tell).
std::string ExecutablePath();

// True for an existing regular file (following symbolic links); false for
// directories, devices and anything missing.
bool FileExists(const std::string& fileName);
// Whether the name is a directory.
bool IsDirectory(const std::string& name);

// The extension of a file name: from the last "." after the last path
// delimiter ("/", "\" or ":"), dot included; empty when there is none.
std::string ExtractFileExt(std::string_view fileName);

// The file name with its extension replaced (or the extension appended).
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);

} // namespace scrivlet
