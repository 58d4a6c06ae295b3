// Writes the sample documents of samples/ (run from the project directory:
// build/tests/scrivlet_make_samples samples).
#include "support/SampleDocuments.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

void WriteSample(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::printf("wrote %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "samples";
  WriteSample(dir + "/letter.wri", scrivlet::test::SampleWriteLetter());
  // A capital letter in the name: the web pages reach it as written.
  WriteSample(dir + "/Pismo.fb2", scrivlet::test::SampleRussianBook());
  return 0;
}
