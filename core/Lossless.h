// Whether every dump of an extended table inserts back as it came, and
// where not, a ROM that shows it. With unknown bytes kept as <$XX> tokens:
//   - through a table whose start table reaches no switch code, insert of a
//     dump gives back the very bytes dumped exactly when no two ROMs dump to
//     the same script;
//   - through one that reaches switch codes, insert gives bytes that dump
//     to the same script (the switch codes it chooses may differ from the
//     ROM's), since it tries the ways through them (core/ReadingSearch.h).
// The verdict is worked out, not assumed: a "no" comes with a ROM whose
// dump inserts as other bytes, found by following the texts that can spell
// one script two ways (Sardinas and Patterson's test of a code) and
// confirmed by dumping and inserting it.
#pragma once

#include <cstdint>
#include <string>

#include "core/ExtendedTable.h"

namespace dalvren {

struct CLosslessVerdict {
  enum class Kind {
    kBytes,   // insert gives back the bytes of every dump
    kScript,  // insert gives bytes that dump to the same script
    kNo,      // `rom` dumps to `script`, which inserts as `inserted`
  };
  Kind kind = Kind::kBytes;
  // kNo: what begins the spelling of `script` that `rom` dumps to, and
  // what begins the one insert read: an entry and its text, or a token
  // (entry kNoEntry). The same entry twice for an entry whose text is
  // empty.
  static constexpr std::uint32_t kNoEntry = UINT32_MAX;
  std::uint32_t first = kNoEntry;
  std::string firstText;
  std::uint32_t second = kNoEntry;
  std::string secondText;
  std::string rom;
  std::string script;
  std::string inserted;
};

// Judges `table`; costs a dump and an insert per spelling it tries, and a
// walk over the suffixes of its texts.
[[nodiscard]] CLosslessVerdict JudgeLossless(const CExtendedTable& table);

}  // namespace dalvren
