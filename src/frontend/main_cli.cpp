#include "frontend/CommandLine.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <unistd.h>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  scrivlet::CommandLineStreams streams;
  streams.out = [](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout); // each result as it is done: the program may feed a pipeline
  };
  streams.err = [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); };
  streams.readStandardInput = [] {
    std::ios::sync_with_stdio(false);
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  };
  streams.readInputLine = []() -> std::optional<std::string> {
    std::string line;
    if (!std::getline(std::cin, line))
      return std::nullopt;
    return line;
  };
  streams.progressOnErr = isatty(STDERR_FILENO) != 0;
  int status = scrivlet::RunCommandLine(args, streams);
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return 1;
  return status;
}
