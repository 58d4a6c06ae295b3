// Runs a program as a child process with a given environment and captures
// what it writes, as the tests of the two programs need.
#pragma once

#include <string>
#include <vector>

namespace scrivlet::test {

struct ChildResult {
  int status = -1; // exit status, or -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// Runs program with args (argv[1..]) and exactly the environment entries
// given ("NAME=value"), with standard input closed.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment);

} // namespace scrivlet::test
