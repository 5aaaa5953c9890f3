// A range of bytes read from a ROM file, and bytes written into one: what a
// translator otherwise copies through a hex editor. Reading refuses anything
// but a regular file, since opening a pipe or a device could wait for ever.
// Writing makes the whole new file beside its target and renames it into
// place, so a failure leaves the target as it was.
//
// Messages name no file: the caller says which file they are about
// (CError::WithContext).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/Error.h"

namespace dalvren {

// What a ROM file held when it was read: enough to tell that it changed
// since.
struct CRomFileState {
  std::uint64_t size = 0;
  std::filesystem::file_time_type modified;
  // The CRC-32 of the whole file.
  std::uint32_t crc = 0;

  friend bool operator==(const CRomFileState&, const CRomFileState&) = default;
};

// The size of the regular file `path` in `*size`. Fails with kIo: "no such
// file", "it is a folder", "it is not a regular file", or the system's
// reason.
[[nodiscard]] CError RomFileSize(const std::string& path, std::uint64_t* size);

// What the regular file `path` holds now, in `*state`; fails as RomFileSize
// does, or when the file cannot be read.
[[nodiscard]] CError RomFileStateOf(const std::string& path,
                                    CRomFileState* state);

// Reads `length` bytes (all from `offset` to the end when none is given) at
// `offset` of the regular file `path` into `*bytes`, and what the file
// held into `*state`. Fails as RomFileSize does, and with kInvalid, reading
// nothing, for an offset past the end, a length of 0, a range that reaches
// past the end or one of more than kMaxByteStringLength bytes.
[[nodiscard]] CError ReadRomRange(const std::string& path, std::uint64_t offset,
                                  std::optional<std::uint64_t> length,
                                  std::string* bytes, CRomFileState* state);

// Bytes to write into a copy of a ROM.
struct CRomWrite {
  // The ROM whose bytes are copied.
  std::string rom;
  // Where the copy goes: a new file, or `rom` itself (then replaced).
  std::string target;
  std::uint64_t offset = 0;
  std::string_view bytes;
  // Bytes that reach past the end of the ROM make the copy longer; without
  // it, such a write is refused.
  bool grow = false;
};

// Writes `write.target`: the bytes of `write.rom` with `write.bytes` in
// place of those at `write.offset`. An existing target keeps its
// permissions; a symbolic link is followed and its file replaced. Fails,
// leaving the target as it was: as RomFileSize does for the ROM; with
// kInvalid for an offset past the end of the ROM (even when growing: there
// would be a gap) or bytes that reach past it without `grow`; with kIo when
// the target is a folder or no regular file, has no write permission at all
// (replacing it would bypass that), or cannot be written.
[[nodiscard]] CError WriteRomBytes(const CRomWrite& write);

// Whether WriteRomBytes would refuse `write`, and why, without writing;
// the ROM's size goes to `*romSize` when it is given. A write that passes
// may still fail on the way (a full disk).
[[nodiscard]] CError CheckRomWrite(const CRomWrite& write,
                                   std::uint64_t* romSize = nullptr);

// Reads an offset or a byte count as typed: decimal digits, or hexadecimal
// digits after "0x" (either case), with blanks around them. Fails with
// kInvalid for anything else, or for a value beyond 64 bits.
[[nodiscard]] CError ParseByteCount(std::string_view text,
                                    std::uint64_t* value);

}  // namespace dalvren
