#include "core/CodeDictionary.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <utility>
#include <vector>

#include "core/BlockWriter.h"
#include "core/CompiledTrie.h"
#include "core/MatchAutomaton.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

using Value = CCompiledTrie::Value;
using First = CCompiledTrie::First;

// Output is gathered in a block on the stack (kOutputBlock bytes) and handed
// on in large writes: one stream call per matched code would cost more than
// the translation itself.
// Inline values are copied 16 bytes at a time, whatever their length: the
// loops keep this much room free at the cursor.
constexpr std::size_t kCopyWidth = 16;

// The block the translation loops write into, through a cursor they keep
// in a local variable: byte stores may alias any object whose address is
// known, which would force the compiler to reload a member cursor after
// every byte written.
class COutputBlock {
 public:
  using Drain = void (*)(void* target, const char* bytes, std::size_t count);

  COutputBlock(Drain drain, void* target) : drain_(drain), target_(target) {}

  COutputBlock(const COutputBlock&) = delete;
  COutputBlock& operator=(const COutputBlock&) = delete;

  [[nodiscard]] char* Begin() { return block_; }
  [[nodiscard]] char* End() { return block_ + kOutputBlock; }
  // The furthest a cursor may stand before a copy of kCopyWidth bytes.
  [[nodiscard]] const char* Limit() const {
    return block_ + kOutputBlock - kCopyWidth;
  }

  // Hands on the bytes before `cursor`; returns the emptied block's start.
  char* Flush(char* cursor) {
    drain_(target_, block_, static_cast<std::size_t>(cursor - block_));
    return block_;
  }

  // Appends `count` bytes at `cursor`, flushing as needed; a piece larger
  // than the block goes on directly. Returns the new cursor.
  char* Append(char* cursor, const char* bytes, std::size_t count) {
    if (count > static_cast<std::size_t>(End() - cursor)) {
      cursor = Flush(cursor);
      if (count > kOutputBlock) {
        drain_(target_, bytes, count);
        return cursor;
      }
    }
    std::memcpy(cursor, bytes, count);
    return cursor + count;
  }

 private:
  Drain drain_;
  void* target_;
  char block_[kOutputBlock];
};

void DrainToStream(void* target, const char* bytes, std::size_t count) {
  static_cast<std::ostream*>(target)->write(
      bytes, static_cast<std::streamsize>(count));
}

void DrainToString(void* target, const char* bytes, std::size_t count) {
  static_cast<std::string*>(target)->append(bytes, count);
}

// Writes `value` at `cursor`, which has kCopyWidth bytes of room.
inline char* Emit(const CCompiledTrie::View& trie, COutputBlock& out,
                  char* cursor, const Value& value) {
  if (value.length <= Value::kInlineValue) {
    std::memcpy(cursor, &value, kCopyWidth);
    return cursor + value.length;
  }
  return out.Append(cursor, trie.Data(value), value.length);
}

// What the translation loops share.
struct CGreedyRun {
  const CCompiledTrie& trie;
  COutputBlock& out;
  std::span<const unsigned char> input;
  const CTranslateHooks* hooks;
  const CTranslateTuning& tuning;
};

// Asks `before` about `pos`. Returns the bytes it took (0 to let the
// dictionary translate), having written what it emitted.
inline std::size_t AskBefore(const CGreedyRun& run, std::size_t pos,
                             char*& cursor, std::string& emit) {
  if (!run.hooks->before) return 0;
  emit.clear();
  const std::size_t taken = run.hooks->before(run.input.subspan(pos), emit);
  if (taken == 0) return 0;
  cursor = run.out.Append(cursor, emit.data(), emit.size());
  return std::min(taken, run.input.size() - pos);
}

inline void ReportSkip(const CGreedyRun& run, std::size_t pos, char*& cursor,
                       std::string& emit) {
  if (!run.hooks->onSkip) return;
  emit.clear();
  run.hooks->onSkip(pos, run.input[pos], emit);
  cursor = run.out.Append(cursor, emit.data(), emit.size());
}

