#include "core/ExtendedInsert.h"

#include <sstream>
#include <string>
#include <vector>

#include "core/BlockWriter.h"
#include "core/ByteToken.h"
#include "core/ExtendedDump.h"
#include "core/GreedyReading.h"
#include "core/InsertIndex.h"
#include "core/KeyMatch.h"
#include "core/ReadingSearch.h"
#include "core/ReadingStates.h"

namespace dalvren {

namespace {

using StepKind = CReadingStep::Kind;

// Writes the steps insert decided on, and tells of what it dropped and of a
// control code the script ends inside.
class CStepWriter {
 public:
  CStepWriter(const CExtendedTable& table,
              const CExtendedInsertOptions& options, std::ostream& out)
      : table_(table), options_(options), block_(out) {}

  CStepWriter(const CStepWriter&) = delete;
  CStepWriter& operator=(const CStepWriter&) = delete;

  void Write(const CReadingStep& step) {
    if (step.kind != StepKind::kParameter) EndControl();
    switch (step.kind) {
      case StepKind::kCode: {
        const CExtendedTable::Entry& entry = table_.entries[step.entry];
        if (entry.kind == EntryKind::kControl && entry.count > 0) {
          control_ = step.entry;
          label_ = step.from;
          before_ = step.before;
          parameters_ = 0;
          held_ = entry.code;
        } else {
          block_.Append(entry.code);
        }
        break;
      }
      case StepKind::kSwitch:
        block_.Append(table_.entries[step.entry].code);
        break;
      case StepKind::kParameter:
        ++parameters_;
        held_.push_back(static_cast<char>(step.byte));
        break;
      case StepKind::kByte:
        block_.Append(static_cast<char>(step.byte));
        break;
      case StepKind::kDrop:
        if (options_.onSkip) {
          for (std::size_t at = step.from; at < step.to; ++at) {
            options_.onSkip(at);
          }
        }
        break;
    }
  }

  void Finish() {
    EndControl();
    block_.Flush();
  }

  // Writes what is gathered where the script cannot be inserted, without
  // telling of the control code it stops in.
  void Stop() {
    block_.Append(held_);
    held_.clear();
    control_ = CReadingStates::kNoEntry;
    block_.Flush();
  }

  // Takes back the latest control code with parameters and the parameters
  // written after it, which are held until the next step that is none;
  // gives where its label starts and the state before it.
  struct Retracted {
    std::size_t from = 0;
    CReadingStates::Id state = 0;
  };
  Retracted Retract() {
    held_.clear();
    control_ = CReadingStates::kNoEntry;
    return {label_, before_};
  }

  // Where the label of the latest control code with parameters starts.
  [[nodiscard]] std::size_t Label() const { return label_; }

 private:
  // The parameters of a control code end at the next step that is none; a
  // reading takes them all unless the script ends first.
  void EndControl() {
    if (control_ == CReadingStates::kNoEntry) return;
    const std::uint32_t need = table_.entries[control_].count;
    if (parameters_ < need && options_.onShortParameters) {
      options_.onShortParameters(label_, parameters_, need);
    }
    block_.Append(held_);
    held_.clear();
    control_ = CReadingStates::kNoEntry;
  }

  const CExtendedTable& table_;
  const CExtendedInsertOptions& options_;
  CBlockWriter block_;
  std::uint32_t control_ = CReadingStates::kNoEntry;
  std::size_t label_ = 0;
  CReadingStates::Id before_ = 0;
  std::size_t parameters_ = 0;
  // The latest control code with parameters and those written so far.
  std::string held_;
};

// The hooks through which the plain translation reads tokens through the
// start table: a token is its byte, unless it is an end code spelled by its
// tokens.
CTranslateHooks PlainHooks(const CExtendedTable& table, bool tokens) {
  CTranslateHooks hooks;
  if (!tokens) return hooks;
  const CExtendedTable::Section& start = table.sections[table.start];
  hooks.before = [&table, &start](std::span<const unsigned char> rest,
                                  std::string& emit) -> std::size_t {
    unsigned char byte = 0;
    if (!ReadByteToken(rest, byte)) return 0;
    const CKeyMatch word = LongestKeyAt(*start.words, rest);
    if (word.value != nullptr &&
        table.EntryOf(*word.value).kind == EntryKind::kEnd &&
        word.length >= kByteTokenLength) {
      return 0;
    }
    emit.push_back(static_cast<char>(byte));
    return kByteTokenLength;
  };
  return hooks;
}

// Gathers what is written to it up to `most` bytes, and refuses the rest.
class CBoundedBuf : public std::streambuf {
 public:
  explicit CBoundedBuf(std::size_t most) : most_(most) {}

