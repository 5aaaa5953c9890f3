#include "core/SwitchState.h"

namespace dalvren {

CSwitchState::CSwitchState(std::uint32_t start) {
  frames_.push_back({.section = start});
}

void CSwitchState::Return() {
  frames_.pop_back();
  DropExhausted();
}

void CSwitchState::Matched(const CExtendedTable::Entry& entry) {
  if (entry.kind == EntryKind::kEnd) {
    frames_.resize(1);
    return;
  }
  Frame& top = frames_.back();
  if (top.counted) --top.left;
  if (entry.kind == EntryKind::kSwitch) {
    const Frame opened{.section = entry.target,
                       .left = entry.count,
                       .counted = entry.count > 0,
                       .serial = ++serials_};
    if (frames_.size() > kMaxDepth) {
      frames_.back() = opened;
    } else {
      frames_.push_back(opened);
    }
    return;
  }
  DropExhausted();
}

void CSwitchState::DropExhausted() {
  while (frames_.size() > 1 && frames_.back().counted &&
         frames_.back().left == 0) {
    frames_.pop_back();
  }
}

}  // namespace dalvren
