// What extract, build, diff and patch share on the command line's side: the
// files they read whole, the files they must not write over, and how a
// failure of the whole-ROM layer becomes an exit status.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/InputBytes.h"
#include "cli/Status.h"
#include "core/Error.h"

namespace dalvren {

// Reads the file `path` ("-": standard input) whole, at most 2 GiB, into
// `*bytes`. Fails, naming it as `kind` ("ROM file 'x.rom'"), when it cannot
// be opened or read or is too large.
[[nodiscard]] CStatus ReadWholeFile(const std::string& path,
                                    std::string_view kind, CInputBytes* bytes);

// Refuses to write `output` (named by `option`) over one of `inputs`: the
// same file, by its device and inode, however the paths spell it. Standard
// streams and files that do not exist yet are never the same.
[[nodiscard]] CStatus CheckWritesApart(std::string_view option,
                                       const std::string& output,
                                       const std::vector<std::string>& inputs);

}  // namespace dalvren
