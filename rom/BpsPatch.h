// BPS patches, as the format is published: "BPS1", the source,
// target and metadata sizes as variable-length numbers, the metadata, the
// actions (SourceRead, TargetRead, SourceCopy, TargetCopy) and the CRC-32
// of the source, the target and the patch itself, little-endian.
#pragma once

#include <span>
#include <string>

#include "core/Error.h"

namespace dalvren {

// Writes to `*patch` a BPS patch, with empty metadata, that turns `source`
// into `target`: bytes where the two agree are read from the source, runs
// of one byte copied from the target, stretches the source holds elsewhere
// (32 bytes or more are always found) copied from there, and the rest
// written out. Time proportional to the sizes; memory besides the inputs
// and the patch: a quarter of a byte per source byte.
void MakeBps(std::span<const unsigned char> source,
             std::span<const unsigned char> target, std::string* patch);

// Applies the BPS `patch` to `source` into `*target`, checking the patch's
// CRC-32 first, then the source's size and CRC-32, then the target's. Fails
// with the byte of the patch where it is malformed (Invalid: not "BPS1", a
// truncated or too large number, an action that reads or writes out of
// bounds, a size the actions do not make, a CRC-32 of the patch or of the
// result other than it says), or naming both CRC-32s when `source` is not
// the ROM the patch was made for (Mismatch).
[[nodiscard]] CError ApplyBps(std::span<const unsigned char> patch,
                              std::span<const unsigned char> source,
                              std::string* target);

}  // namespace dalvren