// A dictionary whose keys are single bytes with values of at most one byte
// is a lookup table; the translation is then the lookup loop itself.
[[gnu::noinline]] void TranslateByteMap(const CGreedyRun& run) {
  const char* const values = run.trie.ByteMapValues();
  const unsigned char* const keeps = run.trie.ByteMapKeeps();
  const unsigned char* in = run.input.data();
  const unsigned char* const end = in + run.input.size();
  char* cursor = run.out.Begin();
  while (in < end) {
    // Each input byte writes at most one byte: no check inside the loop.
    if (cursor == run.out.End()) cursor = run.out.Flush(cursor);
    const auto count =
        std::min(static_cast<std::size_t>(end - in),
                 static_cast<std::size_t>(run.out.End() - cursor));
    if (run.trie.IsFullByteMap()) {
      for (std::size_t i = 0; i < count; ++i) cursor[i] = values[in[i]];
      cursor += count;
    } else {
      for (std::size_t i = 0; i < count; ++i) {
        *cursor = values[in[i]];
        cursor += keeps[in[i]];
      }
    }
    in += count;
  }
  run.out.Flush(cursor);
}

// Where a walk of the compiled trie from one position ended.
struct CWalkEnd {
  // The last key end passed: its value, or the step that holds it inline
  // (`value` null), and the position after it; `value` null and `step`
  // kNoStep when no key starts at the position.
  const Value* value = nullptr;
  CCompiledTrie::Step step = CCompiledTrie::kNoStep;
  std::size_t end = 0;
  // Where the walk stopped: `end` or further, for a longer key that failed.
  std::size_t stop = 0;
};

// The walk from `pos` on, for the keys of three bytes and more, or of two
// with a long value: `first` leads to a node, and `second` is the step from
// it by the byte after `pos`.
CWalkEnd WalkOn(const CCompiledTrie::View& trie, const First& first,
                CCompiledTrie::Step second, const unsigned char* in,
                std::size_t pos, std::size_t size) {
  using Step = CCompiledTrie::Step;
  CWalkEnd walk;
  walk.end = pos + 1;
  if (const std::uint32_t own = CCompiledTrie::View::FirstValue(first);
      own != CCompiledTrie::kNoValue) {
    walk.value = &trie.values[own];
  }
  std::size_t i = pos + 1;
  for (Step next = second;;) {
    const std::uint8_t tag = CCompiledTrie::Tag(next);
    if (tag == CCompiledTrie::kNone) break;
    ++i;
    if (tag <= CCompiledTrie::kInlineLeaf) {
      walk.value = nullptr;
      walk.step = next;
      walk.end = i;
      break;
    }
    if (tag == CCompiledTrie::kLeaf) {
      walk.value = &trie.values[CCompiledTrie::Number(next)];
      walk.end = i;
      break;
    }
    const CCompiledTrie::Node& node = trie.nodes[CCompiledTrie::Number(next)];
    if (node.value != CCompiledTrie::kNoValue) {
      walk.value = &trie.values[node.value];
      walk.end = i;
    }
    if (i == size) break;
    next = trie.Next(node, in[i]);
  }
  walk.stop = i;
  return walk;
}

