// The bytes that dump, insert and roundtrip convert: the input file or
// standard input, hex-decoded with --hex-in, cut to --offset and --length.
#pragma once

#include <memory>
#include <span>

#include "cli/CommandLine.h"
#include "cli/InputBytes.h"
#include "cli/Status.h"
#include "core/ByteString.h"

namespace dalvren {

// The selected bytes, and what keeps them alive.
struct CInputRange {
  CInputBytes bytes;
  std::unique_ptr<CByteString> decoded;
  // Points into `bytes` or `decoded`.
  std::span<const unsigned char> range;
};

// Reads the input of `line` whole (at most kMaxByteStringLength bytes),
// decodes it with --hex-in as the window's Hex fields read their text (up to
// a zero byte), and selects the range of --offset and --length into
// `*input`. Fails, with a message that names the input, when it cannot be
// opened or read, is too large, or the range reaches past its end.
[[nodiscard]] CStatus ReadInputRange(const CCommandLine& line,
                                     CInputRange* input);

}  // namespace dalvren
