#include "core/InsertIndex.h"

#include <algorithm>
#include <cassert>
#include <deque>

#include "core/ByteToken.h"
#include "core/KeyMatch.h"

namespace dalvren {

namespace {

CByteString IdBytes(std::uint32_t id) {
  CByteString s(4);
  for (int i = 0; i < 4; ++i) {
    s.data[i] = static_cast<char>((id >> (8 * i)) & 0xFF);
  }
  return s;
}

std::unique_ptr<CByteString> Bytes(std::string_view s) {
  return NewByteString(s.data(), static_cast<std::int32_t>(s.size()));
}

}  // namespace

CInsertIndex::CInsertIndex(const CExtendedTable& table, bool tokens)
    : table_(table),
      texts_(std::make_unique<CCodeDictionary>()),
      counted_(table.sections.size()),
      open_(table.sections.size()),
      silent_(table.sections.size()),
      closable_(table.sections.size()) {
  for (std::uint32_t s = 0; s < table.sections.size(); ++s) {
    const CExtendedTable::Section& section = table.sections[s];
    for (const std::uint32_t id : section.switches) {
      (table.entries[id].count > 0 ? counted_ : open_)[s].push_back(id);
    }
    // What dump writes for each code it reads.
    ForEachKey(*section.codes, [&](std::string_view, const CByteString& id) {
      const std::uint32_t entry = CExtendedTable::IdOf({id.data.get(), 4});
      const CExtendedTable::Entry& read = table.entries[entry];
      if (read.kind == EntryKind::kSwitch) return;
      if (!read.word.empty()) {
        AddText(DumpTextOf(read), {s, entry, 0});
      } else if (read.kind == EntryKind::kText) {
        silent_[s].push_back(entry);
      }
    });
    // What insert also takes for an entry, and writes as its code.
    ForEachKey(*section.words, [&](std::string_view word,
                                   const CByteString& id) {
      const CExtendedTable::Entry& meant = table.EntryOf(id);
      const CByteString* code = section.codes->Find(
          {reinterpret_cast<const unsigned char*>(meant.code.data()),
           meant.code.size()});
      assert(code != nullptr);
      const std::uint32_t read = CExtendedTable::IdOf({code->data.get(), 4});
      if (word == DumpTextOf(table.entries[read])) return;
      AddText(std::string(word), {s, read, 1});
    });
  }
  for (std::uint32_t s = 0; s < table.sections.size(); ++s) {
    for (const std::uint32_t id : counted_[s]) {
      const std::uint32_t target = table.entries[id].target;
      if (!open_[target].empty() || !silent_[target].empty()) {
        closable_[s].push_back(id);
      }
    }
  }
  for (auto& list : readings_) {
    std::stable_sort(list.begin(), list.end(),
                     [](const Reading& a, const Reading& b) {
                       return a.section < b.section;
                     });
  }
  if (tokens) held_.Add("<$>0123456789ABCDEFabcdef");
}

void CInsertIndex::AddText(const std::string& text, Reading reading) {
  auto [at, fresh] =
      listOf_.emplace(text, static_cast<std::uint32_t>(readings_.size()));
  if (fresh) {
    readings_.emplace_back();
    bool replaced = false;
    (void)texts_->Insert(*Bytes(text), IdBytes(at->second), replaced);
    held_.Add(text);
  }
  std::vector<Reading>& list = readings_[at->second];
  for (const Reading& r : list) {
    if (r.section == reading.section && r.entry == reading.entry) return;
  }
  list.push_back(reading);
}

std::span<const CInsertIndex::Reading> CInsertIndex::Readings(
    std::string_view id) const {
  return readings_[CExtendedTable::IdOf(id)];
}

bool CInsertIndex::Holds(std::string_view c) { return held_.Holds(c); }

std::span<const std::uint32_t> CInsertIndex::Switches(
    std::uint32_t section) const {
  return table_.sections[section].switches;
}

const std::vector<std::uint16_t>& CInsertIndex::DistancesTo(std::uint32_t to) {
  auto [at, fresh] = distances_.try_emplace(to);
  if (!fresh) return at->second;
  // Backwards from `to` over the switch codes, breadth first.
  const std::size_t count = table_.sections.size();
  std::vector<std::vector<std::uint32_t>> from(count);
  for (std::uint32_t s = 0; s < count; ++s) {
    for (const std::uint32_t id : table_.sections[s].switches) {
      from[table_.entries[id].target].push_back(s);
    }
  }
  std::vector<std::uint16_t>& distance = at->second;
  distance.assign(count, kUnreachable);
  distance[to] = 0;
  std::deque<std::uint32_t> queue = {to};
  while (!queue.empty()) {
    const std::uint32_t s = queue.front();
    queue.pop_front();
    for (const std::uint32_t before : from[s]) {
      if (distance[before] != kUnreachable || distance[s] + 1 >= kUnreachable) {
        continue;
      }
      distance[before] = static_cast<std::uint16_t>(distance[s] + 1);
      queue.push_back(before);
    }
  }
  return distance;
}

std::span<const std::uint32_t> CInsertIndex::SkippingSections(
    unsigned char byte) {
  std::vector<std::uint32_t>& sections = skipping_[byte];
  if (skippingKnown_[byte]) return sections;
  skippingKnown_[byte] = true;
  for (std::uint32_t s = 0; s < table_.sections.size(); ++s) {
    for (const std::uint32_t id : counted_[s]) {
      if (Skips(table_.entries[id].target, byte)) {
        sections.push_back(s);
        break;
      }
    }
  }
  return sections;
}

std::span<const std::uint32_t> CInsertIndex::FirstSwitches(std::uint32_t from,
                                                           std::uint32_t to) {
  const std::uint64_t key = (std::uint64_t{from} << 32) | to;
  auto [at, fresh] = firstSwitches_.try_emplace(key);
  if (!fresh) return at->second;
  const std::vector<std::uint16_t>& distance = DistancesTo(to);
  if (from == to || distance[from] == kUnreachable) return at->second;
  for (const std::uint32_t id : table_.sections[from].switches) {
    if (distance[table_.entries[id].target] + 1 == distance[from]) {
      at->second.push_back(id);
    }
  }
  return at->second;
}

}  // namespace dalvren
