#include "rom/Extract.h"

#include <map>
#include <utility>

#include "rom/Crc32.h"
#include "rom/LayoutText.h"
#include "rom/ScriptWriter.h"

namespace dalvren {

namespace {

struct CFound {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::vector<std::uint64_t> from;
};

// Finds the strings of the layout's blocks, one block at a time.
class CStringFinder {
 public:
  CStringFinder(const CLayout& layout, std::span<const unsigned char> rom,
                const CRomCodec& codec, CExtractResult* result)
      : layout_(layout), rom_(rom), codec_(codec), result_(result) {}

  void FindInText(const CLayout::Block& block);
  void FindByPointers(const CLayout::Block& block);

  std::vector<CFound> found;

 private:
  // The index in `found` of the string at `offset` of `length` bytes, added
  // when it is new.
  std::size_t Add(std::uint64_t offset, std::uint64_t length);
  void Note(const CLayout::Block& block, std::string message) {
    result_->notes.push_back({block.line, std::move(message)});
  }
  // Why a pointer to the string at `offset` of `length` bytes is skipped;
  // empty when it is not.
  [[nodiscard]] std::string Refusal(std::uint64_t offset,
                                    std::uint64_t length) const;

  const CLayout& layout_;
  std::span<const unsigned char> rom_;
  const CRomCodec& codec_;
  CExtractResult* result_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> index_;
};

std::size_t CStringFinder::Add(std::uint64_t offset, std::uint64_t length) {
  const auto [it, added] = index_.try_emplace({offset, length}, found.size());
  if (added) found.push_back({offset, length, {}});
  return it->second;
}

void CStringFinder::FindInText(const CLayout::Block& block) {
  std::uint64_t at = block.start;
  while (at <= block.end) {
    const auto bytes = rom_.subspan(at, block.end + 1 - at);
    std::uint64_t length = codec_.stringLength(bytes, block.endCodes);
    if (length == 0) {
      length = bytes.size();
      Note(block, "the last " + std::to_string(length) + " bytes of " +
                      block.Name() + ", from " + HexOffset(at) +
                      ", end with no end code; they are one string");
    }
    Add(at, length);
    at += length;
  }
}

std::string CStringFinder::Refusal(std::uint64_t offset,
                                   std::uint64_t length) const {
  const std::uint64_t last = offset + length - 1;
  for (const CLayout::Block& other : layout_.blocks) {
    if (other.kind == CLayout::BlockKind::kPointers && offset <= other.end &&
        other.start <= last) {
      return "its string reaches into " + other.Name();
    }
  }
  for (const CLayout::Area& area : layout_.free) {
    if (offset <= area.end && area.start <= last) {
      return "its string lies in #FREE " + HexOffset(area.start) + "-" +
             HexOffset(area.end);
    }
  }
  return {};
}

void CStringFinder::FindByPointers(const CLayout::Block& block) {
  const CPointerFormat& format = block.pointers;
  // Each offset pointers lead to: its string, or why there is none.
  struct CTarget {
    std::size_t string = SIZE_MAX;
    std::string refusal;
  };
  std::map<std::uint64_t, CTarget> byTarget;
  for (std::uint64_t k = 0; k < block.SlotCount(); ++k) {
    const std::uint64_t at = block.start + k * format.stride;
    const std::uint64_t value = format.Read(rom_, at);
    const std::string pointer =
        "pointer at " + HexOffset(at) + " (value " + HexOffset(value) + ")";
    const std::optional<std::uint64_t> target = format.Target(value, at);
    std::string why;
    if (!target) {
      why = "maps to no ROM offset";
    } else if (*target >= rom_.size()) {
      why = "leads to " + HexOffset(*target) + ", past the end of the ROM";
    } else if (format.window && (*target < format.window->start ||
                                 *target >= format.window->end)) {
      why = "leads to " + HexOffset(*target) + ", outside its WINDOW=";
    }
    if (!why.empty()) {
      std::string note = pointer;
      note += ' ';
      note += why;
      note += "; skipped";
      Note(block, std::move(note));
      continue;
    }
    auto [it, added] = byTarget.try_emplace(*target);
    CTarget& to = it->second;
    if (added) {
      const std::uint64_t length =
          codec_.stringLength(rom_.subspan(*target), block.endCodes);
      to.refusal = length == 0 ? "no end code follows before the end of the ROM"
                               : Refusal(*target, length);
      if (to.refusal.empty()) to.string = Add(*target, length);
    }
    if (!to.refusal.empty()) {
      Note(block, pointer + " leads to " + HexOffset(*target) + ", but " +
                      to.refusal + "; skipped");
      continue;
    }
    found[to.string].from.push_back(at);
  }
}

// The layout's lines with the #ROM line of `rom`.
std::string Header(const CLayout& layout, std::span<const unsigned char> rom) {
  std::string out = layout.header.front() + "\n";
  out += RomDirective(rom.size(), Crc32(rom)) + "\n";
  for (std::size_t i = 1; i < layout.header.size(); ++i) {
    if (i != layout.romHeaderLine) out += layout.header[i] + "\n";
  }
  return out;
}

}  // namespace

CError Extract(const CLayout& layout, std::span<const unsigned char> rom,
               const CRomCodec& codec, std::ostream& out,
               CExtractResult* result) {
  if (CError e = layout.CheckAgainst(rom.size(), codec.endCodes); !e.IsOk()) {
    return e;
  }
  CStringFinder finder(layout, rom, codec, result);
  for (const CLayout::Block& block : layout.blocks) {
    if (block.kind == CLayout::BlockKind::kText) {
      finder.FindInText(block);
    } else {
      finder.FindByPointers(block);
    }
  }
  std::string buffer = Header(layout, rom);
  std::string text;
  for (const CFound& f : finder.found) {
    text.clear();
    codec.dump(rom.subspan(f.offset, f.length), text);
    AppendStringSection({f.offset, f.length, f.from, text, text}, buffer);
    // Written in pieces: a script is larger than its ROM.
    if (buffer.size() >= std::size_t{64} * 1024) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  result->strings = finder.found.size();
  return {};
}

}  // namespace dalvren
