// IPS patches: "PATCH", records of at most 65,535 bytes at 24-bit offsets
// (a record of size 0 is a run of one byte), "EOF", and optionally the
// 24-bit size the result is cut to.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/Error.h"

namespace dalvren {

// The offsets of an IPS record stop below 16 MiB.
inline constexpr std::uint64_t kIpsReach = 0x1000000;

// Writes to `*patch` an IPS patch that turns `source` into `target`. Only
// bytes that differ are written (past the end of `source`, bytes other than
// 0, and the last byte so that the result grows to its size); records close
// to each other are joined, runs of one byte become run records where that
// makes the patch smaller, and no record starts at 0x454F46 (it would read
// as "EOF"). A shorter target adds its size after "EOF". Fails (NoRoom)
// when `target` is larger than 16 MiB, or is exactly 16 MiB and shorter than
// `source`: an IPS patch cannot say that.
[[nodiscard]] CError MakeIps(std::span<const unsigned char> source,
                             std::span<const unsigned char> target,
                             std::string* patch);

// Applies the IPS `patch` to `source` into `*target`. A record past the end
// of the result grows it, zeros filling any gap; a size after "EOF" cuts
// (or zero-fills) the result to it. Fails (Invalid), naming the byte of the
// patch, when it does not start with "PATCH", ends inside a record or
// before "EOF", holds a run record of no bytes, or has anything but nothing
// or a 3-byte size after "EOF".
[[nodiscard]] CError ApplyIps(std::span<const unsigned char> patch,
                              std::span<const unsigned char> source,
                              std::string* target);

}  // namespace dalvren
