#include "core/ExtendedInsert.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/BlockWriter.h"
#include "core/ByteToken.h"
#include "core/KeyMatch.h"
#include "core/SwitchState.h"

namespace dalvren {

namespace {

using Entry = CExtendedTable::Entry;
using Section = CExtendedTable::Section;

// How many tries of a way to read the script the search may make per
// script byte, and at least, before it reads greedily instead. A short
// script through sections that switch to each other with counts, among
// many tokens, may need hundreds of thousands; a long one rarely needs
// more than a few per byte.
constexpr std::size_t kTriesPerByte = 16;
constexpr std::size_t kLeastTries = std::size_t{1} << 20;
// How many tries, per script byte the search may still revise, it spends
// without getting any further before it gives up on that stretch.
constexpr std::size_t kTriesPerStalledByte = 4096;
constexpr std::size_t kMostFailures = std::size_t{1} << 20;

// Whether a word of `length` bytes read for `entry` is an end code spelled
// by its tokens, which insert reads as that end code rather than as raw
// bytes.
bool Spelled(const CExtendedTable::Entry& entry, std::size_t length) {
  return entry.kind == EntryKind::kEnd && length >= kByteTokenLength;
}

// One thing insert does, in script order.
enum class StepKind : std::uint8_t {
  kCode,       // writes the code of a word read from the script
  kParameter,  // writes a control code's parameter byte read from a token
  kByte,       // writes the byte of a token that stands for no code
  kSkip,       // drops a script byte
  kSwitch,     // writes a switch code
  kFiller,     // writes a switch code whose section ends at once
};

struct Step {
  StepKind kind = StepKind::kCode;
  unsigned char byte = 0;
  // Whether it was read in a counted frame, and in which frame.
  bool counted = false;
  std::uint32_t frame = 0;
  std::uint32_t section = 0;
  std::uint32_t entry = 0;
  // The script bytes it stands for.
  std::size_t from = 0;
  std::size_t to = 0;
  // kCode of a control code: the parameter tokens found.
  std::size_t have = 0;
};

// Where a reading of the script stands: what dump would be doing with the
// bytes written so far.
struct State {
  explicit State(std::uint32_t start) : frames(start) {}

  CSwitchState frames;
  // The script position.
  std::size_t q = 0;
  // Frames at this index and above were opened by switch codes written
  // since the script last advanced: returning from one of them, or opening
  // a section once more, would only go round in circles.
  std::size_t settled = 1;
  // Positions in the code tries of sections: the bytes written next must
  // not complete a code from any of them, or dump would read that code
  // rather than what insert meant (a code of a section it has left, or a
  // longer code of the section it reads).
  std::vector<const CTrieNode*> pending;
  // Whether a switch code whose section ended at once was written at `q`
  // in a frame that counts nothing: a second one there would change
  // nothing a first did not.
  bool filled = false;
  // The switch codes written since the script last advanced. Each may be
  // written once before it advances again, so that switching cannot go
  // round for ever.
  std::vector<std::uint32_t> openers;
};

enum class OptionKind : std::uint8_t {
  kWord,
  kByte,
  kReturn,
  kSwitch,
  kFiller,
  kSkip,
};

struct Option {
  OptionKind kind = OptionKind::kWord;
  std::uint32_t entry = 0;
};

enum class Outcome { kOk, kBlocked, kFault };

// Writes the steps insert decided on: the codes and bytes, or with
// --optimal each run of text re-cut into the fewest bytes.
class CStepWriter {
 public:
  CStepWriter(const CExtendedTable& table,
              std::span<const unsigned char> script,
              const CExtendedInsertOptions& options, std::ostream& out)
      : table_(table),
        script_(script),
        options_(options),
        out_(out),
        block_(out) {}

  CStepWriter(const CStepWriter&) = delete;
  CStepWriter& operator=(const CStepWriter&) = delete;

