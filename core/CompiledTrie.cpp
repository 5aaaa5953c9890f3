#include "core/CompiledTrie.h"

#include <algorithm>
#include <cassert>
#include <deque>
#include <utility>

namespace dalvren {

namespace {

CCompiledTrie::Step Numbered(std::uint8_t tag, std::uint32_t number) {
  return CCompiledTrie::MakeStep(tag, &number, sizeof number);
}

}  // namespace

CCompiledTrie::CCompiledTrie(const CTrieNode& root) {
  const bool valuesFitOneByte = Flatten(root);
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    const std::optional<std::string_view> value =
        SetFirst(static_cast<unsigned char>(b));
    if (!value) continue;
    mapValue_[b] = value->empty() ? '\0' : (*value)[0];
    mapKeep_[b] = value->empty() ? 0 : 1;
    mapped += value->size() == 1 ? 1 : 0;
  }
  byteMap_ = longestKey_ <= 1 && valuesFitOneByte;
  fullByteMap_ = byteMap_ && mapped == 256;

  nodes_.shrink_to_fit();
  steps_.shrink_to_fit();
  values_.shrink_to_fit();
  pool_.shrink_to_fit();
  assert(LayoutHolds());
}

bool CCompiledTrie::Flatten(const CTrieNode& root) {
  // Breadth first, so that the nodes near the root, which every walk
  // passes, sit together at the front.
  std::deque<std::pair<const CTrieNode*, std::size_t>> pending = {{&root, 0}};
  nodes_.push_back({});
  bool valuesFitOneByte = true;
  for (std::uint32_t id = 0; !pending.empty(); ++id) {
    // No structured binding: clang 14 refuses to capture one in a lambda.
    const CTrieNode* const trieNode = pending.front().first;
    const std::size_t depth = pending.front().second;
    pending.pop_front();
    int lo = -1;
    int hi = -1;
    trieNode->ForEachChild([&](unsigned char b, const CTrieNode&) {
      if (lo < 0) lo = b;
      hi = b;
    });
    if (lo < 0) lo = hi = 0;
    const auto base = static_cast<std::uint32_t>(steps_.size());
    nodes_[id].base = base;
    nodes_[id].lo = static_cast<std::uint8_t>(lo);
    nodes_[id].last = static_cast<std::uint8_t>(hi - lo);
    steps_.resize(steps_.size() + static_cast<std::size_t>(hi - lo + 1),
                  kNoStep);
    trieNode->ForEachChild([&](unsigned char b, const CTrieNode& child) {
      Step& step = steps_[base + static_cast<std::size_t>(b - lo)];
      if (child.value) {
        longestKey_ = std::max(longestKey_, depth + 1);
        valuesFitOneByte = valuesFitOneByte && child.value->len <= 1;
      }
      if (child.HasChildren()) {
        const auto number = static_cast<std::uint32_t>(nodes_.size());
        step = Numbered(kNode, number);
        nodes_.push_back({});
        if (child.value) nodes_.back().value = AddValue(*child.value);
        pending.emplace_back(&child, depth + 1);
      } else if (child.value) {
        step = LeafStep(*child.value);
      }
    });
  }
  return valuesFitOneByte;
}

std::optional<std::string_view> CCompiledTrie::SetFirst(unsigned char b) {
  First& first = first_[b];
  first = {};
  first.length = First::kOther;
  first.number = kNoValue;
  const Step step = GetView().Next(nodes_[0], b);
  if (Tag(step) == kNone) return std::nullopt;
  if (Tag(step) == kNode) {
    const Node& node = nodes_[Number(step)];
    std::memcpy(first.bytes + First::kBaseAt, &node.base, sizeof node.base);
    first.bytes[First::kLoAt] = static_cast<char>(node.lo);
    first.bytes[First::kLastAt] = static_cast<char>(node.last);
    std::memcpy(first.bytes + First::kValueAt, &node.value, sizeof node.value);
    first.length = First::kToNode;
    return std::nullopt;
  }
  const std::string_view value = *Find(std::span(&b, 1));
  if (value.size() <= First::kInlineFirst) {
    std::memcpy(first.bytes, value.data(), value.size());
    first.length = static_cast<std::uint8_t>(value.size());
  } else {
    first.number = Number(step);
  }
  return value;
}

