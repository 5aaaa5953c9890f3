#include "rom/StarterTable.h"

#include <algorithm>
#include <set>

#include "core/HexCodec.h"

namespace dalvren {

std::string UnitBytes(std::uint32_t value, unsigned width,
                      CRelativePattern::ByteOrder order) {
  const auto high = static_cast<char>(value >> 8);
  const auto low = static_cast<char>(value);
  if (width == 1) return std::string(1, low);
  return order == CRelativePattern::ByteOrder::kBig ? std::string{high, low}
                                                    : std::string{low, high};
}

CStarterTable::CStarterTable(const CRelativePattern& pattern,
                             std::span<const std::uint32_t> bases,
                             CRelativePattern::ByteOrder order) {
  const auto& groups = pattern.Groups();
  const std::uint32_t mask = pattern.Width() == 1 ? 0xFF : 0xFFFF;
  std::set<std::uint32_t> taken;
  const auto place = [&](std::size_t g, std::uint32_t index) {
    const std::uint32_t value = (bases[g] + index) & mask;
    const std::string& letter = groups[g].letters[index];
    if (!taken.insert(value).second) {
      leftOut_.push_back(letter);
      return;
    }
    entries_.push_back({UnitBytes(value, pattern.Width(), order), letter});
  };
  // The word's own letters were seen at their codes, so they go first: a
  // clash with a letter merely implied must not cost one of them.
  struct Seen {
    std::size_t unit;
    std::size_t group;
    std::uint32_t index;
  };
  std::vector<Seen> seen;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (std::size_t k = 0; k < groups[g].units.size(); ++k) {
      seen.push_back({groups[g].units[k], g, groups[g].indices[k]});
    }
  }
  std::sort(seen.begin(), seen.end(),
            [](const Seen& a, const Seen& b) { return a.unit < b.unit; });
  std::vector<std::set<std::uint32_t>> placed(groups.size());
  for (const Seen& s : seen) {
    if (placed[s.group].insert(s.index).second) place(s.group, s.index);
  }
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (std::uint32_t i = 0; i < groups[g].letters.size(); ++i) {
      if (!placed[g].contains(i)) place(g, i);
    }
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.code < b.code; });
}

std::string CStarterTable::Text() const {
  std::string text;
  for (const Entry& entry : entries_) {
    for (const char c : entry.code) {
      const auto b = static_cast<unsigned char>(c);
      text += kHexDigits[b >> 4];
      text += kHexDigits[b & 0xF];
    }
    text += '=';
    text += entry.letter;
    text += '\n';
  }
  return text;
}

}  // namespace dalvren
