#include "core/ExtendedDump.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/BlockWriter.h"
#include "core/ByteToken.h"
#include "core/KeyFinder.h"
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

// The code finders of the sections, made when a section is first read.
class CSectionFinders {
 public:
  CSectionFinders(const CExtendedTable& table,
                  std::span<const unsigned char> input)
      : table_(table), input_(input), finders_(table.sections.size()) {}

  CKeyFinder& Of(std::uint32_t section) {
    std::unique_ptr<CKeyFinder>& finder = finders_[section];
    if (!finder) {
      finder =
          std::make_unique<CKeyFinder>(*table_.sections[section].codes, input_);
    }
    return *finder;
  }

 private:
  const CExtendedTable& table_;
  std::span<const unsigned char> input_;
  std::vector<std::unique_ptr<CKeyFinder>> finders_;
};

// Writes a control code's label and the parameter bytes after it at `pos`;
// returns how many it found.
std::size_t WriteControl(const CExtendedTable::Entry& entry,
                         std::span<const unsigned char> input, std::size_t pos,
                         CBlockWriter& writer, std::string& emit) {
  writer.Append(entry.word);
  const std::size_t have =
      std::min<std::size_t>(entry.count, input.size() - pos);
  emit.clear();
  for (std::size_t i = 0; i < have; ++i) AppendByteToken(input[pos + i], emit);
  writer.Append(emit);
  return have;
}

}  // namespace

void DumpExtended(const CExtendedTable& table, std::ostream& out,
                  std::span<const unsigned char> input,
                  const CExtendedDumpOptions& options) {
  if (table.Simple()) return DumpSimple(table, out, input, options);
  CBlockWriter writer(out);
  CSwitchState state(table.start);
  CSectionFinders finders(table, input);
  bool toldTooDeep = false;
  std::string emit;
  std::size_t pos = 0;
  while (pos < input.size()) {
    const CKeyFinder::Key match = finders.Of(state.Top().section).Longest(pos);
    if (match.length == 0) {
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
    const CExtendedTable::Entry& entry =
        table.entries[CExtendedTable::IdOf(match.value)];
    const std::size_t at = pos;
    pos += match.length;
    switch (entry.kind) {
      case EntryKind::kText:
      case EntryKind::kLineBreak:
        writer.Append(entry.word);
        break;
      case EntryKind::kEnd:
        writer.Append(entry.word);
        writer.Append('\n');
        break;
      case EntryKind::kControl: {
        const std::size_t have = WriteControl(entry, input, pos, writer, emit);
        pos += have;
        if (have < entry.count && options.onShortParameters) {
          options.onShortParameters(at, have, entry.count);
        }
        break;
      }
      case EntryKind::kSwitch:
        break;
    }
    if (state.Matched(entry) && !toldTooDeep) {
      toldTooDeep = true;
      if (options.onTooDeep) options.onTooDeep(at);
    }
  }
}

}  // namespace dalvren
