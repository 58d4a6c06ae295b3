// A temporary directory for a test, removed with its contents at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace scrivlet::test {

class TempDir {
public:
  // The name is lower case throughout: the CGI program lower-cases the
  // file names it is asked for.
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && FPath.empty(); ++attempt) {
      std::string name = "scrivlet-";
      for (int i = 0; i < 10; ++i)
        name += static_cast<char>('a' + random() % 26);
      std::string path = (std::filesystem::temp_directory_path() / name).string();
      if (mkdir(path.c_str(), 0700) == 0)
        FPath = path;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return FPath; }
  std::string File(std::string_view name) const { return FPath + "/" + std::string(name); }

  // Writes the bytes to a file in the directory; returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    std::string path = File(name);
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

private:
  std::string FPath;
};

} // namespace scrivlet::test