// The walk of the compiled trie: from each position, as far as the input
// allows, remembering the last key end; emit its value and resume after it,
// or drop one byte when none matched. Returns where it stopped: the end of
// the input, or, when `handOver`, the position from which the automaton is
// to go on because the walk has read too many bytes again.
// Kept out of line, like the other paths: in one function together they
// would compete for registers, and the walk's loop would lose its own.
// One loop that keeps its state in registers: split into calls, it would
// lose them as the paths would together.
template <bool kHooked>
// NOLINTNEXTLINE(readability-function-size): the translation's hot loop
[[gnu::noinline]] std::size_t Walk(const CGreedyRun& run, char*& cursorRef,
                                   bool handOver) {
  using Step = CCompiledTrie::Step;
  const CCompiledTrie::View trie = run.trie.GetView();
  const unsigned char* const in = run.input.data();
  const std::size_t size = run.input.size();
  const char* const limit = run.out.Limit();
  char* cursor = cursorRef;
  [[maybe_unused]] std::string emit;
  std::size_t reread = 0;
  std::size_t pos = 0;
  while (pos < size) {
    if (cursor > limit) cursor = run.out.Flush(cursor);
    if constexpr (kHooked) {
      if (const std::size_t taken = AskBefore(run, pos, cursor, emit)) {
        pos += taken;
        continue;
      }
    }
    // Most positions of most tables end within two bytes: a key of one or
    // two bytes, or a byte whose key goes no further. Those are settled
    // here, with nothing to remember.
    const First& first = trie.first[in[pos]];
    if (first.length <= First::kInlineFirst) {
      std::memcpy(cursor, &first, kCopyWidth);
      cursor += first.length;
      ++pos;
      continue;
    }
    if (first.length == First::kOther) {
      // A one-byte key with a long value, or a byte that starts no key.
      if (first.number != CCompiledTrie::kNoValue) {
        cursor = Emit(trie, run.out, cursor, trie.values[first.number]);
      } else {
        if constexpr (kHooked) ReportSkip(run, pos, cursor, emit);
      }
      ++pos;
      continue;
    }
    const Step next = pos + 1 < size ? trie.NextAfter(first, in[pos + 1])
                                     : CCompiledTrie::kNoStep;
    const std::uint8_t tag = CCompiledTrie::Tag(next);
    if (tag <= CCompiledTrie::kInlineLeaf) {
      std::memcpy(cursor, &next, sizeof next);
      cursor += tag;
      pos += 2;
      continue;
    }
    if (tag == CCompiledTrie::kNone) {
      // No longer key goes on: the first byte's own key, if it is one.
      const std::uint32_t own = CCompiledTrie::View::FirstValue(first);
      if (own != CCompiledTrie::kNoValue) {
        cursor = Emit(trie, run.out, cursor, trie.values[own]);
      } else {
        if constexpr (kHooked) ReportSkip(run, pos, cursor, emit);
      }
      ++pos;
      continue;
    }
    if (tag == CCompiledTrie::kNode && pos + 2 < size) {
      // A key of three bytes that goes no further (a CJK character, in a
      // table of texts).
      const Step third =
          trie.Next(trie.nodes[CCompiledTrie::Number(next)], in[pos + 2]);
      const std::uint8_t thirdTag = CCompiledTrie::Tag(third);
      if (thirdTag <= CCompiledTrie::kInlineLeaf) {
        std::memcpy(cursor, &third, sizeof third);
        cursor += thirdTag;
        pos += 3;
        continue;
      }
    }
    const CWalkEnd walk = WalkOn(trie, first, next, in, pos, size);
    if (walk.value != nullptr) {
      cursor = Emit(trie, run.out, cursor, *walk.value);
    } else if (walk.step != CCompiledTrie::kNoStep) {
      std::memcpy(cursor, &walk.step, sizeof walk.step);
      cursor += CCompiledTrie::Tag(walk.step);
    } else {
      if constexpr (kHooked) ReportSkip(run, pos, cursor, emit);
    }
    pos = walk.end;
    reread += walk.stop - walk.end;
    if (handOver &&
        reread > run.tuning.rereadSlack + run.tuning.rereadPerByte * pos) {
      break;
    }
  }
  cursorRef = cursor;
  return pos;
}

// The automaton's greedy translation from `pos` on. For a block of
// positions it reads the input backwards from the block's end (and the
// longest key's length beyond it, on which the block's first keys may
// depend), noting the longest key at each position; then it takes the keys
// forwards as the walk would.
template <bool kHooked>
[[gnu::noinline]] void RunAutomaton(const CGreedyRun& run,
                                    const CMatchAutomaton& automaton,
                                    char*& cursorRef, std::size_t pos) {
  const CCompiledTrie::View trie = run.trie.GetView();
  const CMatchAutomaton::View reversed = automaton.GetView();
  const unsigned char* const in = run.input.data();
  const std::size_t size = run.input.size();
  const std::size_t longest = run.trie.LongestKey();
  const std::size_t block = std::max<std::size_t>(
      {run.tuning.block, run.tuning.blockPerLongestKey * longest, 1});
  // The key at each position of the block, and apart its length: the
  // forward pass goes from key to key by the lengths alone.
  const std::size_t positions = std::min(block, size - pos);
  std::vector<std::uint32_t> keys(2 * positions);
  std::uint32_t* const keyAt = keys.data();
  std::uint32_t* const lengthAt = keys.data() + positions;
  const char* const limit = run.out.Limit();
  char* cursor = cursorRef;
  [[maybe_unused]] std::string emit;
  while (pos < size) {
    const std::size_t start = pos;
    const std::size_t stop = std::min(size, start + block);
    const std::size_t reach =
        longest > 1 ? std::min(size, stop + (longest - 1)) : stop;
    CMatchAutomaton::State state = 0;
    for (std::size_t i = reach; i > stop;)
      state = reversed.Step(state, in[--i]);
    for (std::size_t i = stop; i > start;) {
      --i;
      state = reversed.Step(state, in[i]);
      const std::uint32_t index = reversed.Longest(state);
      keyAt[i - start] = index;
      lengthAt[i - start] = reversed.GetKey(index).length;
    }
    while (pos < stop) {
      if (cursor > limit) cursor = run.out.Flush(cursor);
      if constexpr (kHooked) {
        if (const std::size_t taken = AskBefore(run, pos, cursor, emit)) {
          pos += taken;
          continue;
        }
      }
      const std::uint32_t length = lengthAt[pos - start];
      if (length == 0) {
        if constexpr (kHooked) ReportSkip(run, pos, cursor, emit);
        ++pos;
        continue;
      }
      cursor = Emit(trie, run.out, cursor,
                    reversed.GetKey(keyAt[pos - start]).value);
      pos += length;
    }
  }
  cursorRef = cursor;
}

