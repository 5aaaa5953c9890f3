#include "core/SwitchState.h"

#include <cassert>

namespace dalvren {

CSwitchState::CSwitchState(std::uint32_t start) {
  frames_.push_back({.section = start});
}

void CSwitchState::Return() {
  assert(CanReturn());
  frames_.pop_back();
  DropExhausted();
  assert(Holds());
}

bool CSwitchState::Matched(const CExtendedTable::Entry& entry) {
  if (entry.kind == EntryKind::kEnd) {
    frames_.resize(1);
    return false;
  }
  Frame& top = frames_.back();
  assert(!top.counted || top.left > 0);
  if (top.counted) --top.left;
  if (entry.kind == EntryKind::kSwitch) {
    const Frame opened{.section = entry.target,
                       .left = entry.count,
                       .counted = entry.count > 0};
    const bool replaced = frames_.size() > kMaxDepth;
    if (replaced) {
      frames_.back() = opened;
    } else {
      frames_.push_back(opened);
    }
    assert(Holds());
    return replaced;
  }
  DropExhausted();
  assert(Holds());
  return false;
}

void CSwitchState::JoinAlike() {
  std::size_t kept = 1;
  for (std::size_t i = 1; i < frames_.size(); ++i) {
    const Frame& frame = frames_[i];
    Frame& below = frames_[kept - 1];
    if (frame.section == below.section && frame.counted == below.counted) {
      // The start table counts nothing and is never left.
      if (kept > 1) below.left += frame.left;
      continue;
    }
    if (kept == 1 && frame.section == below.section && frame.counted) {
      continue;
    }
    frames_[kept++] = frame;
  }
  frames_.resize(kept);
  assert(Holds());
}

void CSwitchState::DropExhausted() {
  while (frames_.size() > 1 && frames_.back().counted &&
         frames_.back().left == 0) {
    frames_.pop_back();
  }
}

bool CSwitchState::Holds() const {
  return !frames_.empty() && !frames_.front().counted &&
         frames_.size() <= kMaxDepth + 1 &&
         !(frames_.back().counted && frames_.back().left == 0);
}

}  // namespace dalvren
