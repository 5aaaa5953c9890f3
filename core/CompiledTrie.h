// The flat form of a code dictionary's trie, which translation walks in
// place of the trie's nodes: made once from the trie, never changed, and
// laid out so that a step is an array index and a short value a fixed-size
// copy. It is a cache of the trie: the trie stays the dictionary's data, and
// a trie that changes needs a new compiled form.
//
// Invariants:
//   - Node 0 is the root. The steps of a node by the bytes lo .. lo + last
//     are steps_[base .. base + last]; a byte outside that range has none.
//     Every node has at least one step slot (the root of an empty dictionary
//     has one, for byte 0, leading nowhere). Nodes are numbered breadth
//     first.
//   - A step leads nowhere (kNone), to a node from which longer keys go on
//     (kNode, with the node's number), or to a leaf, where a key ends and
//     none goes on: its value is in the step itself when it has at most
//     kInlineLeaf bytes, else in values_ (kLeaf, with its index).
//   - A node's own key, if one ends there, has its value in values_.
//   - A value of at most Value::kInlineValue bytes is held in its Value
//     itself; a longer one in pool_, the Value holding its offset.
//   - first_[b] is the step from the root by byte b; when that step ends at
//     a leaf whose value has at most First::kInlineFirst bytes it holds the
//     value, and when it leads to a node, the node's range of steps.
//   - Node and value numbers fit in 32 bits: a trie with more nodes would
//     take far more memory than any machine this runs on has.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/TrieNode.h"

namespace dalvren {

class CCompiledTrie {
 public:
  static constexpr std::uint32_t kNoValue = 0xFFFF'FFFFu;

  // A value. The loops of translation copy all 16 bytes of an inline value
  // at once and advance their cursor by `length`.
  struct Value {
    static constexpr std::size_t kInlineValue = 12;
    // The bytes of an inline value; for a longer one, its offset in the
    // pool in the first 8 bytes.
    char bytes[kInlineValue];
    std::uint32_t length;
  };
  static_assert(sizeof(Value) == 16);

  // One step of a walk: 8 bytes, in memory the first 7 an inline leaf's
  // value (or a node's or value's number in the first 4) and the last one
  // the tag. Held as a number, so that a loop keeps it in a register, and
  // copied to the output whole, its bytes in memory order.
  using Step = std::uint64_t;
  static constexpr std::size_t kInlineLeaf = 7;
  // Tags past kInlineLeaf; a tag of at most kInlineLeaf is a leaf whose
  // value is the step's first `tag` bytes.
  static constexpr std::uint8_t kNode = 0x40;
  static constexpr std::uint8_t kLeaf = 0x41;
  static constexpr std::uint8_t kNone = 0x42;
  static constexpr unsigned kTagShift =
      std::endian::native == std::endian::little ? 56 : 0;
  static constexpr Step kNoStep = Step{kNone} << kTagShift;

  [[nodiscard]] static std::uint8_t Tag(Step step) {
    return static_cast<std::uint8_t>(step >> kTagShift);
  }
  [[nodiscard]] static std::uint32_t Number(Step step) {
    std::uint32_t number;
    std::memcpy(&number, &step, sizeof number);
    return number;
  }
  // A step with `tag` whose first bytes are `count` bytes of `bytes`.
  [[nodiscard]] static Step MakeStep(std::uint8_t tag, const void* bytes,
                                     std::size_t count) {
    unsigned char memory[sizeof(Step)] = {};
    std::memcpy(memory, bytes, count);
    memory[sizeof(Step) - 1] = tag;
    Step step;
    std::memcpy(&step, memory, sizeof step);
    return step;
  }

  // A node from which keys go on: its steps by the bytes lo .. lo + last
  // are steps[base ..], and the key ending here (if any) has value `value`.
  struct Node {
    std::uint32_t base = 0;
    std::uint32_t value = kNoValue;
    std::uint8_t lo = 0;
    std::uint8_t last = 0;  // the number of step slots less one
  };

  // The first step from the root by one byte, in 16 bytes. When it ends at
  // a leaf with a value of at most kInlineFirst bytes, the value is here,
  // copied whole like a Value; when it leads to a node, the node's range of
  // steps is here, so that the walk from the first byte needs no load that
  // waits on another.
  struct alignas(16) First {
    static constexpr std::size_t kInlineFirst = 11;
    // `length` values past any inline length: the step leads to a node, or
    // it is something else (a leaf with a longer value, or no key).
    static constexpr std::uint8_t kToNode = 0xFF;
    static constexpr std::uint8_t kOther = 0xFE;
    // An inline value; for kToNode the node's base, lo and last, and the
    // index of its own key's value (kNoValue for none), at these offsets.
    static constexpr std::size_t kBaseAt = 0;   // std::uint32_t
    static constexpr std::size_t kLoAt = 4;     // std::uint8_t
    static constexpr std::size_t kLastAt = 5;   // std::uint8_t
    static constexpr std::size_t kValueAt = 6;  // std::uint32_t
    char bytes[kInlineFirst];
    std::uint8_t length;
    // For kOther the index of the value, or kNoValue when no key starts
    // with this byte; unused otherwise.
    std::uint32_t number;
  };
  static_assert(sizeof(First) == 16);
  static_assert(First::kBaseAt + sizeof(std::uint32_t) <= First::kLoAt &&
                First::kLoAt < First::kLastAt &&
                First::kLastAt < First::kValueAt &&
                First::kValueAt + sizeof(std::uint32_t) <= First::kInlineFirst);

  // The arrays, as plain pointers: a translation loop keeps a View in a
  // local variable, where the stores of its output bytes cannot be taken to
  // change them, so they stay in registers.
  struct View {
    const First* first;
    const Node* nodes;
    const Step* steps;
    const Value* values;
    const char* pool;

