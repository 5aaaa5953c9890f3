// What dump will do with the bytes insert has written so far, for each
// reading of a script that insert keeps open: which sections are in effect
// (core/SwitchState.h), which codes the next bytes must not complete, and
// how many parameter bytes of a control code are still to come. Insert
// writes a code meaning dump to read exactly that code there, so the bytes
// after it must not make a longer code of its section; and where it leaves a
// section, or writes a byte no code covers, the bytes there must start no
// code of that section at all. Those are the pending codes.
//
// States are interned: each distinct one has a number, and each move from a
// state is worked out once, so that a search that meets the same states
// again and again pays for every move once. The number of states is bounded
// by the table (sections, counts, code trie nodes), not by the script.
//
// Invariants:
//   - Ids index `states_`, which only grows; Get(id) stays valid as long as
//     this object lives (a deque never moves its elements).
//   - A state's pending list is sorted and holds each position once; every
//     node in it has children (a key can still be completed from it).
//   - `control` names a control code entry exactly when `parametersLeft` is
//     above 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/CompiledTrie.h"
#include "core/ExtendedTable.h"
#include "core/SwitchState.h"

namespace dalvren {

class CReadingStates {
 public:
  using Id = std::uint32_t;
  // The result of a move dump would not read as insert means it.
  static constexpr Id kBlocked = UINT32_MAX;
  static constexpr std::uint32_t kNoEntry = UINT32_MAX;

  // A node of a section's compiled code trie that the bytes to come must not
  // lead to a key from.
  struct Pending {
    std::uint32_t section = 0;
    std::uint32_t node = 0;
    friend auto operator<=>(const Pending&, const Pending&) = default;
  };

  struct State {
    explicit State(std::uint32_t start) : frames(start) {}
    CSwitchState frames;
    std::vector<Pending> pending;
    std::uint32_t control = kNoEntry;
    std::uint32_t parametersLeft = 0;
    friend bool operator==(const State&, const State&) = default;
  };

  explicit CReadingStates(const CExtendedTable& table);

  // Interned states are referred to by number; copies would renumber them.
  CReadingStates(const CReadingStates&) = delete;
  CReadingStates& operator=(const CReadingStates&) = delete;

  // The start table, nothing pending.
  [[nodiscard]] Id Start() { return start_; }
  [[nodiscard]] const State& Get(Id id) const { return states_[id]; }

  // What a state is for the future of a search, as one number: its pending
  // codes and parameters, and its top kLikeFrames frames. Two states alike
  // in them differ only in frames that many returns below the top, which a
  // search keeping one of them loses only where the script leaves that
  // many sections in a row; a search keeps the better of two alike states.
  static constexpr std::size_t kLikeFrames = 16;
  [[nodiscard]] std::uint64_t Likeness(Id id) const { return likeness_[id]; }
  [[nodiscard]] std::size_t Count() const { return states_.size(); }

  // Whether writing the code of `entry` in `from` would complete a pending
  // code (so WriteCode would be kBlocked); cheaper than making the state.
  [[nodiscard]] bool Blocks(Id from, std::uint32_t entry) const;

  // Writes the code of `entry`, an entry of the top section: dump must read
  // it as that entry. A control code with parameter bytes then waits for
  // them; any other entry takes effect at once (CSwitchState::Matched).
  [[nodiscard]] Id WriteCode(Id from, std::uint32_t entry);
  // Leaves the top frame, a switch with N = 0: dump must find no code of its
  // section at the bytes that follow. CanReturn must hold.
  [[nodiscard]] Id Return(Id from);
  // Return `times` times in a row (each must be possible).
  [[nodiscard]] Id ReturnTimes(Id from, std::size_t times);
  // Writes `byte` as one that dump skips: no code of the top section (which
  // must be one dump cannot return from) may start there.
  [[nodiscard]] Id RawByte(Id from, unsigned char byte);
  // Writes `byte` as the next parameter byte of the waiting control code.
  [[nodiscard]] Id Parameter(Id from, unsigned char byte);
  // The same state with nothing pending: where insert writes what it reads
  // whatever dump makes of it.
  [[nodiscard]] Id Forget(Id from);

 private:
  struct Hash {
    std::size_t operator()(const State& state) const;
  };
  struct SectionCodes {
    CCompiledTrie::View view;
    bool empty = true;
  };

  Id Intern(State&& state);
  // Memoizes `make` under (`from`, `move`).
  template <typename Make>
  Id Remember(Id from, std::uint32_t move, Make&& make);
  // Feeds `bytes` to the pending nodes; false when they complete a key.
  bool Feed(std::vector<Pending>& pending, std::string_view bytes) const;
  static void AddPending(std::vector<Pending>& pending, Pending node);
  void AddRoot(State& state) const;

  const CExtendedTable& table_;
  std::vector<SectionCodes> tries_;
  // Per entry, the node its code ends at when longer codes go on from
  // there, else kNoNode.
  static constexpr std::uint32_t kNoNode = UINT32_MAX;
  std::vector<std::uint32_t> codeNode_;
  std::deque<State> states_;
  std::vector<std::uint64_t> likeness_;
  std::unordered_map<State, Id, Hash> ids_;
  std::unordered_map<std::uint64_t, Id> moves_;
  Id start_ = 0;
};

}  // namespace dalvren
