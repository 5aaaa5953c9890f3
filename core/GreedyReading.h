// How extended insert reads a stretch of script that no reading dumps back
// to exactly (an edited script, a character a table lacks where it stands):
// one piece at a time, as the plain syntax does, taking the longest text the
// current section has, or a token, or else the fewest switch codes to a
// section that has one, or else returning from a switch with N = 0; what no
// section it can reach takes is dropped. It writes what it reads whatever
// dump makes of the bytes around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/ExtendedInsert.h"
#include "core/ExtendedTable.h"
#include "core/ReadingSearch.h"
#include "core/ReadingStates.h"

namespace dalvren {

class CGreedyReading {
 public:
  using Id = CReadingStates::Id;

  struct Result {
    // False when a control code's parameter tokens are missing where the
    // script goes on and no other section takes its label (`fault`).
    bool ok = true;
    std::size_t pos = 0;
    Id state = 0;
    CScriptFault fault;
  };

  // All of these must outlive the reading.
  CGreedyReading(const CExtendedTable& table, CReadingStates& states,
                 std::span<const unsigned char> script, bool tokens);

  // Reads one piece of the script at `pos` in `state` (at least one byte,
  // dropped if need be), appending its steps to `steps`. With
  // `dropFaults`, a label whose parameter tokens are missing is dropped like
  // a character no section takes: where insert's search gave up, the
  // reading that led there may be what keeps the label from its tokens.
  [[nodiscard]] Result Step(std::size_t pos, Id state,
                            std::vector<CReadingStep>& steps,
                            bool dropFaults = false);

 private:
  enum class Outcome { kOk, kBlocked, kFault };
  struct Option {
    bool word = true;  // a text of the section, else a token's byte
  };

  // The texts and tokens the section at the top of `state` can take at
  // `pos`, in order of preference.
  std::vector<Option> Options(std::size_t pos, Id state) const;
  static constexpr std::uint32_t kNoControl = UINT32_MAX;
  // The current control code of `meant`'s section and label that takes
  // the most parameters, but no more than `tokens`; kNoControl if none.
  [[nodiscard]] std::uint32_t ControlOfAtMost(
      const CExtendedTable::Entry& meant, std::size_t tokens) const;
  Outcome Apply(std::size_t pos, Id state, Option option, Result& result,
                std::vector<CReadingStep>& steps);
  Outcome Direct(std::size_t pos, Id state, Result& result,
                 std::vector<CReadingStep>& steps);
  // Calls `attempt` with the shortest run of switch codes from the top
  // section of `state` to each section that takes the script at `pos` as
  // dump writes it, nearest first, until it returns true; whether one did.
  bool AnySwitchChain(
      std::size_t pos, Id state,
      const std::function<bool(std::span<const std::uint32_t>)>& attempt) const;
  bool Progresses(std::uint32_t section, std::size_t pos) const;

  const CExtendedTable& table_;
  CReadingStates& states_;
  std::span<const unsigned char> script_;
  bool tokens_;
};

}  // namespace dalvren