  void Write(const Step& step) {
    if (options_.optimal) {
      if (JoinsRun(step)) {
        if (inRun_ && (runFrame_ != step.frame || runTo_ != step.from)) {
          FlushRun();
        }
        if (!inRun_) {
          inRun_ = true;
          runFrame_ = step.frame;
          runSection_ = step.section;
          runFrom_ = step.from;
        }
        runTo_ = step.to;
        return;
      }
      FlushRun();
    }
    switch (step.kind) {
      case StepKind::kCode: {
        const Entry& entry = table_.entries[step.entry];
        block_.Append(entry.code);
        if (entry.kind == EntryKind::kControl && step.have < entry.count &&
            options_.onShortParameters) {
          options_.onShortParameters(step.from, step.have, entry.count);
        }
        break;
      }
      case StepKind::kSwitch:
      case StepKind::kFiller:
        block_.Append(table_.entries[step.entry].code);
        break;
      case StepKind::kParameter:
      case StepKind::kByte:
        block_.Append(static_cast<char>(step.byte));
        break;
      case StepKind::kSkip:
        if (options_.onSkip) options_.onSkip(step.from);
        break;
    }
  }

  void Finish() {
    FlushRun();
    block_.Flush();
  }

 private:
  // Text codes, tokens and dropped bytes of a frame that counts nothing may
  // be cut anew: their bytes do not change what any other step means.
  bool JoinsRun(const Step& step) const {
    if (step.counted) return false;
    if (step.kind == StepKind::kByte || step.kind == StepKind::kSkip) {
      return true;
    }
    if (step.kind != StepKind::kCode) return false;
    const EntryKind kind = table_.entries[step.entry].kind;
    return kind == EntryKind::kText || kind == EntryKind::kLineBreak;
  }

  void FlushRun() {
    if (!inRun_) return;
    inRun_ = false;
    block_.Flush();
    const std::size_t from = runFrom_;
    CTranslateHooks hooks;
    if (options_.tokens) hooks.before = TokenReadingHooks().before;
    if (options_.onSkip) {
      hooks.onSkip = [this, from](std::size_t offset, unsigned char,
                                  std::string&) {
        options_.onSkip(from + offset);
      };
    }
    table_.sections[runSection_].texts->TranslateShortest(
        out_, script_.subspan(from, runTo_ - from), hooks);
  }

  const CExtendedTable& table_;
  std::span<const unsigned char> script_;
  const CExtendedInsertOptions& options_;
  std::ostream& out_;
  CBlockWriter block_;
  bool inRun_ = false;
  std::uint32_t runFrame_ = 0;
  std::uint32_t runSection_ = 0;
  std::size_t runFrom_ = 0;
  std::size_t runTo_ = 0;
};

// The search for a reading of the script whose bytes dump back to it, and
// the greedy reading where there is none.
class CInsertion {
 public:
  CInsertion(const CExtendedTable& table, std::span<const unsigned char> script,
             const CExtendedInsertOptions& options, CStepWriter& writer)
      : table_(table),
        script_(script),
        options_(options),
        writer_(writer),
        base_(table.start),
        budget_(kTriesPerByte * script.size() + kLeastTries) {
    for (const Section& section : table.sections) {
      ForEachKey(*section.words,
                 [this](std::string_view word, const CByteString&) {
                   for (const char c : word) {
                     usable_[static_cast<unsigned char>(c)] = true;
                   }
                 });
    }
    if (options.tokens) {
      for (const char c : std::string_view("<$>0123456789ABCDEFabcdef")) {
        usable_[static_cast<unsigned char>(c)] = true;
      }
    }
  }

  CInsertion(const CInsertion&) = delete;
  CInsertion& operator=(const CInsertion&) = delete;

  bool Run(CScriptFault* fault) {
    State cur(table_.start);
    while (cur.q < script_.size()) {
      if (!exact_) {
        if (GreedyStep(cur) == Outcome::kFault) {
          if (fault != nullptr) *fault = fault_;
          return false;
        }
        if (cur.q > resumeAfter_) {
          exact_ = true;
          base_ = cur;
        }
        continue;
      }
      std::vector<Option> options = Options(cur);
      if (options.size() == 1) {
        State next(table_.start);
        if (Apply(cur, options[0], next, true) == Outcome::kOk) {
          const bool greedy = GreedyWould(cur, options[0]);
          cur = std::move(next);
          AfterStep(cur, greedy);
          continue;
        }
      } else if (options.size() > 1 && !failed_.contains(Key(cur))) {
        choices_.push_back(
            {cur, std::move(options), 0, stepBase_ + steps_.size()});
      }
      if (!Backtrack(cur)) FallBack(cur);
    }
    Flush(stepBase_ + steps_.size());
    return true;
  }

