// Windows' error codes as the C library's error numbers, so that a message
// says what the same failure says on Linux ("No such file or directory").
#pragma once

namespace dalvren {

// The error number for the Windows error `error` (what GetLastError gave);
// EIO for one that has no nearer number.
[[nodiscard]] int ErrnoOf(unsigned long error);

}  // namespace dalvren
