#include "core/GreedyReading.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <string>

#include "core/ByteToken.h"
#include "core/KeyMatch.h"

namespace dalvren {

namespace {

using StepKind = CReadingStep::Kind;

// The entry dump reads for the code of `meant` (the entry a text names in
// its section's words, whose code a later entry may have taken).
std::uint32_t ReadAs(const CExtendedTable& table,
                     const CExtendedTable::Entry& meant) {
  const CByteString* id = table.sections[meant.section].codes->Find(
      {reinterpret_cast<const unsigned char*>(meant.code.data()),
       meant.code.size()});
  return CExtendedTable::IdOf({id->data.get(), 4});
}

}  // namespace

std::uint32_t CGreedyReading::ControlOfAtMost(
    const CExtendedTable::Entry& meant, std::size_t tokens) const {
  // Rare (a label whose parameter tokens run short where the script goes
  // on), so a walk over the entries costs nothing that matters.
  std::uint32_t best = kNoControl;
  for (std::uint32_t id = 0; id < table_.entries.size(); ++id) {
    const CExtendedTable::Entry& e = table_.entries[id];
    if (!e.current || e.kind != EntryKind::kControl ||
        e.section != meant.section || e.word != meant.word ||
        e.count > tokens) {
      continue;
    }
    if (best == kNoControl || e.count > table_.entries[best].count) best = id;
  }
  return best;
}

CGreedyReading::CGreedyReading(const CExtendedTable& table,
                               CReadingStates& states,
                               std::span<const unsigned char> script,
                               bool tokens)
    : table_(table), states_(states), script_(script), tokens_(tokens) {}

std::vector<CGreedyReading::Option> CGreedyReading::Options(std::size_t pos,
                                                            Id state) const {
  const std::uint32_t section = states_.Get(state).frames.Top().section;
  const CKeyMatch word =
      LongestKeyAt(*table_.sections[section].words, script_.subspan(pos));
  const CExtendedTable::Entry* entry =
      word.value != nullptr ? &table_.EntryOf(*word.value) : nullptr;
  // An end code spelled by its tokens is that end code, not raw bytes.
  const bool spelled = entry != nullptr && entry->kind == EntryKind::kEnd &&
                       word.length >= kByteTokenLength;
  std::vector<Option> options;
  if (spelled) options.push_back({true});
  unsigned char byte = 0;
  if (tokens_ && ReadByteToken(script_.subspan(pos), byte)) {
    options.push_back({false});
  }
  if (entry != nullptr && !spelled) options.push_back({true});
  return options;
}

CGreedyReading::Outcome CGreedyReading::Apply(
    std::size_t pos, Id state, Option option, Result& result,
    std::vector<CReadingStep>& steps) {
  if (!option.word) {
    unsigned char byte = 0;
    (void)ReadByteToken(script_.subspan(pos), byte);
    // Dump reads a byte no code covers only after leaving every N = 0
    // switch.
    while (states_.Get(state).frames.CanReturn()) {
      state = states_.Forget(states_.Return(state));
    }
    // Dump may well read a code there; greedy reading writes it anyway.
    const Id raw = states_.RawByte(states_.Forget(state), byte);
    state = states_.Forget(raw == CReadingStates::kBlocked ? state : raw);
    steps.push_back({StepKind::kByte, byte, 0, pos, pos + kByteTokenLength});
    result = {true, pos + kByteTokenLength, state, {}};
    return Outcome::kOk;
  }
  const std::uint32_t section = states_.Get(state).frames.Top().section;
  const CKeyMatch word =
      LongestKeyAt(*table_.sections[section].words, script_.subspan(pos));
  const CExtendedTable::Entry& meant = table_.EntryOf(*word.value);
  std::uint32_t read = ReadAs(table_, meant);
  std::size_t q = pos + word.length;
  std::string parameters;
  if (table_.entries[read].kind == EntryKind::kControl) {
    unsigned char byte = 0;
    std::size_t tokens = 0;
    while (
        tokens < table_.entries[read].count &&
        ReadByteToken(script_.subspan(q + tokens * kByteTokenLength), byte)) {
      parameters.push_back(static_cast<char>(byte));
      ++tokens;
    }
    // Short of tokens only at the end of the script, as dump writes a
    // control code whose input ends too soon; elsewhere another control
    // code of the same label may take no more than there are.
    if (tokens < table_.entries[read].count &&
        q + tokens * kByteTokenLength < script_.size()) {
      // A text whose code a control code took is no label: the script
      // lacks no token, the text just cannot be written that way.
      if (meant.kind != EntryKind::kControl) return Outcome::kBlocked;
      const std::uint32_t fewer = ControlOfAtMost(meant, tokens);
      if (fewer == kNoControl) {
        result.fault = {pos, read, tokens};
        return Outcome::kFault;
      }
      read = fewer;
    }
    parameters.resize(table_.entries[read].count < tokens
                          ? table_.entries[read].count
                          : tokens);
    q += parameters.size() * kByteTokenLength;
  }
  state = states_.Forget(states_.WriteCode(states_.Forget(state), read));
  steps.push_back({StepKind::kCode, 0, read, pos, pos + word.length});
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const auto byte = static_cast<unsigned char>(parameters[i]);
    state = states_.Forget(states_.Parameter(state, byte));
    const std::size_t from = pos + word.length + i * kByteTokenLength;
    steps.push_back(
        {StepKind::kParameter, byte, 0, from, from + kByteTokenLength});
  }
  result = {true, q, state, {}};
  return Outcome::kOk;
}

