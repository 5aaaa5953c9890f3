// The system side of COutputFile on POSIX systems: file descriptors, a
// temporary file from mkostemp and rename(2), which replaces atomically.
#include "cli/OutputFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "cli/ExitStatus.h"

namespace dalvren {

namespace {

// What a newly created file gets: what the shell's ">" would give it.
unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666u & ~static_cast<unsigned>(mask);
}

}  // namespace

CStatus COutputFile::Open(const std::string& path,
                          std::unique_ptr<COutputFile>* file) {
  if (path == "-") {
    *file = std::make_unique<COutputFile>(Key(), 1, false);
    return {};
  }
  const auto fail = [](int error) {
    return CStatus::Failure(kExitError, std::strerror(error));
  };
  std::string target = path;
  unsigned mode = NewFileMode();
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (!S_ISREG(st.st_mode)) {
      const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (fd < 0) return fail(errno);
      *file = std::make_unique<COutputFile>(Key(), fd, true);
      return {};
    }
    // Replacing would bypass a file's write protection; refuse as ">" does.
    if (::access(path.c_str(), W_OK) != 0) return fail(errno);
    mode = st.st_mode & 07777;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  // Beside the target, so that the rename stays within one file system.
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base =
      slash == std::string::npos ? target : target.substr(slash + 1);
  std::string pattern = folder + "." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  auto removal = std::make_unique<CRemovalOnSignal>();
  int fd = -1;
  int error = 0;
  {
    // A signal between the creation and the registration would leave the
    // file; blocked, it arrives once the file is registered.
    const CRemovalOnSignal::BlockSignals blocked;
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    error = errno;
    if (fd >= 0) removal->Register(name.data());
  }
  if (fd < 0) return fail(error);
  auto made = std::make_unique<COutputFile>(Key(), fd, true);
  made->removal_ = std::move(removal);
  made->tempPath_ = name.data();
  made->finalPath_ = target;
  made->mode_ = mode;
  *file = std::move(made);
  return {};
}

COutputFile::~COutputFile() {
  if (owned_ && fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool COutputFile::WriteOut(const char* bytes, std::size_t count) {
  while (count > 0 && error_ == 0) {
    const ssize_t wrote = ::write(fd_, bytes, count);
    if (wrote < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    bytes += wrote;
    count -= static_cast<std::size_t>(wrote);
  }
  return error_ == 0;
}

CStatus COutputFile::Commit() {
  FlushBuffer();
  if (error_ == 0 && !tempPath_.empty()) {
    // Durable before it replaces anything, so that a crash right after the
    // rename cannot leave an empty file where a good one stood.
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || ::fsync(fd_) != 0) {
      error_ = errno;
    }
  }
  if (owned_) {
    if (::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
  }
  if (error_ == 0 && !tempPath_.empty()) {
    if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
      error_ = errno;
    } else {
      removal_.reset();
      tempPath_.clear();
    }
  }
  if (error_ != 0) return CStatus::Failure(kExitError, std::strerror(error_));
  return {};
}

}  // namespace dalvren
