// What both kinds of search share: the ROM read as a stream, in one pass,
// and hits written one a line.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <span>
#include <string>

#include "cli/CommandLine.h"
#include "cli/Status.h"
#include "core/Error.h"
#include "rom/RomScan.h"

namespace dalvren {

// Opens the ROM of `line` (a file, or standard input for "-") and runs
// `search` on it with the context of --context and the limit of one run
// (kMaxByteStringLength bytes). Fails with a message naming the ROM when it
// cannot be opened, a regular file holds more than the limit (before it is
// read), or the reading fails or `search` does.
[[nodiscard]] CStatus SearchRom(
    const CCommandLine& line,
    const std::function<CError(std::istream& in,
                               const CRomSearchOptions& options)>& search);

// An offset as hits show it: "0x" and at least eight upper-case digits, as
// --offset reads it back.
[[nodiscard]] std::string HitOffset(std::uint64_t offset);

// The context of `hit` as one line of text: the dump of the bytes before
// the hit, then the dump of the hit and the bytes after it (so that the
// hit is read from its first byte on), each by `dump`. A line break
// becomes the two characters \n and a carriage return \r.
[[nodiscard]] std::string ContextText(
    const CHitBytes& hit,
    const std::function<std::string(std::span<const unsigned char>)>& dump);

}  // namespace dalvren
