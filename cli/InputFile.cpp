#include "cli/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/ExitStatus.h"

namespace dalvren {

CStatus CInputFile::SystemFailure(int error) {
  return CStatus::Failure(kExitError, std::strerror(error));
}

CInputFile::CInputFile(Key, int fd, bool owned) : fd_(fd), owned_(owned) {}

CStatus CInputFile::ReadAll(std::size_t limit, CInputBytes* bytes) {
  const auto tooLarge = [limit](std::size_t size) {
    return CStatus::Failure(
        kExitError,
        "larger than " + std::to_string(limit) + " bytes" +
            (size > 0 ? " (" + std::to_string(size) + " bytes)" : "") +
            ", the most one run can convert");
  };
  const std::size_t expected = RegularFileSize();
  if (expected > limit) return tooLarge(expected);
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