 private:
  struct ChoicePoint {
    State state;
    std::vector<Option> options;
    std::size_t next = 0;
    // The steps taken before it, counted from the start of the script.
    std::size_t steps = 0;
  };

  std::span<const unsigned char> Rest(std::size_t q) const {
    return script_.subspan(q);
  }

  const Section& SectionOf(const State& s) const {
    return table_.sections[s.frames.Top().section];
  }

  CKeyMatch WordAt(const Section& section, std::size_t q) const {
    return LongestKeyAt(*section.words, Rest(q));
  }

  bool TokenAt(std::size_t q) const {
    unsigned char byte = 0;
    return ReadByteToken(Rest(q), byte);
  }

  // Whether the token at `q` is spelled as dump spells it, in upper case.
  bool DumpedToken(std::size_t q) const {
    unsigned char byte = 0;
    if (!ReadByteToken(Rest(q), byte)) return false;
    std::string token;
    AppendByteToken(byte, token);
    return std::equal(token.begin(), token.end(), Rest(q).begin());
  }

  // Whether the `length` script bytes at `q` read for `entry` are exactly
  // what dump writes for it.
  bool AsDumped(const Entry& entry, std::size_t q, std::size_t length) const {
    if (entry.kind != EntryKind::kEnd) return true;
    const std::string_view read(reinterpret_cast<const char*>(&script_[q]),
                                length);
    return read.size() == entry.word.size() + 1 &&
           read.starts_with(entry.word) && read.back() == '\n';
  }

  // Whether `section` can take the script at `q` without a switch (with a
  // word whose code dump reads as that word, or a token).
  bool Progresses(std::uint32_t section, std::size_t q) const {
    if (options_.tokens && DumpedToken(q)) return true;
    const CKeyMatch word = WordAt(table_.sections[section], q);
    if (word.value == nullptr) return false;
    const Entry& entry = table_.EntryOf(*word.value);
    return entry.current && AsDumped(entry, q, word.length);
  }

  static void AddPending(State& s, const CTrieNode* node) {
    if (node == nullptr || !node->HasChildren()) return;
    if (std::find(s.pending.begin(), s.pending.end(), node) ==
        s.pending.end()) {
      s.pending.push_back(node);
    }
  }

  // Advances the pending trie positions over `bytes`; false when dump would
  // read one of those codes.
  static bool Feed(State& s, std::string_view bytes) {
    for (const char c : bytes) {
      std::size_t kept = 0;
      for (const CTrieNode* node : s.pending) {
        const CTrieNode* next = node->Child(static_cast<unsigned char>(c));
        if (next == nullptr) continue;
        if (next->value) return false;
        s.pending[kept++] = next;
      }
      s.pending.resize(kept);
    }
    return true;
  }

  // Writes `entry`'s code from the top section: it must reach dump as
  // itself, not as part of a longer code.
  bool WriteCode(State& s, const Entry& entry, bool strict) {
    if (!strict) return true;
    if (!Feed(s, entry.code)) return false;
    const CTrieNode* node = SectionOf(s).codes->trie->root.get();
    for (const char c : entry.code) {
      node = node->Child(static_cast<unsigned char>(c));
    }
    AddPending(s, node);
    return true;
  }

  Step StepIn(const State& s, StepKind kind) const {
    const CSwitchState::Frame& top = s.frames.Top();
    Step step;
    step.kind = kind;
    step.counted = top.counted;
    step.frame = top.serial;
    step.section = top.section;
    step.from = s.q;
    step.to = s.q;
    return step;
  }

  void Advanced(State& s) {
    s.settled = s.frames.Frames().size();
    s.filled = false;
    s.openers.clear();
    if (s.q > furthest_) {
      furthest_ = s.q;
      stalledSince_ = tries_;
    }
  }

