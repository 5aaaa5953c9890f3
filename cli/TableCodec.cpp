#include "cli/TableCodec.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "core/KeyMatch.h"
#include "core/SwitchState.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

using Bytes = std::span<const unsigned char>;

// The end code of `extra` that starts `rest` and is at least as long as the
// `unit` bytes dump reads there: its length, or 0.
std::size_t ExtraEndAt(Bytes rest, std::size_t unit,
                       std::span<const std::string> extra) {
  for (const std::string& code : extra) {
    if (code.size() >= unit && code.size() <= rest.size() &&
        std::equal(code.begin(), code.end(), rest.begin(),
                   [](char c, unsigned char b) {
                     return static_cast<unsigned char>(c) == b;
                   })) {
      return code.size();
    }
  }
  return 0;
}

std::size_t PlainStringLength(const CCodeTable& table, Bytes bytes,
                              std::span<const std::string> extra) {
  for (std::size_t at = 0; at < bytes.size();) {
    const CKeyMatch match = LongestKeyAt(*table.forward, bytes.subspan(at));
    const std::size_t unit = std::max<std::size_t>(match.length, 1);
    if (const std::size_t end = ExtraEndAt(bytes.subspan(at), unit, extra)) {
      return at + end;
    }
    at += unit;
  }
  return 0;
}

// Reads as the extended dump does (core/ExtendedDump.h), one code at a
// time, without writing anything.
std::size_t ExtendedStringLength(const CExtendedTable& table, Bytes bytes,
                                 std::span<const std::string> extra) {
  CSwitchState state(table.start);
  for (std::size_t at = 0; at < bytes.size();) {
    const CExtendedTable::Section& section =
        table.sections[state.Top().section];
    const CKeyMatch match = LongestKeyAt(*section.codes, bytes.subspan(at));
    if (match.value == nullptr && state.CanReturn()) {
      state.Return();
      continue;
    }
    const CExtendedTable::Entry* entry =
        match.value == nullptr ? nullptr : &table.EntryOf(*match.value);
    std::size_t unit = std::max<std::size_t>(match.length, 1);
    if (entry != nullptr && entry->kind == EntryKind::kControl) {
      unit += std::min<std::size_t>(entry->count, bytes.size() - at - unit);
    }
    if (const std::size_t end = ExtraEndAt(bytes.subspan(at), unit, extra)) {
      return at + end;
    }
    at += unit;
    if (entry == nullptr) continue;
    if (entry->kind == EntryKind::kEnd) return at;
    state.Matched(*entry);
  }
  return 0;
}

std::vector<std::string> ExtendedEndCodes(const CExtendedTable& table) {
  std::vector<std::string> codes;
  for (const CExtendedTable::Entry& entry : table.entries) {
    if (entry.kind == EntryKind::kEnd && entry.current &&
        std::find(codes.begin(), codes.end(), entry.code) == codes.end()) {
      codes.push_back(entry.code);
    }
  }
  return codes;
}

}  // namespace

CRomCodec MakeRomCodec(const CTableConverter& converter) {
  CRomCodec codec;
  // One stream for every string, emptied before each use: a new stream per
  // string would cost more than many strings' conversion.
  auto stream = std::make_shared<std::ostringstream>();
  codec.dump = [&converter, stream](Bytes bytes, std::string& text) {
    stream->str({});
    CTableConverter::DumpOptions options;
    options.tokens = true;
    converter.Dump(*stream, bytes, options);
    text += stream->view();
  };
  auto held = std::make_shared<CHeldCharacters>(converter.HeldCharacters(true));
  codec.insert = [&converter, stream, held](
                     std::string_view text, std::string& bytes,
                     std::vector<CRomCodec::Drop>& drops,
                     std::vector<CRomCodec::Note>& notes) {
    const Bytes script(reinterpret_cast<const unsigned char*>(text.data()),
                       text.size());
    CTableConverter::InsertOptions options;
    options.tokens = true;
    options.onSkip = [&](std::size_t offset) {
      const CUtf8Char c = Utf8CharAt(script, offset);
      if (drops.empty() || drops.back().offset != c.start) {
        const std::string_view character =
            text.substr(c.start, c.end - c.start);
        drops.push_back({c.start, c.end - c.start, held->Holds(character)});
      }
    };
    options.onInexact = [&](std::size_t offset, bool bounded) {
      notes.push_back(
          {offset, bounded ? "the search gave up here (too many ways to read "
                             "the text): read greedily"
                           : "no reading of the text from here dumps back to "
                             "it: read greedily"});
    };
    options.onShortParameters = [&](std::size_t offset, std::size_t have,
                                    std::size_t need) {
      notes.push_back({offset, "the control code has " + std::to_string(have) +
                                   " of its " + std::to_string(need) +
                                   " parameter bytes: the text ends there"});
    };
    stream->str({});
    const CStatus status = converter.Insert(*stream, script, options);
    bytes += stream->view();
    return status.IsOk() ? CError() : CError::Invalid(status.Message());
  };
  if (const CExtendedTable* table = converter.Extended()) {
    codec.stringLength = [table](Bytes bytes,
                                 std::span<const std::string> extra) {
      return ExtendedStringLength(*table, bytes, extra);
    };
    codec.endCodes = ExtendedEndCodes(*table);
  } else {
    const CCodeTable* plain = converter.Plain();
    codec.stringLength = [plain](Bytes bytes,
                                 std::span<const std::string> extra) {
      return PlainStringLength(*plain, bytes, extra);
    };
  }
  return codec;
}

}  // namespace dalvren
