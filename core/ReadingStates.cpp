#include "core/ReadingStates.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace dalvren {

namespace {

using Compiled = CCompiledTrie;

// Move numbers: the kind in the top three bits, the entry or byte below.
enum Move : std::uint32_t {
  kWriteCode = 0u << 29,
  kReturnMove = 1u << 29,
  kRawByteMove = 2u << 29,
  kParameterMove = 3u << 29,
  kForgetMove = 4u << 29,
  kReturnsMove = 5u << 29,
};

void Mix(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
}

}  // namespace

std::size_t CReadingStates::Hash::operator()(const State& state) const {
  std::size_t seed = state.pending.size();
  for (const CSwitchState::Frame& frame : state.frames.Frames()) {
    Mix(seed, frame.section);
    Mix(seed, (std::size_t{frame.left} << 1) | (frame.counted ? 1 : 0));
  }
  for (const Pending& p : state.pending) {
    Mix(seed, (std::size_t{p.section} << 32) | p.node);
  }
  Mix(seed, (std::size_t{state.control} << 32) | state.parametersLeft);
  return seed;
}

CReadingStates::CReadingStates(const CExtendedTable& table) : table_(table) {
  assert(table.entries.size() < (std::size_t{1} << 29));
  for (const CExtendedTable::Section& section : table.sections) {
    const CCompiledTrie& compiled = section.codes->Compiled();
    tries_.push_back({compiled.GetView(), compiled.LongestKey() == 0});
  }
  codeNode_.assign(table.entries.size(), kNoNode);
  for (std::uint32_t id = 0; id < table.entries.size(); ++id) {
    const CExtendedTable::Entry& entry = table.entries[id];
    if (!entry.current) continue;
    const Compiled::View& view = tries_[entry.section].view;
    std::uint32_t node = 0;
    for (std::size_t i = 0; i < entry.code.size() && node != kNoNode; ++i) {
      const Compiled::Step step = view.Next(
          view.nodes[node], static_cast<unsigned char>(entry.code[i]));
      node = Compiled::Tag(step) == Compiled::kNode ? Compiled::Number(step)
                                                    : kNoNode;
    }
    codeNode_[id] = node;
  }
  start_ = Intern(State(table.start));
}

CReadingStates::Id CReadingStates::Intern(State&& state) {
  const auto found = ids_.find(state);
  if (found != ids_.end()) return found->second;
  const auto id = static_cast<Id>(states_.size());
  std::size_t like = state.pending.size();
  const std::span<const CSwitchState::Frame> frames = state.frames.Frames();
  const std::size_t kept = std::min(frames.size(), kLikeFrames);
  for (std::size_t i = frames.size() - kept; i < frames.size(); ++i) {
    Mix(like, frames[i].section);
    Mix(like, (std::size_t{frames[i].left} << 1) | (frames[i].counted ? 1 : 0));
  }
  for (const Pending& p : state.pending) {
    Mix(like, (std::size_t{p.section} << 32) | p.node);
  }
  Mix(like, (std::size_t{state.control} << 32) | state.parametersLeft);
  likeness_.push_back(like);
  states_.push_back(std::move(state));
  ids_.emplace(states_.back(), id);
  return id;
}

template <typename Make>
CReadingStates::Id CReadingStates::Remember(Id from, std::uint32_t move,
                                            Make&& make) {
  const std::uint64_t key = (std::uint64_t{from} << 32) | move;
  if (const auto found = moves_.find(key); found != moves_.end()) {
    return found->second;
  }
  State state = states_[from];
  bool made = make(state);
  if (made) state.frames.JoinAlike();
  const Id id = made ? Intern(std::move(state)) : kBlocked;
  moves_.emplace(key, id);
  return id;
}