  void Returned(State& s, bool strict) {
    if (strict) AddPending(s, SectionOf(s).codes->trie->root.get());
    s.frames.Return();
    s.settled = std::min(s.settled, s.frames.Frames().size());
  }

  // Takes `option` from `s` into `out`, appending its steps.
  Outcome Apply(const State& s, const Option& option, State& out, bool strict) {
    if (strict) ++tries_;
    out = s;
    if (!strict) out.pending.clear();
    switch (option.kind) {
      case OptionKind::kWord:
        return ApplyWord(out, strict);
      case OptionKind::kByte:
        return ApplyByte(out, strict);
      case OptionKind::kReturn:
        Returned(out, strict);
        return Outcome::kOk;
      case OptionKind::kSkip: {
        Step step = StepIn(out, StepKind::kSkip);
        step.to = out.q + 1;
        steps_.push_back(step);
        ++out.q;
        Advanced(out);
        return Outcome::kOk;
      }
      case OptionKind::kSwitch:
      case OptionKind::kFiller: {
        const Entry& entry = table_.entries[option.entry];
        if (!WriteCode(out, entry, strict)) return Outcome::kBlocked;
        Step step =
            StepIn(out, option.kind == OptionKind::kSwitch ? StepKind::kSwitch
                                                           : StepKind::kFiller);
        step.entry = option.entry;
        steps_.push_back(step);
        if (option.kind == OptionKind::kFiller && !out.frames.Top().counted) {
          out.filled = true;
        }
        if (option.kind == OptionKind::kSwitch) {
          out.openers.push_back(option.entry);
        }
        out.frames.Matched(entry);
        if (option.kind == OptionKind::kFiller) Returned(out, strict);
        out.settled = std::min(out.settled, out.frames.Frames().size());
        return Outcome::kOk;
      }
    }
    return Outcome::kBlocked;
  }

  Outcome ApplyWord(State& s, bool strict) {
    const CKeyMatch match = WordAt(SectionOf(s), s.q);
    const Entry& entry = table_.EntryOf(*match.value);
    Step step = StepIn(s, StepKind::kCode);
    step.entry = static_cast<std::uint32_t>(&entry - table_.entries.data());
    step.to = s.q + match.length;
    if (!WriteCode(s, entry, strict)) return Outcome::kBlocked;
    std::size_t q = step.to;
    std::string parameters;
    if (entry.kind == EntryKind::kControl) {
      unsigned char byte = 0;
      while (parameters.size() < entry.count && ReadByteToken(Rest(q), byte)) {
        if (strict && !DumpedToken(q)) return Outcome::kBlocked;
        parameters.push_back(static_cast<char>(byte));
        q += kByteTokenLength;
      }
      // Short of tokens only at the end of the script, as dump writes a
      // control code whose input ends too soon.
      if (parameters.size() < entry.count && q < script_.size()) {
        fault_ = {s.q, step.entry, parameters.size()};
        return strict ? Outcome::kBlocked : Outcome::kFault;
      }
      step.have = parameters.size();
    }
    if (strict && !Feed(s, parameters)) return Outcome::kBlocked;
    steps_.push_back(step);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      Step parameter = step;
      parameter.kind = StepKind::kParameter;
      parameter.byte = static_cast<unsigned char>(parameters[i]);
      parameter.from = step.to + i * kByteTokenLength;
      parameter.to = parameter.from + kByteTokenLength;
      steps_.push_back(parameter);
    }
    s.frames.Matched(entry);
    s.q = q;
    Advanced(s);
    return Outcome::kOk;
  }

  Outcome ApplyByte(State& s, bool strict) {
    unsigned char byte = 0;
    (void)ReadByteToken(Rest(s.q), byte);
    // Dump reads a byte that no code covers only after leaving every N = 0
    // switch: none of their sections may cover it either.
    while (s.frames.CanReturn()) {
      if (s.frames.Frames().size() > s.settled) return Outcome::kBlocked;
      Returned(s, strict);
    }
    if (strict) {
      AddPending(s, SectionOf(s).codes->trie->root.get());
      if (!Feed(s, std::string(1, static_cast<char>(byte)))) {
        return Outcome::kBlocked;
      }
    }
    Step step = StepIn(s, StepKind::kByte);
    step.byte = byte;
    step.to = s.q + kByteTokenLength;
    steps_.push_back(step);
    s.q = step.to;
    Advanced(s);
    return Outcome::kOk;
  }

