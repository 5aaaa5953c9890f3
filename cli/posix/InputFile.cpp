// The system side of CInputFile on POSIX systems: file descriptors.
#include "cli/InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/ExitStatus.h"

namespace dalvren {

CStatus CInputFile::Open(const std::string& path, const Options& options,
                         std::unique_ptr<CInputFile>* file) {
  if (path == "-") {
    *file = std::make_unique<CInputFile>(Key(), 0, false);
    return {};
  }
  // Opening without blocking lets the type be checked first: opening a FIFO
  // for reading waits for a writer.
  const int flags =
      O_RDONLY | O_CLOEXEC | (options.regularOnly ? O_NONBLOCK : 0);
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) return SystemFailure(errno);
  struct stat st {};
  const int refusal = ::fstat(fd, &st) != 0 ? errno
                      : S_ISDIR(st.st_mode) ? EISDIR
                                            : 0;
  if (refusal != 0 || (options.regularOnly && !S_ISREG(st.st_mode))) {
    ::close(fd);
    return refusal != 0 ? SystemFailure(refusal)
                        : CStatus::Failure(kExitError, "Not a regular file");
  }
  // Reads block as usual from here on.
  if (options.regularOnly) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  *file = std::make_unique<CInputFile>(Key(), fd, true);
  return {};
}

CInputFile::~CInputFile() {
  if (owned_) ::close(fd_);
}

long CInputFile::ReadSome(char* into, std::size_t count) {
  for (;;) {
    const ssize_t got = ::read(fd_, into, count);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) {
      if (error_ == 0) error_ = errno;
      return -1;
    }
  }
}

std::size_t CInputFile::RegularFileSize() const {
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    return static_cast<std::size_t>(st.st_size);
  }
  return 0;
}

}  // namespace dalvren
