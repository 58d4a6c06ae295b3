#include "frontend/BatchRunner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <new>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
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
  } catch (const std::bad_alloc&) {
    // Joining or encoding the output can run out of memory too.
    return {{}, "Out of memory", true};
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

// Writes all of bytes to a socket; false when the other end is gone.
bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A frame on a worker's socket: eight bytes of length, then the bytes.
std::string Frame(std::string_view bytes) {
  std::string frame;
  uint64_t size = bytes.size();
  for (int i = 0; i < 8; ++i)
    frame += static_cast<char>(size >> (8 * i) & 0xFF);
  frame += bytes;
  return frame;
}

// Takes one whole frame from the front of buffer, if there is one.
std::optional<std::string> TakeFrame(std::string& buffer) {
  if (buffer.size() < 8)
    return std::nullopt;
  uint64_t size = 0;
  for (int i = 0; i < 8; ++i)
    size |= static_cast<uint64_t>(static_cast<uint8_t>(buffer[i])) << (8 * i);
  if (size > buffer.size() - 8)
    return std::nullopt;
  std::string frame = buffer.substr(8, size);
  buffer.erase(0, 8 + size);
  return frame;
}

// Reads one frame (blocking); nothing at the end of the input.
std::optional<std::string> ReadFrame(int fd, std::string& buffer) {
  char chunk[65536];
  while (true) {
    if (auto frame = TakeFrame(buffer))
      return frame;
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return std::nullopt;
    buffer.append(chunk, static_cast<size_t>(n));
  }
}

// A worker process: converts the inputs it is sent, one at a time, and
// keeps what its conversions built up (code page tables and the like).
struct Worker {
  pid_t pid = -1;
  int fd = -1; // the parent's end of the socket pair
  bool busy = false;
  size_t index = 0;
  std::string input;
  std::string received;
};

class ProcessPool {
public:
  ProcessPool(const InputSource& source, const InputWait& wait, int jobs, const Converter& convert,
              const ResultSink& sink, const std::function<void(const BatchCounts&)>& progress)
      : FSource(source), FWait(wait), FJobs(static_cast<size_t>(jobs)), FConvert(convert),
        FSink(sink), FProgress(progress) {}

  ~ProcessPool() {
    for (auto& worker : FWorkers)
      Stop(worker);
  }

  BatchCounts Run() {
    while (true) {
      AssignInputs();
      HandFinishedOn();
      if (BusyWorkers() == 0) {
        if (FInputDone)
          return FCounts;
        continue;
      }
      WaitForResults();
      HandFinishedOn();
    }
  }

private:
  size_t BusyWorkers() const {
    return static_cast<size_t>(
        std::count_if(FWorkers.begin(), FWorkers.end(), [](const Worker& w) { return w.busy; }));
  }

  // While conversions run, the source is asked only when it has an input at
  // hand: waiting for the next path must not hold back finished results.
  // With nothing running there is nothing to hold back, and it may block.
  bool InputWouldWait() {
    FInputFd = -1;
    if (!FWait || BusyWorkers() == 0)
      return false;
    FInputFd = FWait();
    return FInputFd >= 0;
  }

  void AssignInputs() {
    while (!FInputDone && FNextIndex - FNextToHand < FJobs * kResultsWaitingPerJob) {
      Worker* idle = IdleWorker();
      if (idle == nullptr || InputWouldWait())
        return;
      std::optional<std::string> input = FSource();
      if (!input) {
        FInputDone = true;
        return;
      }
      size_t index = FNextIndex++;
      if (idle->pid < 0 || !SendAll(idle->fd, Frame(*input))) {
        Finish(index, *input, {{}, "cannot start a conversion: " + FStartError, true});
        continue;
      }
      idle->busy = true;
      idle->index = index;
      idle->input = std::move(*input);
    }
  }

  // An idle worker, started when there are fewer than jobs; nullptr when
  // all are busy.
  Worker* IdleWorker() {
    for (auto& worker : FWorkers)
      if (!worker.busy)
        return &worker;
    if (FWorkers.size() >= FJobs)
      return nullptr;
    FWorkers.push_back(StartWorker());
    return &FWorkers.back();
  }

  Worker StartWorker() {
    Worker worker;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
      FStartError = std::strerror(errno);
      return worker;
    }
    pid_t pid = fork();
    if (pid < 0) {
      FStartError = std::strerror(errno);
      close(fds[0]);
      close(fds[1]);
      return worker;
    }
    if (pid == 0) {
      close(fds[0]);
      for (const auto& other : FWorkers) // their sockets must close when the parent's do
        if (other.fd >= 0)
          close(other.fd);
      ServeConversions(fds[1]);
      _exit(0);
    }
    close(fds[1]);
    worker.pid = pid;
    worker.fd = fds[0];
    return worker;
  }

  void ServeConversions(int fd) {
    std::string buffer;
    while (std::optional<std::string> input = ReadFrame(fd, buffer))
      if (!SendAll(fd, Frame(Serialize(ConvertGuarded(FConvert, *input)))))
        return;
  }

  // Waits for a worker's result, or for the source's next input when it
  // has none at hand (the loop then asks it again).
  void WaitForResults() {
    std::vector<pollfd> fds;
    std::vector<Worker*> polled;
    for (auto& worker : FWorkers)
      if (worker.busy) {
        fds.push_back({worker.fd, POLLIN, 0});
        polled.push_back(&worker);
      }
    if (FInputFd >= 0 && !FInputDone)
      fds.push_back({FInputFd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0)
      return; // interrupted: look again
    FInputFd = -1;
    for (size_t i = 0; i < polled.size(); ++i)
      if (fds[i].revents != 0)
        ReadFromWorker(*polled[i]);
    // Workers that died are replaced when there is work for them.
    std::erase_if(FWorkers, [](const Worker& w) { return w.pid < 0 && !w.busy; });
  }

  void ReadFromWorker(Worker& worker) {
    char chunk[65536];
    ssize_t n = read(worker.fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
      return;
    if (n > 0) {
      worker.received.append(chunk, static_cast<size_t>(n));
      if (std::optional<std::string> frame = TakeFrame(worker.received)) {
        worker.busy = false;
        Finish(worker.index, worker.input, Deserialize(*frame));
      }
      return;
    }
    // The worker is gone in the middle of a conversion.
    int status = Stop(worker);
    worker.busy = false;
    std::string error = WIFSIGNALED(status) ? "the conversion was stopped by signal " +
                                                  std::to_string(WTERMSIG(status))
                                            : std::string("the conversion ended without a result");
    Finish(worker.index, worker.input, {{}, error, true});
  }

  // Closes the worker's socket (which ends its loop) and waits for it.
  static int Stop(Worker& worker) {
    int status = 0;
    if (worker.fd >= 0)
      close(worker.fd);
    if (worker.pid > 0)
      while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
      }
    worker.fd = -1;
    worker.pid = -1;
    return status;
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
  const InputWait& FWait;
  int FInputFd = -1; // the source's descriptor while it has no input at hand
  size_t FJobs;
  const Converter& FConvert;
  const ResultSink& FSink;
  const std::function<void(const BatchCounts&)>& FProgress;
  std::vector<Worker> FWorkers;
  std::map<size_t, std::pair<std::string, ConvertedDocument>> FFinished;
  std::string FStartError = "no process";
  size_t FNextIndex = 0;
  size_t FNextToHand = 0;
  bool FInputDone = false;
  BatchCounts FCounts;
};

} // namespace

BatchCounts RunBatch(const InputSource& source, int jobs, const Converter& convert,
                     const ResultSink& sink,
                     const std::function<void(const BatchCounts&)>& progress,
                     const InputWait& wait) {
  if (jobs > 1)
    return ProcessPool(source, wait, jobs, convert, sink, progress).Run();
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
