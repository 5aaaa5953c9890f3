#include "core/CodeDictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <ostream>
#include <utility>
#include <vector>

#include "core/Utf8.h"

namespace dalvren {

namespace {

// Output is gathered in a local block and handed to the stream in large
// writes: one stream call per matched code would cost more than the
// translation itself.
constexpr std::size_t kOutputBlock = std::size_t{64} * 1024;

// Appends `count` bytes to `block`, whose free part starts at `cursor`,
// handing the block to `out` first when they do not fit; a piece larger
// than a block goes to `out` directly.
inline void AppendToBlock(std::ostream& out, char (&block)[kOutputBlock],
                          char*& cursor, const char* bytes, std::size_t count) {
  if (count > static_cast<std::size_t>(block + kOutputBlock - cursor)) {
    out.write(block, cursor - block);
    cursor = block;
    if (count > kOutputBlock) {
      out.write(bytes, static_cast<std::streamsize>(count));
      return;
    }
  }
  if (count <= 8) {
    for (std::size_t i = 0; i < count; ++i) cursor[i] = bytes[i];
  } else {
    std::memcpy(cursor, bytes, count);
  }
  cursor += count;
}

// The one longest-match walk, shared by the plain and the hooked
// translation. kHooked selects at compile time whether the hooks are asked,
// so the plain translation pays nothing for them.
template <bool kHooked>
void LongestMatch(const CTrieNode& root, std::ostream& out,
                  std::span<const unsigned char> input,
                  const CTranslateHooks* hooks) {
  // The first step from the root is taken for every input position, and in
  // most tables it ends at a leaf: a one-byte code, or a text's first
  // character. Resolving all 256 first steps once per call turns those
  // positions into a single table lookup.
  struct FirstStep {
    const char* leafData;  // the value when the step ends at a leaf
    std::int32_t leafLength;
    const CTrieNode* node;  // otherwise the node to walk on from, or null
  };
  FirstStep first[256];
  for (int b = 0; b < 256; ++b) {
    const CTrieNode* node = root.Child(static_cast<unsigned char>(b));
    const bool leaf = node != nullptr && node->value && !node->HasChildren();
    first[b] = {leaf ? node->value->data.get() : nullptr,
                leaf ? node->value->len : 0, node};
  }

  const unsigned char* const in = input.data();
  const std::size_t size = input.size();
  // The cursor is a plain local, not a member of some writer object: byte
  // stores may alias any object whose address is known, which would force
  // the compiler to reload a member cursor after every byte written.
  char block[kOutputBlock];
  char* cursor = block;
  const auto append = [&](const char* bytes, std::size_t count) {
    AppendToBlock(out, block, cursor, bytes, count);
  };
  [[maybe_unused]] std::string emit;

  // From each position, walk the trie as far as the input allows, remembering
  // the last node that ends a key; emit it and resume after it, or drop one
  // byte when none matched. This is the single pass with back-up, unrolled.
  std::size_t pos = 0;
  while (pos < size) {
    if constexpr (kHooked) {
      if (hooks->before) {
        emit.clear();
        const std::size_t taken = hooks->before(input.subspan(pos), emit);
        if (taken > 0) {
          append(emit.data(), emit.size());
          pos += std::min(taken, size - pos);
          continue;
        }
      }
    }
    const FirstStep& step = first[in[pos]];
    if (step.leafData != nullptr) {
      append(step.leafData, static_cast<std::size_t>(step.leafLength));
      ++pos;
      continue;
    }
    const CTrieNode* node = step.node;
    const CByteString* match = nullptr;
    std::size_t matchEnd = pos + 1;
    if (node != nullptr) {
      match = node->value.get();
      for (std::size_t i = pos + 1; i < size;) {
        node = node->Child(in[i]);
        if (node == nullptr) break;
        ++i;
        if (node->value) {
          match = node->value.get();
          matchEnd = i;
        }
      }
    }
    if (match != nullptr) {
      append(match->data.get(), static_cast<std::size_t>(match->len));
      pos = matchEnd;
      continue;
    }
    if constexpr (kHooked) {
      if (hooks->onSkip) {
        emit.clear();
        hooks->onSkip(pos, in[pos], emit);
        append(emit.data(), emit.size());
      }
    }
    ++pos;
  }
  out.write(block, cursor - block);
}

// The cost of the best cut of the input from a position to its end:
// characters dropped first (losing text is worse than any length), then
// bytes written.
struct CutCost {
  std::uint64_t dropped = 0;
  std::uint64_t written = 0;
};

bool NoWorse(const CutCost& a, const CutCost& b) {
  return a.dropped != b.dropped ? a.dropped < b.dropped
                                : a.written <= b.written;
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
// positions.
template <typename Choice>
class ShortestCut {
 public:
  static constexpr Choice kSkip = 0;
  static constexpr Choice kHook = std::numeric_limits<Choice>::max();

  ShortestCut(const CCodeDictionary& dict, std::span<const unsigned char> input,
              const CTranslateHooks& hooks)
      : dict_(dict),
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
    const CTrieNode& root = *dict_.trie->root;
    std::string emit;
    for (std::size_t pos = size; pos-- > 0;) {
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
        const CTrieNode* node = &root;
        for (std::size_t i = pos; i < size;) {
          node = node->Child(input_[i]);
          if (node == nullptr) break;
          ++i;
          if (!node->value) continue;
          for (int s = 0; s < states; ++s) {
            const CutCost& rest = cost(i, next(i, s));
            const CutCost candidate{
                rest.dropped,
                rest.written + static_cast<std::uint64_t>(node->value->len)};
            // Longer keys come later in the walk; "no worse" lets them win
            // ties.
            if (step[s] == kSkip || NoWorse(candidate, best[s])) {
              best[s] = candidate;
              step[s] = static_cast<Choice>(i - pos);
            }
          }
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
    char block[kOutputBlock];
    char* cursor = block;
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
        AppendToBlock(out, block, cursor, emit.data(), emit.size());
      } else {
        const CByteString* value = dict_.Find(input_.subspan(pos, step));
        AppendToBlock(out, block, cursor, value->data.get(),
                      static_cast<std::size_t>(value->len));
      }
      if (to >= here.end) state = 0;
      pos = to;
    }
    out.write(block, cursor - block);
  }

 private:
  const CCodeDictionary& dict_;
  std::span<const unsigned char> input_;
  const CTranslateHooks& hooks_;
  // The step of position p in state s is at 2 * p + s; state 1 is set only
  // inside a character.
  std::unique_ptr<Choice[]> choices_;
};

template <typename Choice>
void WriteShortest(const CCodeDictionary& dict, std::ostream& out,
                   std::span<const unsigned char> input,
                   const CTranslateHooks& hooks, std::size_t window) {
  ShortestCut<Choice> cut(dict, input, hooks);
  while (const std::size_t taken = cut.Choose(window)) {
    window = std::max(2 * window, taken + 1);
  }
  cut.Write(out);
}

}  // namespace

CCodeDictionary::CCodeDictionary() : trie(std::make_unique<CTrie>()) {}

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value) {
  bool replaced = false;
  if (!Insert(key, value, replaced)) return false;
  if (replaced) std::cerr << "Replacing old value" << std::endl;
  return true;
}

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value,
                             bool& replaced) {
  if (key.len <= 0) return false;
  CTrieNode* node = trie->root.get();
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
  const CTrieNode* node = trie->root.get();
  for (const unsigned char b : key) {
    node = node->Child(b);
    if (node == nullptr) return nullptr;
  }
  return node->value.get();
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input) const {
  LongestMatch<false>(*trie->root, out, input, nullptr);
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input,
                                const CTranslateHooks& hooks) const {
  LongestMatch<true>(*trie->root, out, input, &hooks);
}