  static bool Opened(const State& s, std::uint32_t id) {
    return std::find(s.openers.begin(), s.openers.end(), id) != s.openers.end();
  }

  // How many more switch codes it takes from `from` (0: none) to a section
  // that can take the script at `q`, through switch codes not yet written
  // there; kUnreachable when none can.
  static constexpr std::size_t kUnreachable = SIZE_MAX;
  std::size_t SwitchesNeeded(const State& s, std::uint32_t from) const {
    std::vector<bool> seen(table_.sections.size());
    std::vector<std::uint32_t> level = {from};
    seen[from] = true;
    for (std::size_t depth = 0; !level.empty(); ++depth) {
      std::vector<std::uint32_t> next;
      for (const std::uint32_t section : level) {
        if (Progresses(section, s.q)) return depth;
        for (const std::uint32_t id : table_.sections[section].switches) {
          const std::uint32_t target = table_.entries[id].target;
          if (seen[target] || Opened(s, id)) continue;
          seen[target] = true;
          next.push_back(target);
        }
      }
      level = std::move(next);
    }
    return kUnreachable;
  }

  bool Reaches(const State& s, std::uint32_t from) const {
    return SwitchesNeeded(s, from) != kUnreachable;
  }

  // Whether returning from N = 0 switches reaches a section that takes the
  // script, at once or through its switch codes.
  bool LowerProgresses(const State& s) const {
    State lower = s;
    while (lower.frames.CanReturn()) {
      lower.frames.Return();
      lower.settled = std::min(lower.settled, lower.frames.Frames().size());
      if (Reaches(lower, lower.frames.Top().section)) return true;
    }
    return false;
  }

  // What the top section of `s` can do with the script at once, in order of
  // preference: an end code spelled by its tokens (which is that end code,
  // not raw bytes), a raw byte, a word.
  std::vector<Option> DirectOptions(const State& s, bool strict) const {
    std::vector<Option> options;
    const CKeyMatch word = WordAt(SectionOf(s), s.q);
    const Entry* entry =
        word.value != nullptr ? &table_.EntryOf(*word.value) : nullptr;
    // A search for bytes that dump back to the script cannot use a word
    // whose code a later entry took (dump reads that code as the other), nor
    // an end code not followed by the line break dump writes after it, or
    // spelled other than dump spells it.
    if (strict && entry != nullptr &&
        (!entry->current || !AsDumped(*entry, s.q, word.length))) {
      entry = nullptr;
    }
    const bool spelled = entry != nullptr && Spelled(*entry, word.length);
    if (spelled) options.push_back({OptionKind::kWord});
    if (options_.tokens && (strict ? DumpedToken(s.q) : TokenAt(s.q))) {
      options.push_back({OptionKind::kByte});
    }
    if (entry != nullptr && !spelled) options.push_back({OptionKind::kWord});
    return options;
  }

  // Whether the script byte at `q` is one no reading can take: it is in
  // no word of any section (nor, with tokens, can it be part of one): a
  // character no table has, typed into a script. Every reading drops it,
  // whatever came before, so it is dropped wherever the reading stands and
  // the search goes on from there without looking back.
  bool Dead(std::size_t q) const { return !usable_[script_[q]]; }