bool CReadingStates::Feed(std::vector<Pending>& pending,
                          std::string_view bytes) const {
  for (const char c : bytes) {
    if (pending.empty()) return true;
    std::size_t kept = 0;
    for (const Pending p : pending) {
      const Compiled::View& view = tries_[p.section].view;
      const Compiled::Step step =
          view.Next(view.nodes[p.node], static_cast<unsigned char>(c));
      const std::uint8_t tag = Compiled::Tag(step);
      if (tag == Compiled::kNone) continue;
      // A leaf, or a node where a key ends: dump would read that key.
      if (tag != Compiled::kNode) return false;
      const std::uint32_t next = Compiled::Number(step);
      if (view.nodes[next].value != Compiled::kNoValue) return false;
      pending[kept++] = {p.section, next};
    }
    pending.resize(kept);
    // Two positions may have reached the same node.
    if (pending.size() > 1) {
      std::sort(pending.begin(), pending.end());
      pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
    }
  }
  return true;
}

void CReadingStates::AddPending(std::vector<Pending>& pending, Pending node) {
  const auto at = std::lower_bound(pending.begin(), pending.end(), node);
  if (at == pending.end() || *at != node) pending.insert(at, node);
}

void CReadingStates::AddRoot(State& state) const {
  const std::uint32_t section = state.frames.Top().section;
  if (!tries_[section].empty) AddPending(state.pending, {section, 0});
}

bool CReadingStates::Blocks(Id from, std::uint32_t entry) const {
  const State& state = states_[from];
  if (state.pending.empty()) return false;
  std::vector<Pending> pending = state.pending;
  return !Feed(pending, table_.entries[entry].code);
}

CReadingStates::Id CReadingStates::WriteCode(Id from, std::uint32_t entry) {
  // A blocked code is found without copying the state (its frames may be
  // many).
  const std::uint64_t key = (std::uint64_t{from} << 32) | kWriteCode | entry;
  if (moves_.find(key) == moves_.end() && Blocks(from, entry)) {
    moves_.emplace(key, kBlocked);
    return kBlocked;
  }
  return Remember(from, kWriteCode | entry, [&](State& state) {
    const CExtendedTable::Entry& written = table_.entries[entry];
    assert(written.section == state.frames.Top().section);
    assert(state.parametersLeft == 0);
    if (!Feed(state.pending, written.code)) return false;
    if (codeNode_[entry] != kNoNode) {
      AddPending(state.pending, {written.section, codeNode_[entry]});
    }
    if (written.kind == EntryKind::kControl && written.count > 0) {
      state.control = entry;
      state.parametersLeft = written.count;
    } else {
      (void)state.frames.Matched(written);
    }
    return true;
  });
}

CReadingStates::Id CReadingStates::Return(Id from) {
  return Remember(from, kReturnMove, [&](State& state) {
    assert(state.frames.CanReturn() && state.parametersLeft == 0);
    AddRoot(state);
    state.frames.Return();
    return true;
  });
}

CReadingStates::Id CReadingStates::ReturnTimes(Id from, std::size_t times) {
  if (times == 1) return Return(from);
  const std::uint64_t key = (std::uint64_t{from} << 32) | kReturnsMove |
                            static_cast<std::uint32_t>(times);
  if (const auto found = moves_.find(key); found != moves_.end()) {
    return found->second;
  }
  Id at = from;
  for (std::size_t i = 0; i < times; ++i) at = Return(at);
  moves_.emplace(key, at);
  return at;
}

CReadingStates::Id CReadingStates::RawByte(Id from, unsigned char byte) {
  return Remember(from, kRawByteMove | byte, [&](State& state) {
    assert(!state.frames.CanReturn() && state.parametersLeft == 0);
    AddRoot(state);
    return Feed(state.pending,
                std::string_view(reinterpret_cast<const char*>(&byte), 1));
  });
}

CReadingStates::Id CReadingStates::Parameter(Id from, unsigned char byte) {
  return Remember(from, kParameterMove | byte, [&](State& state) {
    assert(state.parametersLeft > 0);
    if (!Feed(state.pending,
              std::string_view(reinterpret_cast<const char*>(&byte), 1))) {
      return false;
    }
    if (--state.parametersLeft == 0) {
      (void)state.frames.Matched(table_.entries[state.control]);
      state.control = kNoEntry;
    }
    return true;
  });
}

CReadingStates::Id CReadingStates::Forget(Id from) {
  return Remember(from, kForgetMove, [](State& state) {
    state.pending.clear();
    return true;
  });
}

}  // namespace dalvren