std::size_t CCodeDictionary::LongestKey() const {
  std::size_t longest = 0;
  std::vector<std::pair<const CTrieNode*, std::size_t>> pending = {
      {trie->root.get(), 0}};
  while (!pending.empty()) {
    const CTrieNode* const node = pending.back().first;
    const std::size_t depth = pending.back().second;
    pending.pop_back();
    if (node->value) longest = std::max(longest, depth);
    node->ForEachChild(
        [&pending, depth](unsigned char, const CTrieNode& child) {
          pending.emplace_back(&child, depth + 1);
        });
  }
  return longest;
}

void CCodeDictionary::TranslateShortest(std::ostream& out,
                                        std::span<const unsigned char> input,
                                        const CTranslateHooks& hooks) const {
  // Room for the longest key, and for the few bytes a hook usually takes
  // (a "<$XX>" token) even when every key is shorter, so that the search
  // rarely has to start over.
  constexpr std::size_t kLeastWindow = 64;
  const std::size_t longest = LongestKey();
  const std::size_t window = std::max(longest, kLeastWindow) + 1;
  if (longest < ShortestCut<std::uint16_t>::kHook) {
    WriteShortest<std::uint16_t>(*this, out, input, hooks, window);
  } else {
    WriteShortest<std::uint32_t>(*this, out, input, hooks, window);
  }
}

}  // namespace dalvren