  // What may be done at `s`, in order of preference.
  std::vector<Option> Options(const State& s) const {
    if (Dead(s.q)) return {{OptionKind::kSkip}};
    std::vector<Option> options = DirectOptions(s, true);
    const Section& top = SectionOf(s);
    const bool direct = !options.empty();
    // Switch codes that reach the text with the fewest more switch codes
    // first, and among those in file order: no switch code is written that
    // a shorter way does without.
    std::vector<std::pair<std::size_t, std::uint32_t>> switches;
    for (const std::uint32_t id : top.switches) {
      if (Opened(s, id)) continue;
      const std::size_t needed = SwitchesNeeded(s, table_.entries[id].target);
      if (needed != kUnreachable) switches.emplace_back(needed, id);
    }
    std::stable_sort(
        switches.begin(), switches.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [needed, id] : switches) {
      options.push_back({OptionKind::kSwitch, id});
    }
    // Then leaving an N = 0 switch, which costs nothing here but may cost a
    // switch code back later.
    if (s.frames.CanReturn() && s.frames.Frames().size() <= s.settled &&
        (!direct || LowerProgresses(s))) {
      options.push_back({OptionKind::kReturn});
    }
    // A switch code whose section ends at once writes nothing to the
    // script, yet counts as a code of a counted frame and stands between
    // the bytes around it; the bytes of the ROM may need either. Only in a
    // frame open since before the script last advanced: steps that do not
    // advance it must each use up something (a count, a frame, `filled`),
    // or they could go round for ever.
    const bool settledTop = s.frames.Frames().size() <= s.settled;
    if (settledTop &&
        (s.frames.Top().counted || (!s.pending.empty() && !s.filled))) {
      for (const std::uint32_t id : top.switches) {
        if (table_.entries[id].count == 0) {
          options.push_back({OptionKind::kFiller, id});
        }
      }
    }
    return options;
  }

  // What a state is for the record of states from which no reading works.
  static std::string Key(const State& s) {
    std::string key;
    const auto put = [&key](std::uint64_t value, std::size_t bytes) {
      for (std::size_t i = 0; i < bytes; ++i) {
        key.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
      }
    };
    put(s.q, 8);
    put(s.settled, 2);
    put(s.filled ? 1 : 0, 1);
    for (const CSwitchState::Frame& frame : s.frames.Frames()) {
      put(frame.section, 4);
      put(frame.left, 2);
      put(frame.counted ? 1 : 0, 1);
    }
    std::vector<std::uint32_t> openers = s.openers;
    std::sort(openers.begin(), openers.end());
    for (const std::uint32_t id : openers) put(id, 4);
    put(UINT32_MAX, 4);
    std::vector<const CTrieNode*> pending = s.pending;
    std::sort(pending.begin(), pending.end());
    for (const CTrieNode* node : pending) {
      put(reinterpret_cast<std::uintptr_t>(node), sizeof(std::uintptr_t));
    }
    return key;
  }

  // Tries the next option of the latest choice, going back to earlier ones
  // as they run out. False when every reading since `base_` failed.
  bool Backtrack(State& cur) {
    while (!choices_.empty()) {
      ChoicePoint& choice = choices_.back();
      Truncate(choice.steps);
      while (choice.next < choice.options.size()) {
        if (tries_ > budget_ || Stalled()) return false;
        State next(table_.start);
        const Option option = choice.options[choice.next++];
        if (Apply(choice.state, option, next, true) == Outcome::kOk) {
          cur = std::move(next);
          AfterStep(cur, false);
          return true;
        }
        Truncate(choice.steps);
      }
      // The record only saves work; a full one starts afresh rather than
      // grow without bound.
      if (failed_.size() >= kMostFailures) failed_.clear();
      failed_.insert(Key(choice.state));
      choices_.pop_back();
    }
    return false;
  }

  // Whether the search has gone on for long without reaching further: the
  // ways to read the stretch since `base_` are many, and likely none of
  // them dumps back (an edited script). It gives up on that stretch rather
  // than spend the whole budget there.
  bool Stalled() const {
    return tries_ - stalledSince_ >
           kTriesPerStalledByte * (furthest_ - base_.q + 1);
  }

  // No reading from `base_` dumps back to the script: read greedily from
  // there until past the furthest point any reading reached, then search
  // again.
  void FallBack(State& cur) {
    if (options_.onInexact) {
      options_.onInexact(base_.q, tries_ > budget_ || Stalled());
    }
    Truncate(stepBase_);
    choices_.clear();
    cur = base_;
    cur.pending.clear();
    exact_ = false;
    diverged_ = false;
    resumeAfter_ = tries_ > budget_ ? script_.size() : furthest_;
  }

