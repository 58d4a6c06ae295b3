// A list read from a pipe that stays open: each result comes out as soon as
// it and those before it are done, not when the next path arrives.
#include "frontend/BatchRunner.h"
#include "frontend/LineReader.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace scrivlet {
namespace {

// Generous: the machine may be loaded; a result held back waits for ever.
constexpr auto kPatience = std::chrono::seconds(30);

class Pipe {
public:
  Pipe() {
    if (pipe2(FFds, O_CLOEXEC) != 0)
      FFds[0] = FFds[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int Read() const { return FFds[0]; }
  int Write() const { return FFds[1]; }
  void Put(std::string_view text) const {
    ASSERT_EQ(write(FFds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseRead() { CloseEnd(0); }
  void CloseWrite() { CloseEnd(1); }

private:
  void CloseEnd(int end) {
    if (FFds[end] >= 0)
      close(FFds[end]);
    FFds[end] = -1;
  }
  int FFds[2];
};

// The list's writer is a process of its own, as a pipeline's is: the
// workers the batch forks must not hold the list open.  It writes "a", then
// "b" once told to (after the first result), or ends the list when nobody
// tells it within the patience.
pid_t StartListWriter(Pipe& list, Pipe& go) {
  pid_t pid = fork();
  if (pid != 0)
    return pid;
  list.CloseRead();
  go.CloseWrite();
  const std::string a = "a\n", b = "b\n";
  bool told = false;
  if (write(list.Write(), a.data(), a.size()) == static_cast<ssize_t>(a.size())) {
    pollfd ready{go.Read(), POLLIN, 0};
    told = poll(&ready, 1, static_cast<int>(kPatience / std::chrono::milliseconds(1))) == 1;
  }
  if (told && write(list.Write(), b.data(), b.size()) != static_cast<ssize_t>(b.size()))
    _exit(2);
  _exit(told ? 0 : 1);
}

TEST(BatchStreaming, ResultsDoNotWaitForTheNextInput) {
  Pipe list, go;
  pid_t writer = StartListWriter(list, go);
  ASSERT_GT(writer, 0);
  list.CloseWrite();
  go.CloseRead();
  LineReader lines(list.Read());
  std::vector<std::string> seen;
  // A writer that gave up is gone: telling it must fail the test, not end it.
  struct sigaction ignore {
  }, saved{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &saved);
  RunBatch([&] { return lines.Next(); }, 2,
           [](const std::string& input) {
             return ConvertedDocument{"out " + input, "", false};
           },
           [&](const std::string& input, const ConvertedDocument& result) {
             seen.push_back(result.output);
             if (input == "a")
               go.Put("!"); // the writer, still waiting, now writes "b" and ends the list
           },
           nullptr, [&] { return lines.WaitDescriptor(); });
  sigaction(SIGPIPE, &saved, nullptr);
  int status = -1;
  waitpid(writer, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the first result waited for the end of the list";
  EXPECT_EQ(seen, (std::vector<std::string>{"out a", "out b"}));
}

TEST(BatchStreaming, LineReaderTellsWhetherALineIsAtHand) {
  Pipe pipe;
  LineReader lines(pipe.Read());
  EXPECT_EQ(lines.WaitDescriptor(), pipe.Read());
  pipe.Put("first\nsec");
  EXPECT_EQ(lines.WaitDescriptor(), -1);
  EXPECT_EQ(lines.Next(), "first");
  EXPECT_EQ(lines.WaitDescriptor(), pipe.Read()); // half a line
  pipe.Put("ond\n\nlast");
  EXPECT_EQ(lines.Next(), "second");
  EXPECT_EQ(lines.Next(), "");
  EXPECT_EQ(lines.WaitDescriptor(), pipe.Read());
  pipe.CloseWrite();
  EXPECT_EQ(lines.WaitDescriptor(), -1);
  EXPECT_EQ(lines.Next(), "last");
  EXPECT_EQ(lines.Next(), std::nullopt);
}

TEST(BatchStreaming, OverlongLinesComeInPieces) {
  test::TempDir dir;
  std::string path = dir.Write("list", std::string(LineReader::kMaxLine + 10, 'x') + "\ny\n");
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  LineReader lines(fd);
  EXPECT_EQ(lines.Next()->size(), LineReader::kMaxLine);
  EXPECT_EQ(lines.Next(), std::string(10, 'x'));
  EXPECT_EQ(lines.Next(), "y");
  EXPECT_EQ(lines.Next(), std::nullopt);
  close(fd);
}

// Reads from fd until a full line has come or the time is up.
std::string ReadLine(int fd, std::chrono::steady_clock::duration patience) {
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + patience;
  while (text.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
      break;
    char chunk[4096];
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0)
      break;
    text.append(chunk, static_cast<size_t>(n));
  }
  return text;
}

std::string ReadAll(int fd) {
  std::string text;
  char chunk[4096];
  for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
    text.append(chunk, static_cast<size_t>(n));
  return text;
}

TEST(BatchStreaming, TheProgramWritesEachResultWhileTheListPipeIsOpen) {
  test::TempDir dir;
  std::string first = dir.Write("first.wri", test::SampleWriteLetter());
  std::string second = dir.Write("second.wri", test::SampleWriteLetter());
  Pipe input, output;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input.Read(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output.Write(), STDOUT_FILENO);
  std::vector<std::string> args{SCRIVLET_CLI_PATH, "--json", "--jobs", "2", "--files-from", "-"};
  std::vector<char*> argv;
  for (auto& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  char* envp[] = {nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, SCRIVLET_CLI_PATH, &actions, nullptr, argv.data(), envp), 0);
  posix_spawn_file_actions_destroy(&actions);
  input.CloseRead();
  output.CloseWrite();

  input.Put(first + "\n");
  std::string line = ReadLine(output.Read(), kPatience);
  EXPECT_NE(line.find("\"file\": \"" + first + "\""), std::string::npos)
      << "no result while the list stays open: " << line;
  input.Put(second + "\n");
  input.CloseWrite();
  std::string rest = line + ReadAll(output.Read());
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  size_t at = rest.find("\"file\": \"" + first + "\"");
  EXPECT_NE(at, std::string::npos);
  EXPECT_NE(rest.find("\"file\": \"" + second + "\"", at), std::string::npos) << rest;
}

} // namespace
} // namespace scrivlet