// The cost of the best cut of the input from a position to its end:
// characters dropped first (losing text is worse than any length), then
// bytes written.
struct CutCost {
  std::uint64_t dropped = 0;
  std::uint64_t written = 0;
};

bool Better(const CutCost& a, const CutCost& b) {
  return a.dropped != b.dropped ? a.dropped < b.dropped : a.written < b.written;
}

// The shortest cut, found backwards from the end of the input and written
// forwards.
//
// A character is dropped when any of its bytes is skipped, so what skipping
// a byte costs depends on the way the cut came: the search has two states
// at a position inside a character, "no byte of this character dropped so
// far" (0) and "one already dropped" (1), and only the first skip in a
// character costs one. At the start of a character the state is 0.
//
// Per position and state it keeps only the step taken (a key's length, a
// skip, or `before`), in a Choice of 16 or 32 bits. The costs are needed only
// as far ahead as a step reaches, so they live in a ring of `window`
// positions. The automaton, fed the same bytes backwards, lists the keys
// that start at each position.
template <typename Choice>
class ShortestCut {
 public:
  static constexpr Choice kSkip = 0;
  static constexpr Choice kHook = std::numeric_limits<Choice>::max();

  ShortestCut(const CCompiledTrie& trie, const CMatchAutomaton& automaton,
              std::span<const unsigned char> input,
              const CTranslateHooks& hooks)
      : trie_(trie),
        automaton_(automaton),
        input_(input),
        hooks_(hooks),
        choices_(std::make_unique_for_overwrite<Choice[]>(2 * input.size())) {}

  ShortestCut(const ShortestCut&) = delete;
  ShortestCut& operator=(const ShortestCut&) = delete;

  // Chooses the step of every position and state, with room for steps of up
  // to `window` - 1 bytes. Returns 0, or, when `before` took more bytes than
  // that, how many it took.
  std::size_t Choose(std::size_t window) {
    const std::size_t size = input_.size();
    std::vector<CutCost> ring(2 * window);
    const auto cost = [&](std::size_t pos, int state) -> CutCost& {
      return ring[2 * (pos % window) + static_cast<std::size_t>(state)];
    };
    std::string emit;
    const CMatchAutomaton::View reversed = automaton_.GetView();
    CMatchAutomaton::State reading = 0;
    for (std::size_t pos = size; pos-- > 0;) {
      reading = reversed.Step(reading, input_[pos]);
      const CUtf8Char here = Utf8CharAt(input_, pos);
      const int states = here.start < pos ? 2 : 1;
      // Within the character, whether a byte of it was dropped carries on.
      const auto next = [&](std::size_t at, int state) {
        return at < here.end ? state : 0;
      };
      CutCost best[2];
      Choice step[2] = {kSkip, kSkip};
      std::size_t taken = 0;
      if (hooks_.before) {
        emit.clear();
        taken = std::min(hooks_.before(input_.subspan(pos), emit), size - pos);
        if (taken >= window) return taken;
      }
      if (taken > 0) {
        for (int s = 0; s < states; ++s) {
          const CutCost& rest = cost(pos + taken, next(pos + taken, s));
          best[s] = {rest.dropped, rest.written + emit.size()};
          step[s] = kHook;
        }
      } else {
        // Longest key first: a shorter one must be strictly better to take
        // its place, so that among equal cuts the longer key wins.
        for (std::uint32_t index = reversed.Longest(reading); index != 0;) {
          const CMatchAutomaton::Key& key = reversed.GetKey(index);
          const std::size_t end = pos + key.length;
          for (int s = 0; s < states; ++s) {
            const CutCost& rest = cost(end, next(end, s));
            const CutCost candidate{rest.dropped,
                                    rest.written + key.value.length};
            if (step[s] == kSkip || Better(candidate, best[s])) {
              best[s] = candidate;
              step[s] = static_cast<Choice>(key.length);
            }
          }
          index = key.shorter;
        }
        if (step[0] == kSkip) {
          const CutCost& rest = cost(pos + 1, next(pos + 1, 1));
          for (int s = 0; s < states; ++s) {
            best[s] = {rest.dropped + (s == 0 ? 1 : 0), rest.written};
          }
        }
      }
      for (int s = 0; s < states; ++s) {
        cost(pos, s) = best[s];
        choices_[2 * pos + static_cast<std::size_t>(s)] = step[s];
      }
    }
    return 0;
  }

