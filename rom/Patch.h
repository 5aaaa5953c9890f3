// The patch formats, chosen by name when a patch is made and by its first
// bytes when one is applied.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/Error.h"

namespace dalvren {

enum class PatchFormat : std::uint8_t { kIps, kBps };

// Writes to `*patch` a patch of `format` that turns `source` into `target`
// (rom/IpsPatch.h, rom/BpsPatch.h); fails only as MakeIps does.
[[nodiscard]] CError MakePatch(PatchFormat format,
                               std::span<const unsigned char> source,
                               std::span<const unsigned char> target,
                               std::string* patch);

// Applies `patch`, an IPS patch ("PATCH") or a BPS patch ("BPS1"), to
// `source` into `*target`. Fails as ApplyIps or ApplyBps does, or (Invalid)
// when the patch starts with neither.
[[nodiscard]] CError ApplyPatch(std::span<const unsigned char> patch,
                                std::span<const unsigned char> source,
                                std::string* target);

}  // namespace dalvren
