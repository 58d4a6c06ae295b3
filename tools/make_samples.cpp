// Writes the sample documents of samples/ (run from the project directory:
// build/tests/scrivlet_make_samples samples).
#include "support/SampleDocuments.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "samples";
  std::string path = dir + "/letter.wri";
  std::string bytes = scrivlet::test::SampleWriteLetter();
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::printf("wrote %s\n", path.c_str());
  return 0;
}