  // Writes the cut chosen from the start of the input, in blocks.
  void Write(std::ostream& out) const {
    COutputBlock block(DrainToStream, &out);
    char* cursor = block.Begin();
    std::string emit;
    const std::size_t size = input_.size();
    std::size_t pos = 0;
    int state = 0;
    while (pos < size) {
      const CUtf8Char here = Utf8CharAt(input_, pos);
      const Choice step = choices_[2 * pos + static_cast<std::size_t>(state)];
      std::size_t to = pos + step;
      if (step == kHook || step == kSkip) {
        emit.clear();
        if (step == kHook) {
          const std::size_t taken = hooks_.before(input_.subspan(pos), emit);
          to = pos + std::min(taken, size - pos);
        } else {
          if (hooks_.onSkip) hooks_.onSkip(pos, input_[pos], emit);
          to = pos + 1;
          state = 1;
        }
        cursor = block.Append(cursor, emit.data(), emit.size());
      } else {
        const std::string_view value = *trie_.Find(input_.subspan(pos, step));
        cursor = block.Append(cursor, value.data(), value.size());
      }
      if (to >= here.end) state = 0;
      pos = to;
    }
    block.Flush(cursor);
  }

 private:
  const CCompiledTrie& trie_;
  const CMatchAutomaton& automaton_;
  std::span<const unsigned char> input_;
  const CTranslateHooks& hooks_;
  // The step of position p in state s is at 2 * p + s; state 1 is set only
  // inside a character.
  std::unique_ptr<Choice[]> choices_;
};

template <typename Choice>
void WriteShortest(const CCompiledTrie& trie, const CMatchAutomaton& automaton,
                   std::ostream& out, std::span<const unsigned char> input,
                   const CTranslateHooks& hooks, std::size_t window) {
  ShortestCut<Choice> cut(trie, automaton, input, hooks);
  while (const std::size_t taken = cut.Choose(window)) {
    window = std::max(2 * window, taken + 1);
  }
  cut.Write(out);
}

}  // namespace

CCodeDictionary::CCodeDictionary() : trie_(std::make_unique<CTrie>()) {}

CCodeDictionary::~CCodeDictionary() = default;

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value) {
  bool replaced = false;
  return Insert(key, value, replaced);
}

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value,
                             bool& replaced) {
  if (key.len <= 0) return false;
  compiledReady_.store(nullptr, std::memory_order_relaxed);
  automatonReady_.store(nullptr, std::memory_order_relaxed);
  automaton_.reset();
  compiled_.reset();
  CTrieNode* node = trie_->root.get();
  for (const unsigned char b : key.Bytes()) {
    CTrieNode* next = node->Child(b);
    if (next == nullptr) {
      auto child = std::make_unique<CTrieNode>();
      next = child.get();
      node->Attach(std::move(child), b);
    }
    node = next;
  }
  replaced = node->value != nullptr;
  node->value = std::make_unique<CByteString>(value);
  return true;
}