  std::string bytes;
  // Whether more than `most` bytes were written.
  bool over = false;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    if (bytes.size() >= most_) {
      over = true;
      return traits_type::eof();
    }
    bytes.push_back(traits_type::to_char_type(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const std::size_t room = most_ - bytes.size();
    if (static_cast<std::size_t>(n) > room) {
      over = true;
      bytes.append(s, room);
      return static_cast<std::streamsize>(room);
    }
    bytes.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::size_t most_;
};

// The start table's greedy (or shortest) reading, when its bytes dump back
// to exactly the script; nothing otherwise.
bool InsertPlain(const CExtendedTable& table, std::ostream& out,
                 std::span<const unsigned char> script,
                 const CExtendedInsertOptions& options) {
  if (table.insertCodes == nullptr) return false;
  const CTranslateHooks hooks = PlainHooks(table, options.tokens);
  // Checking costs a dump of the bytes, while the search costs in step with
  // the script: where long codes make the bytes many times the script, the
  // search is the cheaper way to the same reading, and the bytes are not
  // gathered past that.
  constexpr std::size_t kMostBytesPerScriptByte = 4;
  CBoundedBuf gathered(kMostBytesPerScriptByte * script.size());
  std::ostream read(&gathered);
  if (options.optimal) {
    table.insertCodes->TranslateShortest(read, script, hooks);
  } else {
    table.insertCodes->Translate(read, script, hooks);
  }
  if (gathered.over) return false;
  const std::string& bytes = gathered.bytes;
  CExtendedDumpOptions dump;
  if (options.tokens) {
    dump.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
      AppendByteToken(byte, emit);
    };
  }
  std::ostringstream back;
  DumpExtended(
      table, back,
      {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()},
      dump);
  const std::string again = std::move(back).str();
  if (std::string_view(again) !=
      std::string_view(reinterpret_cast<const char*>(script.data()),
                       script.size())) {
    return false;
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return true;
}

// What insert does where the best reading stopped inside a control code's
// parameters.
enum class Inside {
  // A parameter token follows, which the search's bounds kept it from
  // reading on: written as the parameter it is; `reached` and `from` move
  // past it.
  kSearch,
  // The bounds dropped the readings that read the label otherwise: the
  // control code is taken back; `reached` and `from` move to its label and
  // the state before it, to be read greedily.
  kGreedy,
  // The tokens are missing where the script goes on.
  kFault,
};

Inside StoppedInside(CReadingStates& states, CStepWriter& writer,
                     std::span<const unsigned char> script,
                     const CExtendedInsertOptions& options,
                     CReadingSearch::Outcome& reached, bool gaveUp,
                     CReadingStates::Id& from) {
  unsigned char parameter = 0;
  if (ReadByteToken(script.subspan(reached.pos), parameter)) {
    if (options.onInexact) options.onInexact(reached.pos, reached.bounded);
    writer.Write({.kind = StepKind::kParameter,
                  .byte = parameter,
                  .from = reached.pos,
                  .to = reached.pos + kByteTokenLength});
    from = states.Forget(
        states.Parameter(states.Forget(reached.state), parameter));
    reached.pos += kByteTokenLength;
    return Inside::kSearch;
  }
  // Once the search has given up, here or before, a reading it took since
  // may be what left the control code short: greedy reading tries again.
  if (!gaveUp) return Inside::kFault;
  const CStepWriter::Retracted back = writer.Retract();
  reached.pos = back.from;
  from = back.state;
  return Inside::kGreedy;
}

}  // namespace

bool InsertExtended(const CExtendedTable& table, std::ostream& out,
                    std::span<const unsigned char> script,
                    const CExtendedInsertOptions& options,
                    CScriptFault* fault) {
  if (options.plainFirst && InsertPlain(table, out, script, options)) {
    return true;
  }
  CReadingStates states(table);
  CInsertIndex index(table, options.tokens);
  CStepWriter writer(table, options, out);
  const CReadingBounds bounds{.states = options.openChoices,
                              .heldSteps = options.heldSteps};
  CReadingSearch search(
      table, states, index, script, options.tokens, options.optimal, bounds,
      [&writer](const CReadingStep& step) { writer.Write(step); },
      options.onInexact);
  CGreedyReading greedy(table, states, script, options.tokens);
  std::vector<CReadingStep> steps;
  std::size_t pos = 0;
  CReadingStates::Id state = states.Start();
  // The search tries only the switch codes the text asks for, which is
  // quick on tables of many sections; where that finds no reading, the
  // stretch is searched again with every switch code tried, a little past
  // where the first search stopped.
  constexpr std::size_t kWiderBy = 64;
  // Whether the search's bounds dropped readings anywhere so far, and
  // whether it gave up on any piece of the script.
  bool bounded = false;
  bool gaveUp = false;
  while (true) {
    CReadingSearch::Outcome reached = search.Run(pos, state, 0, true);
    if (reached.retry) {
      reached = search.Run(reached.from, reached.fromState,
                           reached.pos + kWiderBy, false);
    }
    bounded = bounded || reached.bounded;
    gaveUp = gaveUp || reached.bounded;
    if (reached.pos == script.size()) break;
    CReadingStates::Id from = reached.state;
    const CReadingStates::State& at = states.Get(reached.state);
    if (at.parametersLeft > 0) {
      const std::uint32_t control = at.control;
      const std::size_t have = table.entries[control].count - at.parametersLeft;
      switch (StoppedInside(states, writer, script, options, reached, gaveUp,
                            from)) {
        case Inside::kSearch:
          pos = reached.pos;
          state = from;
          continue;
        case Inside::kGreedy:
          break;
        case Inside::kFault:
          writer.Stop();
          if (fault != nullptr) *fault = {writer.Label(), control, have};
          return false;
      }
    }
    if (options.onInexact) options.onInexact(reached.pos, reached.bounded);
    gaveUp = true;
    steps.clear();
    const CGreedyReading::Result read =
        greedy.Step(reached.pos, from, steps, bounded);
    for (const CReadingStep& step : steps) writer.Write(step);
    if (!read.ok) {
      writer.Stop();
      if (fault != nullptr) *fault = read.fault;
      return false;
    }
    pos = read.pos;
    state = read.state;
  }
  writer.Finish();
  return true;
}

}  // namespace dalvren
