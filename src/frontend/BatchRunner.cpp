#include "frontend/BatchRunner.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace scrivlet {
namespace {

// How many finished results may wait for an earlier one, per job.
constexpr size_t kResultsWaitingPerJob = 16;

ConvertedDocument ConvertGuarded(const Converter& convert, const std::string& input) {
  try {
    return convert(input);
  } catch (const std::exception& error) {
    return {{}, error.what(), true};
  }
}

// A result as a child sends it: a failure byte, the output's length in
// eight bytes, the output, the error message.
std::string Serialize(const ConvertedDocument& result) {
  std::string bytes(1, result.failed ? '\1' : '\0');
  uint64_t size = result.output.size();
  for (int i = 0; i < 8; ++i)
    bytes += static_cast<char>(size >> (8 * i) & 0xFF);
  return bytes + result.output + result.error;
}

ConvertedDocument Deserialize(const std::string& bytes) {
  ConvertedDocument result;
  if (bytes.size() < 9)
    return {{}, "the conversion ended without a result", true};
  uint64_t size = 0;
  for (int i = 0; i < 8; ++i)
    size |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[1 + i])) << (8 * i);
  if (size > bytes.size() - 9)
    return {{}, "the conversion ended without a result", true};
  result.failed = bytes[0] != '\0';
  result.output = bytes.substr(9, size);
  result.error = bytes.substr(9 + size);
  return result;
}

void WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return;
    written += static_cast<size_t>(n);
  }
}

struct RunningConversion {
  size_t index;
  std::string input;
  pid_t pid;
  int fd;
  std::string received;
};

class ProcessPool {
public:
  ProcessPool(const InputSource& source, int jobs, const Converter& convert, const ResultSink& sink,
              const std::function<void(const BatchCounts&)>& progress)
      : FSource(source), FJobs(static_cast<size_t>(jobs)), FConvert(convert), FSink(sink),
        FProgress(progress) {}

  BatchCounts Run() {
    while (true) {
      StartConversions();
      HandFinishedOn();
      if (FRunning.empty()) {
        if (FInputDone)
          return FCounts;
        continue;
      }
      WaitForOutput();
      HandFinishedOn();
    }
  }

private:
  void StartConversions() {
    while (!FInputDone && FRunning.size() < FJobs &&
           FNextIndex - FNextToHand < FJobs * kResultsWaitingPerJob) {
      std::optional<std::string> input = FSource();
      if (!input) {
        FInputDone = true;
        return;
      }
      Start(FNextIndex++, std::move(*input));
    }
  }

  void Start(size_t index, std::string input) {
    int fds[2];
    if (pipe(fds) != 0) {
      Finish(index, input,
             {{}, std::string("cannot start a conversion: ") + std::strerror(errno), true});
      return;
    }
    pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      Finish(index, input,
             {{}, std::string("cannot start a conversion: ") + std::strerror(errno), true});
      return;
    }
    if (pid == 0) {
      close(fds[0]);
      WriteAll(fds[1], Serialize(ConvertGuarded(FConvert, input)));
      _exit(0);
    }
    close(fds[1]);
    FRunning.push_back({index, std::move(input), pid, fds[0], {}});
  }

  void WaitForOutput() {
    std::vector<pollfd> fds;
    for (const auto& running : FRunning)
      fds.push_back({running.fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0)
      return; // interrupted: look again
    std::vector<RunningConversion> stillRunning;
    for (size_t i = 0; i < FRunning.size(); ++i) {
      RunningConversion& running = FRunning[i];
      if (fds[i].revents == 0 || ReadSome(running)) {
        stillRunning.push_back(std::move(running));
        continue;
      }
      close(running.fd);
      Finish(running.index, running.input, Reap(running));
    }
    FRunning = std::move(stillRunning);
  }

  // Reads what the child sent; false at the end of its output.
  static bool ReadSome(RunningConversion& running) {
    char buffer[65536];
    ssize_t n = read(running.fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
      return true;
    if (n <= 0)
      return false;
    running.received.append(buffer, static_cast<size_t>(n));
    return true;
  }

  static ConvertedDocument Reap(const RunningConversion& running) {
    int status = 0;
    while (waitpid(running.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
      return {{}, "the conversion was stopped by signal " + std::to_string(WTERMSIG(status)), true};
    return Deserialize(running.received);
  }

  void Finish(size_t index, const std::string& input, ConvertedDocument result) {
    FFinished.emplace(index, std::make_pair(input, std::move(result)));
  }

  void HandFinishedOn() {
    for (auto next = FFinished.find(FNextToHand); next != FFinished.end();
         next = FFinished.find(FNextToHand)) {
      ++FCounts.done;
      if (next->second.second.failed)
        ++FCounts.failed;
      FSink(next->second.first, next->second.second);
      FFinished.erase(next);
      ++FNextToHand;
      if (FProgress)
        FProgress(FCounts);
    }
  }

  const InputSource& FSource;
  size_t FJobs;
  const Converter& FConvert;
  const ResultSink& FSink;
  const std::function<void(const BatchCounts&)>& FProgress;
  std::vector<RunningConversion> FRunning;
  std::map<size_t, std::pair<std::string, ConvertedDocument>> FFinished;
  size_t FNextIndex = 0;
  size_t FNextToHand = 0;
  bool FInputDone = false;
  BatchCounts FCounts;
};

} // namespace

BatchCounts RunBatch(const InputSource& source, int jobs, const Converter& convert,
                     const ResultSink& sink,
                     const std::function<void(const BatchCounts&)>& progress) {
  if (jobs > 1)
    return ProcessPool(source, jobs, convert, sink, progress).Run();
  BatchCounts counts;
  while (std::optional<std::string> input = source()) {
    ConvertedDocument result = ConvertGuarded(convert, *input);
    ++counts.done;
    if (result.failed)
      ++counts.failed;
    sink(*input, result);
    if (progress)
      progress(counts);
  }
  return counts;
}

} // namespace scrivlet
