#include "rom/Layout.h"

#include "rom/LayoutText.h"

namespace dalvren {

namespace {

std::string LineText(std::size_t line) {
  return "line " + std::to_string(line);
}

std::string RangeText(std::uint64_t start, std::uint64_t end) {
  return HexOffset(start) + "-" + HexOffset(end);
}

}  // namespace

std::uint64_t CLayout::Block::SlotCount() const {
  const std::uint64_t bytes = end - start + 1;
  if (bytes < pointers.size) return 0;
  return (bytes - pointers.size) / pointers.stride + 1;
}

bool CLayout::Block::IsSlot(std::uint64_t at) const {
  if (kind != BlockKind::kPointers || at < start) return false;
  const std::uint64_t k = (at - start) / pointers.stride;
  return (at - start) % pointers.stride == 0 && k < SlotCount();
}

std::string CLayout::Block::Name() const {
  return std::string(kind == BlockKind::kText ? "#TEXT " : "#POINTERS ") +
         RangeText(start, end);
}

const CLayout::Block* CLayout::BlockOfPointer(std::uint64_t at) const {
  for (const Block& block : blocks) {
    if (block.IsSlot(at)) return &block;
  }
  return nullptr;
}

CError CLayout::CheckAgainst(
    std::uint64_t romSize,
    const std::vector<std::string>& tableEndCodes) const {
  const auto outside = [romSize](std::size_t line, const std::string& what,
                                 std::uint64_t end) {
    return CError::Invalid(
        LineText(line) + ": " + what + " reaches past the end of the ROM (" +
        std::to_string(romSize) + " bytes, last offset " +
        HexOffset(romSize == 0 ? 0 : romSize - 1) + "), to " + HexOffset(end));
  };
  for (const Block& block : blocks) {
    if (block.end >= romSize)
      return outside(block.line, block.Name(), block.end);
    for (const Block& other : blocks) {
      if (&other == &block) break;
      if (block.start <= other.end && other.start <= block.end) {
        return CError::Invalid(LineText(block.line) + ": " + block.Name() +
                               " overlaps " + other.Name() + " (" +
                               LineText(other.line) + ")");
      }
    }
    if (block.endCodes.empty() && tableEndCodes.empty()) {
      return CError::Invalid(
          LineText(block.line) + ": " + block.Name() +
          " has no end code: give END= (the table has no end code of its own)");
    }
  }
  for (const Area& area : free) {
    const std::string name = "#FREE " + RangeText(area.start, area.end);
    if (area.end >= romSize) return outside(area.line, name, area.end);
    for (const Area& other : free) {
      if (&other == &area) break;
      if (area.start <= other.end && other.start <= area.end) {
        return CError::Invalid(LineText(area.line) + ": " + name +
                               " overlaps the #FREE area of " +
                               LineText(other.line));
      }
    }
    for (const Block& block : blocks) {
      if (area.start <= block.end && block.start <= area.end) {
        return CError::Invalid(LineText(area.line) + ": " + name +
                               " overlaps " + block.Name() + " (" +
                               LineText(block.line) + ")");
      }
    }
  }
  return {};
}

const std::string& CLayout::PadFor(
    const Block& block, const std::vector<std::string>& tableEndCodes) const {
  if (!pad.empty()) return pad;
  if (!block.endCodes.empty()) return block.endCodes.front();
  return tableEndCodes.front();
}

}  // namespace dalvren