const CByteString* CCodeDictionary::Find(
    std::span<const unsigned char> key) const {
  if (key.empty()) return nullptr;
  const CTrieNode* node = &Root();
  for (const unsigned char b : key) {
    node = node->Child(b);
    if (node == nullptr) return nullptr;
  }
  return node->value.get();
}

const CTrieNode& CCodeDictionary::Root() const {
  assert(trie_ && trie_->root && trie_->root->value);
  return *trie_->root;
}

const CCompiledTrie& CCodeDictionary::Compiled() const {
  if (const CCompiledTrie* ready =
          compiledReady_.load(std::memory_order_acquire)) {
    return *ready;
  }
  const std::lock_guard<std::mutex> lock(compiling_);
  if (!compiled_) {
    compiled_ = std::make_unique<CCompiledTrie>(Root());
    compiledReady_.store(compiled_.get(), std::memory_order_release);
  }
  return *compiled_;
}

const CMatchAutomaton& CCodeDictionary::Automaton() const {
  if (const CMatchAutomaton* ready =
          automatonReady_.load(std::memory_order_acquire)) {
    return *ready;
  }
  const CCompiledTrie& compiled = Compiled();
  const std::lock_guard<std::mutex> lock(compiling_);
  if (!automaton_) {
    automaton_ = std::make_unique<CMatchAutomaton>(compiled);
    automatonReady_.store(automaton_.get(), std::memory_order_release);
  }
  return *automaton_;
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input) const {
  TranslateTo(DrainToStream, &out, input, nullptr, CTranslateTuning());
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input,
                                const CTranslateHooks& hooks) const {
  TranslateTo(DrainToStream, &out, input, &hooks, CTranslateTuning());
}

void CCodeDictionary::Translate(std::string& out,
                                std::span<const unsigned char> input) const {
  TranslateTo(DrainToString, &out, input, nullptr, CTranslateTuning());
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input,
                                const CTranslateHooks* hooks,
                                const CTranslateTuning& tuning) const {
  TranslateTo(DrainToStream, &out, input, hooks, tuning);
}

void CCodeDictionary::TranslateTo(Drain drain, void* target,
                                  std::span<const unsigned char> input,
                                  const CTranslateHooks* hooks,
                                  const CTranslateTuning& tuning) const {
  const CCompiledTrie& trie = Compiled();
  COutputBlock out(drain, target);
  const bool hooked = hooks != nullptr && (hooks->before || hooks->onSkip);
  const CGreedyRun run{trie, out, input, hooks, tuning};
  using Path = CTranslateTuning::Path;
  if (!hooked && tuning.path == Path::kAdaptive && trie.IsByteMap()) {
    TranslateByteMap(run);
    return;
  }
  char* cursor = out.Begin();
  std::size_t pos = 0;
  if (tuning.path != Path::kAutomaton) {
    const bool handOver = tuning.path == Path::kAdaptive;
    pos = hooked ? Walk<true>(run, cursor, handOver)
                 : Walk<false>(run, cursor, handOver);
  }
  if (pos < input.size()) {
    if (hooked) {
      RunAutomaton<true>(run, Automaton(), cursor, pos);
    } else {
      RunAutomaton<false>(run, Automaton(), cursor, pos);
    }
  }
  out.Flush(cursor);
}

std::size_t CCodeDictionary::LongestKey() const {
  return Compiled().LongestKey();
}

void CCodeDictionary::Compile(bool automaton) const {
  if (automaton) {
    static_cast<void>(Automaton());
  } else {
    static_cast<void>(Compiled());
  }
}

void CCodeDictionary::TranslateShortest(std::ostream& out,
                                        std::span<const unsigned char> input,
                                        const CTranslateHooks& hooks) const {
  // Room for the longest key, and for the few bytes a hook usually takes
  // (a "<$XX>" token) even when every key is shorter, so that the search
  // rarely has to start over.
  constexpr std::size_t kLeastWindow = 64;
  const CMatchAutomaton& automaton = Automaton();
  const CCompiledTrie& trie = Compiled();
  const std::size_t longest = trie.LongestKey();
  const std::size_t window = std::max(longest, kLeastWindow) + 1;
  if (longest < ShortestCut<std::uint16_t>::kHook) {
    WriteShortest<std::uint16_t>(trie, automaton, out, input, hooks, window);
  } else {
    WriteShortest<std::uint32_t>(trie, automaton, out, input, hooks, window);
  }
}

}  // namespace dalvren