bool CCompiledTrie::LayoutHolds() const {
  const auto valueHolds = [this](std::uint32_t index) {
    if (index >= values_.size()) return false;
    const Value& value = values_[index];
    if (value.length <= Value::kInlineValue) return true;
    std::uint64_t offset;
    std::memcpy(&offset, value.bytes, sizeof offset);
    return offset <= pool_.size() && value.length <= pool_.size() - offset;
  };
  for (std::uint32_t id = 0; id < nodes_.size(); ++id) {
    const Node& node = nodes_[id];
    if (std::size_t{node.base} + node.last >= steps_.size()) return false;
    if (node.value != kNoValue && !valueHolds(node.value)) return false;
    for (unsigned offset = 0; offset <= node.last; ++offset) {
      const Step step = steps_[node.base + offset];
      const std::uint8_t tag = Tag(step);
      // Breadth first: a node's children come after it.
      const bool holds =
          tag <= kInlineLeaf || tag == kNone ||
          (tag == kLeaf && valueHolds(Number(step))) ||
          (tag == kNode && Number(step) > id && Number(step) < nodes_.size());
      if (!holds) return false;
    }
  }
  const View view = GetView();
  for (int b = 0; b < 256; ++b) {
    const First& first = first_[b];
    const Step step = view.Next(nodes_[0], static_cast<unsigned char>(b));
    if ((first.length == First::kToNode) != (Tag(step) == kNode)) {
      return false;
    }
    if (first.length == First::kToNode &&
        View::FirstValue(first) != nodes_[Number(step)].value) {
      return false;
    }
    if (first.length == First::kOther && Tag(step) != kNone &&
        first.number != Number(step)) {
      return false;
    }
  }
  return true;
}

CCompiledTrie::Step CCompiledTrie::LeafStep(const CByteString& value) {
  const auto length = static_cast<std::size_t>(value.len);
  if (length > kInlineLeaf) return Numbered(kLeaf, AddValue(value));
  return MakeStep(static_cast<std::uint8_t>(length), value.data.get(), length);
}

std::uint32_t CCompiledTrie::AddValue(const CByteString& value) {
  Value entry{};
  entry.length = static_cast<std::uint32_t>(value.len);
  if (entry.length <= Value::kInlineValue) {
    std::memcpy(entry.bytes, value.data.get(), entry.length);
  } else {
    const std::uint64_t offset = pool_.size();
    std::memcpy(entry.bytes, &offset, sizeof offset);
    pool_.insert(pool_.end(), value.data.get(), value.data.get() + value.len);
  }
  values_.push_back(entry);
  return static_cast<std::uint32_t>(values_.size() - 1);
}

std::optional<std::string_view> CCompiledTrie::Find(
    std::span<const unsigned char> key) const {
  const View view = GetView();
  const Node* node = &nodes_[0];
  for (std::size_t i = 0; i < key.size(); ++i) {
    const unsigned offset = static_cast<unsigned>(key[i]) - node->lo;
    if (offset > node->last) return std::nullopt;
    const Step& step = steps_[node->base + offset];
    const std::uint8_t tag = Tag(step);
    const bool last = i + 1 == key.size();
    if (tag == kNode) {
      node = &nodes_[Number(step)];
      if (!last) continue;
      if (node->value == kNoValue) return std::nullopt;
      const Value& value = values_[node->value];
      return std::string_view(view.Data(value), value.length);
    }
    if (!last || tag == kNone) return std::nullopt;
    if (tag == kLeaf) {
      const Value& value = values_[Number(step)];
      return std::string_view(view.Data(value), value.length);
    }
    return std::string_view(reinterpret_cast<const char*>(&step), tag);
  }
  return std::nullopt;
}

}  // namespace dalvren
