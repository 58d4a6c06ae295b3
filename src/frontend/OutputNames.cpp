#include "frontend/OutputNames.h"

#include <filesystem>

namespace scrivlet {

namespace {

std::string BaseName(const std::string& input) {
  if (input == "-")
    return "stdin";
  std::string name = std::filesystem::path(input).filename().string();
  if (name.empty() || name == "." || name == "..")
    return "output";
  return name;
}

} // namespace

const std::string& OutputNames::PathFor(const std::string& input) {
  auto known = FPaths.find(input);
  if (known != FPaths.end())
    return known->second;
  const std::string base = BaseName(input);
  std::string name = base + FExtension;
  // Each number is tried once per input, and at most one name per earlier
  // input is taken, so this ends after as many tries as there are inputs.
  for (size_t number = 2; FTaken.count(name) != 0; ++number)
    name = base + "." + std::to_string(number) + FExtension;
  FTaken.insert(name);
  std::string path = (std::filesystem::path(FDirectory) / name).string();
  return FPaths.emplace(input, std::move(path)).first->second;
}

} // namespace scrivlet
