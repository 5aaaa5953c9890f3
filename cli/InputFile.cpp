#include "cli/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/ExitStatus.h"

namespace dalvren {

namespace {

CStatus SystemFailure(int error) {
  return CStatus::Failure(kExitError, std::strerror(error));
}

}  // namespace

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

CInputFile::CInputFile(Key, int fd, bool owned) : fd_(fd), owned_(owned) {}

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

CStatus CInputFile::ReadAll(std::size_t limit, CInputBytes* bytes) {
  const auto tooLarge = [limit](std::size_t size) {
    return CStatus::Failure(
        kExitError,
        "larger than " + std::to_string(limit) + " bytes" +
            (size > 0 ? " (" + std::to_string(size) + " bytes)" : "") +
            ", the most one run can convert");
  };
  struct stat st {};
  std::size_t expected = 0;
  if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    expected = static_cast<std::size_t>(st.st_size);
    if (expected > limit) return tooLarge(expected);
  }
  // Left uninitialised: zero-filling a whole ROM first would cost as much as
  // reading it. One byte is always kept free for the terminator, and one
  // more lets the end of a regular file be seen without growing.
  std::size_t capacity = std::max(expected + 2, kBufferSize);
  auto data = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    if (used + 1 == capacity) {
      // Room for one byte beyond the limit, to tell "too large" apart.
      const std::size_t grown = std::min(capacity * 2, limit + 2);
      auto larger = std::make_unique_for_overwrite<char[]>(grown);
      std::memcpy(larger.get(), data.get(), used);
      data = std::move(larger);
      capacity = grown;
    }
    const long got = ReadSome(data.get() + used, capacity - 1 - used);
    if (got < 0) return SystemFailure(error_);
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
    if (used > limit) return tooLarge(0);
  }
  data[used] = '\0';
  bytes->data = std::move(data);
  bytes->size = used;
  return {};
}

CStatus CInputFile::ReadStatus() const {
  return error_ == 0 ? CStatus() : SystemFailure(error_);
}

CInputFile::int_type CInputFile::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const long got = ReadSome(buffer_, kBufferSize);
  if (got <= 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + got);
  return traits_type::to_int_type(*gptr());
}

}  // namespace dalvren
