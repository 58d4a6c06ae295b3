#include "core/FileBeneath.h"

#include "core/Exception.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace scrivlet {
namespace {

// For reading only; O_NONBLOCK so that a pipe or a device with no writer
// does not hold the open (it is refused after fstat anyway).
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// The directory itself, as a handle to resolve names from.
class DirectoryHandle {
public:
  explicit DirectoryHandle(const std::string& directory)
      : FDescriptor(::open(directory.empty() ? "." : directory.c_str(),
                           O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
  ~DirectoryHandle() {
    if (FDescriptor >= 0)
      ::close(FDescriptor);
  }
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;
  int Descriptor() const { return FDescriptor; }

private:
  int FDescriptor;
};

// The kernel resolves the name and refuses ("..", absolute names and
// links, magic links of /proc) whatever would leave the directory.
int OpenResolvedBeneath(int directory, const std::string& name) {
  open_how how{};
  how.flags = static_cast<uint64_t>(kOpenFlags);
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(::syscall(SYS_openat2, directory, name.c_str(), &how, sizeof how));
}

// Errors of openat2 after which the plain open and the path check decide:
// EXDEV for a name that leaves the directory on its way (it may come back,
// or be an absolute link to a file inside); the others for a kernel or a
// system-call filter that does not offer openat2.
bool CallsForThePathCheck(int error) {
  return error == EXDEV || error == ENOSYS || error == EPERM || error == EINVAL || error == E2BIG ||
         error == EAGAIN;
}

bool MeansMissing(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG;
}

// The path the system gives an open descriptor; empty when it cannot tell.
std::string PathOf(int descriptor) {
  std::string link = "/proc/self/fd/" + std::to_string(descriptor);
  std::string path(PATH_MAX + 1, '\0');
  ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size())
    return {};
  path.resize(static_cast<size_t>(length));
  return path;
}

bool LiesBeneath(const std::string& path, std::string directory) {
  if (path.empty() || directory.empty() || directory.front() != '/')
    return false;
  if (directory.back() != '/')
    directory += '/';
  return path.starts_with(directory);
}

BeneathFile Failed(BeneathOutcome outcome, int error = 0) {
  BeneathFile result;
  result.outcome = outcome;
  result.error = error;
  return result;
}

BeneathFile FromOpenError(int error) {
  return MeansMissing(error) ? Failed(BeneathOutcome::Missing)
                             : Failed(BeneathOutcome::Unreadable, error);
}

} // namespace

OpenedFile::OpenedFile(int descriptor, const struct stat& status)
    : FDescriptor(descriptor), FStatus(status) {}

OpenedFile::~OpenedFile() {
  Close();
}

OpenedFile::OpenedFile(OpenedFile&& other) noexcept
    : FDescriptor(std::exchange(other.FDescriptor, -1)), FStatus(other.FStatus) {}

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept {
  if (this != &other) {
    Close();
    FDescriptor = std::exchange(other.FDescriptor, -1);
    FStatus = other.FStatus;
  }
  return *this;
}

void OpenedFile::Close() {
  if (FDescriptor >= 0)
    ::close(FDescriptor);
  FDescriptor = -1;
}

std::string OpenedFile::ReadAll() const {
  if (FDescriptor < 0 || FStatus.st_size <= 0)
    return {};
  std::string bytes(static_cast<size_t>(FStatus.st_size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n =
        ::pread(FDescriptor, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw ReadError();
    if (n == 0)
      break; // shorter than it was
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

BeneathFile OpenFileBeneath(const std::string& directory, const std::string& name) {
  if (name.empty())
    return Failed(BeneathOutcome::Missing);
  DirectoryHandle root(directory);
  if (root.Descriptor() < 0)
    return Failed(BeneathOutcome::Missing);
  bool checkedByPath = false;
  int descriptor = OpenResolvedBeneath(root.Descriptor(), name);
  if (descriptor < 0) {
    int error = errno;
    if (!CallsForThePathCheck(error))
      return FromOpenError(error);
    descriptor = ::openat(root.Descriptor(), name.c_str(), kOpenFlags);
    if (descriptor < 0)
      return FromOpenError(errno);
    checkedByPath = true;
  }
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) {
    int error = errno;
    ::close(descriptor);
    return Failed(BeneathOutcome::Unreadable, error);
  }
  OpenedFile file(descriptor, status); // closes it on every way out
  if (checkedByPath && !LiesBeneath(PathOf(descriptor), PathOf(root.Descriptor())))
    return Failed(BeneathOutcome::Outside);
  if (!S_ISREG(status.st_mode))
    return Failed(BeneathOutcome::NotRegular);
  // A regular file: reads may wait for the file system as usual.
  if (int flags = ::fcntl(descriptor, F_GETFL); flags >= 0)
    ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
  BeneathFile result;
  result.outcome = BeneathOutcome::Opened;
  result.file = std::move(file);
  result.checkedByPath = checkedByPath;
  return result;
}

} // namespace scrivlet
