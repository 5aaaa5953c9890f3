// Whether two paths name one file, as the system sees it.
#pragma once

#include <string>

namespace dalvren {

// True when `a` and `b` both exist and are the same file, however the paths
// spell it: a link, another case where names ignore it, "./" or "..". False
// when either does not exist or cannot be examined. POSIX systems compare
// device and inode (cli/posix/SameFile.cpp), Windows the volume and the file
// index (cli/windows/SameFile.cpp).
[[nodiscard]] bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace dalvren