CGreedyReading::Outcome CGreedyReading::Direct(
    std::size_t pos, Id state, Result& result,
    std::vector<CReadingStep>& steps) {
  Outcome outcome = Outcome::kBlocked;
  for (const Option option : Options(pos, state)) {
    const std::size_t before = steps.size();
    Result attempt;
    const Outcome tried = Apply(pos, state, option, attempt, steps);
    if (tried == Outcome::kOk) {
      result = attempt;
      return tried;
    }
    steps.resize(before);
    if (tried == Outcome::kFault && outcome != Outcome::kFault) {
      result.fault = attempt.fault;
      outcome = tried;
    }
  }
  return outcome;
}

bool CGreedyReading::Progresses(std::uint32_t section, std::size_t pos) const {
  const std::span<const unsigned char> rest = script_.subspan(pos);
  unsigned char byte = 0;
  if (tokens_ && ReadByteToken(rest, byte)) {
    std::string token;
    AppendByteToken(byte, token);
    if (std::equal(token.begin(), token.end(), rest.begin())) return true;
  }
  const CKeyMatch word = LongestKeyAt(*table_.sections[section].words, rest);
  if (word.value == nullptr) return false;
  const CExtendedTable::Entry& entry = table_.EntryOf(*word.value);
  if (!entry.current) return false;
  if (entry.kind != EntryKind::kEnd) return true;
  // An end code only with the line break dump writes after it.
  return word.length == entry.word.size() + 1 && rest[word.length - 1] == '\n';
}

bool CGreedyReading::AnySwitchChain(
    std::size_t pos, Id state,
    const std::function<bool(std::span<const std::uint32_t>)>& attempt) const {
  const std::size_t count = table_.sections.size();
  std::vector<std::uint32_t> via(count, UINT32_MAX);
  std::vector<bool> seen(count);
  const std::uint32_t from = states_.Get(state).frames.Top().section;
  std::deque<std::uint32_t> queue = {from};
  seen[from] = true;
  while (!queue.empty()) {
    const std::uint32_t section = queue.front();
    queue.pop_front();
    for (const std::uint32_t id : table_.sections[section].switches) {
      const std::uint32_t target = table_.entries[id].target;
      if (seen[target]) continue;
      seen[target] = true;
      via[target] = id;
      if (Progresses(target, pos)) {
        std::vector<std::uint32_t> chain;
        for (std::uint32_t at = target; via[at] != UINT32_MAX;
             at = table_.entries[via[at]].section) {
          chain.push_back(via[at]);
        }
        std::reverse(chain.begin(), chain.end());
        if (attempt(chain)) return true;
      }
      queue.push_back(target);
    }
  }
  return false;
}

CGreedyReading::Result CGreedyReading::Step(std::size_t pos, Id state,
                                            std::vector<CReadingStep>& steps,
                                            bool dropFaults) {
  // The sections dump would read from at `pos`: the top one, and each one
  // below it that leaving a switch with N = 0 reaches.
  std::vector<Id> levels = {states_.Forget(state)};
  while (states_.Get(levels.back()).frames.CanReturn()) {
    levels.push_back(states_.Forget(states_.Return(levels.back())));
  }
  // A label whose parameter tokens are missing is an error only where no
  // other section can take the text either.
  std::optional<CScriptFault> fault;
  Result result;
  for (const Id level : levels) {
    Outcome outcome = Direct(pos, level, result, steps);
    if (outcome == Outcome::kOk) return result;
    if (outcome == Outcome::kFault && !fault) fault = result.fault;
    // A section that cannot take the text after all (its label's tokens
    // run short) leaves the next nearest to try.
    const bool switched =
        AnySwitchChain(pos, level, [&](std::span<const std::uint32_t> chain) {
          const std::size_t before = steps.size();
          Id at = level;
          for (const std::uint32_t id : chain) {
            at = states_.Forget(states_.WriteCode(at, id));
            steps.push_back({StepKind::kSwitch, 0, id, pos, pos});
          }
          const Outcome tried = Direct(pos, at, result, steps);
          if (tried == Outcome::kOk) return true;
          if (tried == Outcome::kFault && !fault) fault = result.fault;
          steps.resize(before);
          return false;
        });
    if (switched) return result;
  }
  if (fault && !dropFaults) return {false, pos, state, *fault};
  // Nothing is written, so what the codes before must not be followed by
  // still holds.
  steps.push_back({StepKind::kDrop, 0, 0, pos, pos + 1});
  return {true, pos + 1, state, {}};
}

}  // namespace dalvren
