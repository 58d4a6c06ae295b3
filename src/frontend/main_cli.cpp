#include "frontend/CommandLine.h"
#include "frontend/LineReader.h"

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
  // The list on standard input is read past std::cin, so that the batch
  // can tell whether the next path has come (it hands on results meanwhile).
  scrivlet::LineReader lines(STDIN_FILENO);
  streams.readInputLine = [&lines] { return lines.Next(); };
  streams.inputLineWait = [&lines] { return lines.WaitDescriptor(); };
  streams.progressOnErr = isatty(STDERR_FILENO) != 0;
  int status = scrivlet::RunCommandLine(args, streams);
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return 1;
  return status;
}