  // Whether reading greedily at `s` would take `option` too: its first
  // word or token; else the first switch code of its shortest way to one;
  // else a return.
  bool GreedyWould(const State& s, const Option& option) const {
    if (option.kind == OptionKind::kSkip) return true;
    const std::vector<Option> direct = DirectOptions(s, false);
    if (!direct.empty()) return direct.front().kind == option.kind;
    const std::vector<std::uint32_t> chain = SwitchChain(s);
    if (!chain.empty()) {
      return option.kind == OptionKind::kSwitch &&
             option.entry == chain.front();
    }
    return option.kind == OptionKind::kReturn;
  }

  // Writes out the steps no choice is left to undo, and commits to old
  // choices once too many are open or too many steps wait. Without open
  // choices, steps are written as soon as every step since the last write
  // is one reading greedily would have taken too (`greedy` tells of the
  // latest): a reading that later fails then goes on greedily from the
  // place a greedy reading would have reached.
  void AfterStep(const State& cur, bool greedy) {
    if (!greedy) diverged_ = true;
    if (choices_.empty()) {
      if (!diverged_ || steps_.size() > options_.heldSteps) {
        Flush(stepBase_ + steps_.size());
        base_ = cur;
        diverged_ = false;
      }
      return;
    }
    while (choices_.size() > options_.openChoices ||
           steps_.size() > options_.heldSteps) {
      choices_.pop_front();
      if (choices_.empty()) {
        Flush(stepBase_ + steps_.size());
        base_ = cur;
        diverged_ = false;
        return;
      }
      Flush(choices_.front().steps);
      base_ = choices_.front().state;
    }
  }

  // The first of the direct options at `from` that works, taken into
  // `cur`; kFault when none works and a control code's tokens were missing
  // for one (kept in `*fault` unless one is there already).
  Outcome GreedyDirect(const State& from, State& cur,
                       std::optional<CScriptFault>* fault) {
    Outcome result = Outcome::kBlocked;
    for (const Option& option : DirectOptions(from, false)) {
      State next(table_.start);
      const Outcome outcome = Apply(from, option, next, false);
      if (outcome == Outcome::kOk) {
        cur = std::move(next);
        return outcome;
      }
      if (outcome == Outcome::kFault) {
        if (!*fault) *fault = fault_;
        result = outcome;
      }
    }
    return result;
  }

  // The shortest run of switch codes from the top section of `from` to a
  // section that takes the script, or nothing.
  std::vector<std::uint32_t> SwitchChain(const State& from) const {
    const std::size_t count = table_.sections.size();
    std::vector<std::uint32_t> via(count, UINT32_MAX);
    std::vector<bool> seen(count);
    std::deque<std::uint32_t> queue = {from.frames.Top().section};
    seen[queue.front()] = true;
    while (!queue.empty()) {
      const std::uint32_t section = queue.front();
      queue.pop_front();
      for (const std::uint32_t id : table_.sections[section].switches) {
        const std::uint32_t target = table_.entries[id].target;
        if (seen[target]) continue;
        seen[target] = true;
        via[target] = id;
        if (Progresses(target, from.q)) {
          std::vector<std::uint32_t> chain;
          for (std::uint32_t at = target; via[at] != UINT32_MAX;
               at = table_.entries[via[at]].section) {
            chain.push_back(via[at]);
          }
          std::reverse(chain.begin(), chain.end());
          return chain;
        }
        queue.push_back(target);
      }
    }
    return {};
  }

