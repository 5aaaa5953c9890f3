#include "rom/FreeSpace.h"

#include <algorithm>

namespace dalvren {

void CFreeSpace::Add(std::uint64_t start, std::uint64_t end) {
  if (start >= end) return;
  ranges_.push_back({start, end});
  longest_ = std::max(longest_, end - start);
  total_ += end - start;
  left_ += end - start;
}

std::optional<std::uint64_t> CFreeSpace::FitIn(const Range& range,
                                               std::uint64_t length,
                                               const Reach& reach) {
  std::uint64_t at = range.start;
  while (at < range.end && range.end - at >= length) {
    const std::optional<CPointerFormat::Zone> zone = reach(at);
    if (!zone || zone->start >= range.end) return std::nullopt;
    at = zone->start;
    const std::uint64_t end = std::min(zone->end, range.end);
    if (end > at && end - at >= length) return at;
    at = zone->end;
  }
  return std::nullopt;
}

std::optional<std::uint64_t> CFreeSpace::Take(std::uint64_t length,
                                              const Reach& reach) {
  if (length > longest_) return std::nullopt;
  for (std::size_t i = 0; i < ranges_.size(); ++i) {
    Range& range = ranges_[i];
    if (range.end - range.start < length) continue;
    const std::optional<std::uint64_t> at = FitIn(range, length, reach);
    if (!at) continue;
    left_ -= length;
    if (*at == range.start) {
      // Nearly always: the range shrinks from its start, and an emptied one
      // stays in place rather than cost a shift of all after it.
      range.start += length;
      return at;
    }
    // The piece before the string stays where the range was, the piece
    // after it follows, so that the order of the search is kept.
    const Range after{*at + length, range.end};
    range.end = *at;
    if (after.start < after.end) {
      ranges_.insert(ranges_.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                     after);
    }
    return at;
  }
  return std::nullopt;
}

std::uint64_t CFreeSpace::LargestRun(const Reach& reach) const {
  std::uint64_t best = 0;
  for (const Range& range : ranges_) {
    std::uint64_t at = range.start;
    while (at < range.end) {
      const std::optional<CPointerFormat::Zone> zone = reach(at);
      if (!zone || zone->start >= range.end) break;
      const std::uint64_t end = std::min(zone->end, range.end);
      best = std::max(best, end - zone->start);
      at = zone->end;
    }
  }
  return best;
}

}  // namespace dalvren
