// The converter's exit statuses.
#pragma once

namespace dalvren {

// Success.
inline constexpr int kExitOk = 0;
// check found a line that did not load as written or an entry whose pair of
// code and text was lost (with --strict, also a warning, alias or
// duplicate); roundtrip did not give back the same bytes.
inline constexpr int kExitCheckFound = 1;
inline constexpr int kExitDiffers = 1;
// dump with --strict skipped a byte, or insert with --strict dropped a
// character of the script or wrote a place that does not read back.
inline constexpr int kExitDrops = 1;
// search found nothing.
inline constexpr int kExitNoHit = 1;
// build: a string did not fit the room its rules give it; a patch could not
// hold its target.
inline constexpr int kExitNoRoom = 1;
// Bad usage, a file that cannot be opened, read or written, an output that
// is the table file, a bad range, a table encoding that cannot be used, or
// running out of memory.
inline constexpr int kExitError = 2;

}  // namespace dalvren