  // One greedy step: a word or token of the current section, else of a
  // section its switch codes reach; else the same from the section an N = 0
  // switch returns to; else the byte is dropped.
  Outcome GreedyStep(State& cur) {
    std::vector<State> levels = {cur};
    levels.front().pending.clear();
    while (levels.back().frames.CanReturn()) {
      State next = levels.back();
      Returned(next, false);
      levels.push_back(std::move(next));
    }
    // A label whose parameter tokens are missing is an error only where no
    // other section can take the text either.
    std::optional<CScriptFault> fault;
    Outcome outcome = Outcome::kBlocked;
    for (std::size_t i = 0; outcome != Outcome::kOk && i < levels.size(); ++i) {
      outcome = GreedyDirect(levels[i], cur, &fault);
      if (outcome == Outcome::kOk) break;
      const std::vector<std::uint32_t> chain = SwitchChain(levels[i]);
      if (chain.empty()) continue;
      const std::size_t before = stepBase_ + steps_.size();
      State at = levels[i];
      for (const std::uint32_t id : chain) {
        State next(table_.start);
        (void)Apply(at, {OptionKind::kSwitch, id}, next, false);
        at = std::move(next);
      }
      outcome = GreedyDirect(at, cur, &fault);
      if (outcome != Outcome::kOk) Truncate(before);
    }
    if (outcome != Outcome::kOk && fault) {
      fault_ = *fault;
      Flush(stepBase_ + steps_.size());
      return Outcome::kFault;
    }
    if (outcome == Outcome::kBlocked) {
      Step step = StepIn(cur, StepKind::kSkip);
      step.to = cur.q + 1;
      steps_.push_back(step);
      ++cur.q;
    }
    Flush(stepBase_ + steps_.size());
    base_ = cur;
    return Outcome::kOk;
  }

  void Truncate(std::size_t steps) { steps_.resize(steps - stepBase_); }

  // Hands the steps before `end` (counted from the start) to the writer.
  void Flush(std::size_t end) {
    const std::size_t count = end - stepBase_;
    for (std::size_t i = 0; i < count; ++i) writer_.Write(steps_[i]);
    steps_.erase(steps_.begin(),
                 steps_.begin() + static_cast<std::ptrdiff_t>(count));
    stepBase_ = end;
  }

  const CExtendedTable& table_;
  std::span<const unsigned char> script_;
  const CExtendedInsertOptions& options_;
  CStepWriter& writer_;

  // The steps not yet written; the first is step number `stepBase_`.
  std::deque<Step> steps_;
  std::size_t stepBase_ = 0;
  std::deque<ChoicePoint> choices_;
  // Where the unwritten steps start from.
  State base_;
  // States from which no reading dumps back to the rest of the script.
  std::unordered_set<std::string> failed_;
  std::size_t furthest_ = 0;
  // `tries_` when `furthest_` last grew.
  std::size_t stalledSince_ = 0;
  std::size_t tries_ = 0;
  std::size_t budget_;
  bool exact_ = true;
  // Whether a step since `base_` is one reading greedily would not take.
  bool diverged_ = false;
  std::size_t resumeAfter_ = 0;
  CScriptFault fault_;
  // Which bytes some word (or token) of the table holds.
  std::array<bool, 256> usable_ = {};
};

}  // namespace

bool InsertExtended(const CExtendedTable& table, std::ostream& out,
                    std::span<const unsigned char> script,
                    const CExtendedInsertOptions& options,
                    CScriptFault* fault) {
  if (table.Simple() && !options.optimal) {
    // Without state, the search has nothing to choose: this is the plain
    // translation through the start table's words.
    CTranslateHooks hooks;
    if (options.tokens) {
      const CExtendedTable::Section& start = table.sections[table.start];
      hooks.before = [&table, &start](std::span<const unsigned char> rest,
                                      std::string& emit) -> std::size_t {
        unsigned char byte = 0;
        if (!ReadByteToken(rest, byte)) return 0;
        const CKeyMatch word = LongestKeyAt(*start.words, rest);
        if (word.value != nullptr &&
            Spelled(table.EntryOf(*word.value), word.length)) {
          return 0;
        }
        emit.push_back(static_cast<char>(byte));
        return kByteTokenLength;
      };
    }
    if (options.onSkip) {
      hooks.onSkip = [&options](std::size_t offset, unsigned char,
                                std::string&) { options.onSkip(offset); };
    }
    table.insertCodes->Translate(out, script, hooks);
    return true;
  }
  CStepWriter writer(table, script, options, out);
  CInsertion insertion(table, script, options, writer);
  const bool done = insertion.Run(fault);
  writer.Finish();
  return done;
}

}  // namespace dalvren
