#include "CodeDictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <ostream>
#include <vector>

namespace {

// Output is gathered in a local block and handed to the stream in large
// writes: one stream call per matched code would cost more than the
// translation itself.
constexpr std::size_t kOutputBlock = std::size_t{64} * 1024;

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

}  // namespace

CCodeDictionary::CCodeDictionary() : trie(std::make_unique<CTrie>()) {}

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value) {
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
  if (node->value) {
    std::cerr << "Replacing old value" << std::endl;
  }
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

void CCodeDictionary::TranslateShortest(std::ostream& out,
                                        std::span<const unsigned char> input,
                                        const CTranslateHooks& hooks) const {
  // Cost of the best translation of the input from a position to its end:
  // bytes skipped first (losing text is worse than any length), then bytes
  // written.
  struct Cost {
    std::uint64_t skipped = 0;
    std::uint64_t written = 0;
    bool operator<=(const Cost& other) const {
      return skipped != other.skipped ? skipped < other.skipped
                                      : written <= other.written;
    }
  };
  // What the best translation does at a position: take a key of this many
  // bytes, let `before` take its bytes, or skip the byte.
  constexpr std::uint32_t kSkip = 0;
  constexpr std::uint32_t kHook = UINT32_MAX;

  const std::size_t size = input.size();
  std::vector<Cost> best(size + 1);
  std::vector<std::uint32_t> choice(size, kSkip);
  std::string emit;
  const CTrieNode* const root = trie->root.get();
  for (std::size_t pos = size; pos-- > 0;) {
    if (hooks.before) {
      emit.clear();
      const std::size_t taken = hooks.before(input.subspan(pos), emit);
      if (taken > 0) {
        const Cost& rest = best[pos + std::min(taken, size - pos)];
        best[pos] = {rest.skipped, rest.written + emit.size()};
        choice[pos] = kHook;
        continue;
      }
    }
    bool matched = false;
    const CTrieNode* node = root;
    for (std::size_t i = pos; i < size;) {
      node = node->Child(input[i]);
      if (node == nullptr) break;
      ++i;
      if (!node->value) continue;
      const Cost& rest = best[i];
      const Cost candidate{
          rest.skipped,
          rest.written + static_cast<std::uint64_t>(node->value->len)};
      // Longer keys come later in the walk; "<=" lets them win ties.
      if (!matched || candidate <= best[pos]) {
        best[pos] = candidate;
        choice[pos] = static_cast<std::uint32_t>(i - pos);
        matched = true;
      }
    }
    if (!matched)
      best[pos] = {best[pos + 1].skipped + 1, best[pos + 1].written};
  }

  std::string output;
  output.reserve(best[0].written);
  for (std::size_t pos = 0; pos < size;) {
    const std::uint32_t step = choice[pos];
    emit.clear();
    if (step == kHook) {
      const std::size_t taken = hooks.before(input.subspan(pos), emit);
      output += emit;
      pos += std::min(taken, size - pos);
    } else if (step == kSkip) {
      if (hooks.onSkip) hooks.onSkip(pos, input[pos], emit);
      output += emit;
      ++pos;
    } else {
      const CByteString* value = Find(input.subspan(pos, step));
      output.append(value->data.get(), static_cast<std::size_t>(value->len));
      pos += step;
    }
  }
  out.write(output.data(), static_cast<std::streamsize>(output.size()));
}