    // The step from `node` by `b`.
    [[nodiscard]] Step Next(const Node& node, unsigned char b) const {
      const unsigned offset = static_cast<unsigned>(b) - node.lo;
      return offset <= node.last ? steps[node.base + offset] : kNoStep;
    }
    // The value index of the key of the one byte of `first` (kToNode), or
    // kNoValue.
    [[nodiscard]] static std::uint32_t FirstValue(const First& first) {
      std::uint32_t value;
      std::memcpy(&value, first.bytes + First::kValueAt, sizeof value);
      return value;
    }
    // The step by `b` from the node that `first` (kToNode) leads to.
    [[nodiscard]] Step NextAfter(const First& first, unsigned char b) const {
      std::uint32_t base;
      std::memcpy(&base, first.bytes + First::kBaseAt, sizeof base);
      const unsigned offset =
          static_cast<unsigned>(b) -
          static_cast<unsigned char>(first.bytes[First::kLoAt]);
      return offset <= static_cast<unsigned char>(first.bytes[First::kLastAt])
                 ? steps[base + offset]
                 : kNoStep;
    }
    // The bytes of `value`, inline or in the pool.
    [[nodiscard]] const char* Data(const Value& value) const {
      if (value.length <= Value::kInlineValue) return value.bytes;
      std::uint64_t offset;
      std::memcpy(&offset, value.bytes, sizeof offset);
      return pool + offset;
    }
  };

  // Flattens the trie under `root`, whose own value (the "nothing matched"
  // marker) is not a key. The trie is only read; it may change or go away
  // afterwards without affecting this form.
  explicit CCompiledTrie(const CTrieNode& root);

  // Large, and a cache that is rebuilt rather than copied.
  CCompiledTrie(const CCompiledTrie&) = delete;
  CCompiledTrie& operator=(const CCompiledTrie&) = delete;

  [[nodiscard]] View GetView() const {
    return {first_, nodes_.data(), steps_.data(), values_.data(), pool_.data()};
  }

  // The value of exactly `key`, or nothing when it is not a key. The bytes
  // stay this form's.
  [[nodiscard]] std::optional<std::string_view> Find(
      std::span<const unsigned char> key) const;

  // The length of the longest key; 0 when there is none.
  [[nodiscard]] std::size_t LongestKey() const { return longestKey_; }

  // When every key is one byte long and every value at most one byte, the
  // whole dictionary is a byte map: byte b becomes ByteMapValues()[b] when
  // ByteMapKeeps()[b] is 1 and nothing when it is 0.
  [[nodiscard]] bool IsByteMap() const { return byteMap_; }
  // Whether, moreover, every byte is a key with a one-byte value.
  [[nodiscard]] bool IsFullByteMap() const { return fullByteMap_; }
  [[nodiscard]] const char* ByteMapValues() const { return mapValue_; }
  [[nodiscard]] const unsigned char* ByteMapKeeps() const { return mapKeep_; }

  // Calls `visit(key, value)` for every key, both valid during the call;
  // a long value's bytes are found through View::Data, as long as this form
  // exists. The order is depth first, children by increasing byte.
  template <typename Visit>
  void ForEachKey(Visit&& visit) const;

 private:
  // Numbers the nodes of the trie under `root` and lays out their steps and
  // values; returns whether every value is at most one byte long.
  bool Flatten(const CTrieNode& root);
  // Sets first_[b] from the root's step by `b`; returns the value of the key
  // `b` when that step ends at a leaf.
  std::optional<std::string_view> SetFirst(unsigned char b);
  // Whether the layout holds the invariants at the top of this file (checked
  // by assert when a form is made).
  [[nodiscard]] bool LayoutHolds() const;
  // A step that ends at a key with `value` and goes no further.
  Step LeafStep(const CByteString& value);
  std::uint32_t AddValue(const CByteString& value);

  First first_[256];
  std::vector<Node> nodes_;
  std::vector<Step> steps_;
  std::vector<Value> values_;
  std::vector<char> pool_;
  std::size_t longestKey_ = 0;
  bool byteMap_ = false;
  bool fullByteMap_ = false;
  char mapValue_[256] = {};
  unsigned char mapKeep_[256] = {};
};

template <typename Visit>
void CCompiledTrie::ForEachKey(Visit&& visit) const {
  // Depth first with an explicit stack: a key may be far longer than the
  // call stack could follow.
  struct Frame {
    std::uint32_t node;
    unsigned next;  // the offset in the node's range to look at next
  };
  std::vector<Frame> frames = {{0, 0}};
  std::vector<unsigned char> key;
  while (!frames.empty()) {
    Frame& frame = frames.back();
    const Node& node = nodes_[frame.node];
    if (frame.next > node.last) {
      frames.pop_back();
      if (!key.empty()) key.pop_back();
      continue;
    }
    const unsigned offset = frame.next++;
    const Step step = steps_[node.base + offset];
    const std::uint8_t tag = Tag(step);
    if (tag == kNone) continue;
    key.push_back(static_cast<unsigned char>(node.lo + offset));
    const std::span<const unsigned char> path(key);
    if (tag <= kInlineLeaf) {
      Value value{};
      std::memcpy(value.bytes, &step, tag);
      value.length = tag;
      visit(path, static_cast<const Value&>(value));
    } else if (tag == kLeaf) {
      visit(path, values_[Number(step)]);
    } else {
      const std::uint32_t child = Number(step);
      if (nodes_[child].value != kNoValue) {
        visit(path, values_[nodes_[child].value]);
      }
      frames.push_back({child, 0});
      continue;
    }
    key.pop_back();
  }
}

}  // namespace dalvren
