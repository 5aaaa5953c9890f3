#include "core/ExtendedDump.h"

#include <algorithm>

#include "core/BlockWriter.h"
#include "core/ByteToken.h"
#include "core/KeyMatch.h"
#include "core/SwitchState.h"

namespace dalvren {

namespace {

void DumpSimple(const CExtendedTable& table, std::ostream& out,
                std::span<const unsigned char> input,
                const CExtendedDumpOptions& options) {
  CTranslateHooks hooks;
  hooks.onSkip = options.onSkip;
  table.dumpText->Translate(out, input, hooks);
}

}  // namespace

void DumpExtended(const CExtendedTable& table, std::ostream& out,
                  std::span<const unsigned char> input,
                  const CExtendedDumpOptions& options) {
  if (table.Simple()) return DumpSimple(table, out, input, options);
  CBlockWriter writer(out);
  CSwitchState state(table.start);
  std::string emit;
  std::size_t pos = 0;
  while (pos < input.size()) {
    const CExtendedTable::Section& section =
        table.sections[state.Top().section];
    const CKeyMatch match = LongestKeyAt(*section.codes, input.subspan(pos));
    if (match.value == nullptr) {
      if (state.CanReturn()) {
        state.Return();
        continue;
      }
      if (options.onSkip) {
        emit.clear();
        options.onSkip(pos, input[pos], emit);
        writer.Append(emit);
      }
      ++pos;
      continue;
    }
    const CExtendedTable::Entry& entry = table.EntryOf(*match.value);
    const std::size_t at = pos;
    pos += match.length;
    switch (entry.kind) {
      case EntryKind::kText:
      case EntryKind::kLineBreak:
        writer.Append(entry.word);
        break;
      case EntryKind::kEnd:
        writer.Append(entry.word);
        writer.Append("\n");
        break;
      case EntryKind::kControl: {
        writer.Append(entry.word);
        const std::size_t have =
            std::min<std::size_t>(entry.count, input.size() - pos);
        emit.clear();
        for (std::size_t i = 0; i < have; ++i) {
          AppendByteToken(input[pos + i], emit);
        }
        writer.Append(emit);
        pos += have;
        if (have < entry.count && options.onShortParameters) {
          options.onShortParameters(at, have, entry.count);
        }
        break;
      }
      case EntryKind::kSwitch:
        break;
    }
    state.Matched(entry);
  }
}

}  // namespace dalvren
