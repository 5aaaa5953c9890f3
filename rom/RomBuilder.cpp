#include "rom/RomBuilder.h"

#include <algorithm>
#include <map>
#include <optional>

#include "rom/Crc32.h"
#include "rom/LayoutText.h"

namespace dalvren {

namespace {

CError Fail(std::size_t line, const std::string& message) {
  return CError::Invalid("line " + std::to_string(line) + ": " + message);
}

std::string StringName(const CScript::String& s) {
  return "the string at " + HexOffset(s.offset) + " (" +
         std::to_string(s.length) + " bytes)";
}

std::span<const unsigned char> AsBytes(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

bool Overlap(std::uint64_t start, std::uint64_t last, std::uint64_t otherStart,
             std::uint64_t otherLast) {
  return start <= otherLast && otherStart <= last;
}

struct CInterval {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
};

// `intervals` sorted and merged where they overlap or touch.
std::vector<CInterval> Merged(std::vector<CInterval> intervals) {
  std::sort(
      intervals.begin(), intervals.end(),
      [](const CInterval& a, const CInterval& b) { return a.start < b.start; });
  std::vector<CInterval> merged;
  for (const CInterval& i : intervals) {
    if (i.start >= i.end) continue;
    if (!merged.empty() && i.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, i.end);
    } else {
      merged.push_back(i);
    }
  }
  return merged;
}

// The bytes of `intervals` counted once; sorts them.
std::uint64_t UnionLength(std::vector<CInterval>& intervals) {
  std::sort(
      intervals.begin(), intervals.end(),
      [](const CInterval& a, const CInterval& b) { return a.start < b.start; });
  std::uint64_t total = 0;
  std::uint64_t covered = 0;
  for (const CInterval& i : intervals) {
    const std::uint64_t start = std::max(i.start, covered);
    if (i.end > start) total += i.end - start;
    covered = std::max(covered, i.end);
  }
  return total;
}

// Calls `piece(start, end)` for each piece of [start, end) outside the
// sorted, disjoint `kept`.
template <typename Piece>
void ForEachPieceOutside(std::uint64_t start, std::uint64_t end,
                         const std::vector<CInterval>& kept, Piece&& piece) {
  auto it = std::upper_bound(
      kept.begin(), kept.end(), start,
      [](std::uint64_t at, const CInterval& i) { return at < i.end; });
  for (; start < end && it != kept.end() && it->start < end; ++it) {
    if (it->start > start) piece(start, it->start);
    start = std::max(start, it->end);
  }
  if (start < end) piece(start, end);
}

}  // namespace

CRomBuilder::CRomBuilder(const CScript& script, std::span<unsigned char> rom,
                         const CRomCodec& codec, CBuildResult* result)
    : script_(script),
      layout_(script.layout),
      rom_(rom),
      target_(rom),
      codec_(codec),
      result_(result) {}

CError CRomBuilder::Run(const CBuildOptions& options) {
  if (CError e = CheckRom(options); !e.IsOk()) return e;
  if (CError e = layout_.CheckAgainst(rom_.size(), codec_.endCodes);
      !e.IsOk()) {
    return e;
  }
  if (CError e = CheckStrings(); !e.IsOk()) return e;
  for (Work& work : work_) {
    if (CError e = Convert(&work); !e.IsOk()) return e;
  }
  FindOverlaps();
  Decide();
  FreeAndPad();
  Place();
  Count();
  std::vector<CBuildResult::NoRoom>& noRoom = result_->noRoom;
  if (noRoom.empty()) return ApplyWhereEndsHold();
  std::stable_sort(
      noRoom.begin(), noRoom.end(),
      [](const auto& a, const auto& b) { return a.line < b.line; });
  return CError::NoRoom(noRoom.size() == 1
                            ? std::string("1 string does not fit")
                            : std::to_string(noRoom.size()) +
                                  " strings do not fit");
}

CError CRomBuilder::CheckRom(const CBuildOptions& options) const {
  if (!layout_.rom || options.force) return {};
  const CLayout::RomIdentity& named = *layout_.rom;
  const std::uint32_t crc = Crc32(rom_);
  if (named.size == rom_.size() && named.crc == crc) return {};
  return CError::Mismatch(
      "this script is for another ROM: its line " + std::to_string(named.line) +
      " names " + std::to_string(named.size) + " bytes with CRC32 " +
      Crc32Text(named.crc) + ", the ROM has " + std::to_string(rom_.size()) +
      " bytes with CRC32 " + Crc32Text(crc));
}

CError CRomBuilder::CheckStrings() {
  work_.reserve(script_.strings.size());
  std::size_t pointers = 0;
  for (const CScript::String& s : script_.strings) pointers += s.fromCount;
  pointers_.reserve(pointers);
  for (const CScript::String& s : script_.strings) {
    Work work;
    work.string = &s;
    if (CError e = CheckString(s, &work); !e.IsOk()) return e;
    work_.push_back(work);
  }
  // Sorted rather than looked up in maps as they are added: a script has
  // tens of thousands of strings, and a map node costs more than a string.
  std::vector<std::size_t> order(work_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto key = [this](std::size_t i) {
    return std::pair(work_[i].string->offset, work_[i].string->length);
  };
  std::stable_sort(
      order.begin(), order.end(),
      [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
  std::optional<std::pair<std::size_t, std::size_t>> twice;
  for (std::size_t k = 1; k < order.size(); ++k) {
    if (key(order[k - 1]) == key(order[k]) &&
        (!twice || order[k] < twice->second)) {
      twice = std::pair(order[k - 1], order[k]);
    }
  }
  if (twice) {
    const CScript::String& s = *work_[twice->second].string;
    return Fail(s.line, StringName(s) + " is given twice (lines " +
                            std::to_string(work_[twice->first].string->line) +
                            " and " + std::to_string(s.line) + ")");
  }
  return CheckPointersOnce();
}

CError CRomBuilder::CheckPointersOnce() const {
  // Each pointer with the string that lists it, in script order.
  std::vector<std::pair<std::uint64_t, std::size_t>> listed;
  listed.reserve(pointers_.size());
  for (const Work& w : work_) {
    for (const Pointer& p : PointersOf(w))
      listed.emplace_back(p.at, w.string->line);
  }
  std::stable_sort(
      listed.begin(), listed.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  std::optional<std::size_t> at;
  for (std::size_t k = 1; k < listed.size(); ++k) {
    if (listed[k - 1].first == listed[k].first &&
        (!at || listed[k].second < listed[*at].second)) {
      at = k;
    }
  }
  if (!at) return {};
  return Fail(listed[*at].second,
              "the pointer at " + HexOffset(listed[*at].first) +
                  " is listed twice (lines " +
                  std::to_string(listed[*at - 1].second) + " and " +
                  std::to_string(listed[*at].second) + ")");
}

CError CRomBuilder::CheckString(const CScript::String& s, Work* work) {
  if (s.offset >= rom_.size() || s.length > rom_.size() - s.offset) {
    return Fail(s.line, StringName(s) + " reaches past the end of the ROM (" +
                            std::to_string(rom_.size()) + " bytes)");
  }
  const std::uint64_t last = s.offset + s.length - 1;
  for (const CLayout::Area& area : layout_.free) {
    if (Overlap(s.offset, last, area.start, area.end)) {
      return Fail(s.line, StringName(s) + " lies in #FREE " +
                              HexOffset(area.start) + "-" +
                              HexOffset(area.end) + " (line " +
                              std::to_string(area.line) + ")");
    }
  }
  for (std::size_t i = 0; i < layout_.blocks.size(); ++i) {
    const CLayout::Block& block = layout_.blocks[i];
    const bool inside = block.start <= s.offset && last <= block.end;
    if (block.kind == CLayout::BlockKind::kPointers &&
        Overlap(s.offset, last, block.start, block.end)) {
      return Fail(s.line, StringName(s) + " overlaps " + block.Name() +
                              " (line " + std::to_string(block.line) + ")");
    }
    if (s.fromCount == 0 && inside) {
      work->home = static_cast<std::uint32_t>(i);
      return {};
    }
  }
  if (s.fromCount > 0) return CheckPointers(s, work);
  return Fail(s.line, StringName(s) +
                          " lies in no #TEXT block, and no pointer leads to "
                          "it (FROM=)");
}

CError CRomBuilder::CheckPointers(const CScript::String& s, Work* work) {
  for (const std::uint64_t at : script_.From(s)) {
    const CLayout::Block* block = layout_.BlockOfPointer(at);
    if (block == nullptr) {
      return Fail(s.line, "FROM= names " + HexOffset(at) +
                              ", where no pointer of a #POINTERS block "
                              "starts");
    }
    const std::uint64_t old = block->pointers.Read(rom_, at);
    const std::optional<std::uint64_t> target = block->pointers.Target(old, at);
    if (!target || *target != s.offset) {
      return Fail(s.line, "the pointer at " + HexOffset(at) + " (value " +
                              HexOffset(old) + ") leads to " +
                              (target ? HexOffset(*target) : "no ROM offset") +
                              ", not to this string at " + HexOffset(s.offset));
    }
    if (work->pointerCount == 0) {
      work->home = static_cast<std::uint32_t>(block - layout_.blocks.data());
      work->firstPointer = static_cast<std::uint32_t>(pointers_.size());
    }
    pointers_.push_back({at, block, old});
    ++work->pointerCount;
  }
  return {};
}

CError CRomBuilder::Convert(Work* work) {
  const CScript::String& s = *work->string;
  std::string text;
  codec_.dump(Original(s), text);
  if (text == s.text) return {};
  std::string bytes;
  std::vector<CRomCodec::Drop> drops;
  std::vector<CRomCodec::Note> notes;
  if (CError e = codec_.insert(s.text, bytes, drops, notes); !e.IsOk()) {
    return Fail(s.line, "the text of " + StringName(s) +
                            " does not insert: " + e.Message());
  }
  for (const CRomCodec::Drop& d : drops) {
    const CScript::String::Position at = s.PositionOf(d.offset);
    result_->drops.push_back(
        {at.line, at.column, s.text.substr(d.offset, d.length), d.held});
  }
  for (CRomCodec::Note& n : notes) {
    const CScript::String::Position at = s.PositionOf(n.offset);
    result_->notes.push_back({at.line, at.column, std::move(n.message)});
  }
  const std::span<const unsigned char> original = Original(s);
  if (std::equal(original.begin(), original.end(), bytes.begin(),
                 bytes.end())) {
    return {};
  }
  work->changed = true;
  work->bytes = std::move(bytes);
  return CheckEnd(*work);
}

CError CRomBuilder::CheckEnd(const Work& work) const {
  const CScript::String& s = *work.string;
  const std::vector<std::string>& ends = layout_.blocks[work.home].endCodes;
  if (codec_.stringLength(Original(s), ends) != s.length) return {};
  const std::size_t length = codec_.stringLength(AsBytes(work.bytes), ends);
  if (!work.bytes.empty() && length == work.bytes.size()) return {};
  if (length == 0) {
    return Fail(s.line, "the new text of " + StringName(s) +
                            " does not end with an end code, as the "
                            "original does");
  }
  return Fail(s.line, "the new text of " + StringName(s) +
                          " has an end code before its end (after " +
                          std::to_string(length) + " of its " +
                          std::to_string(work.bytes.size()) +
                          " bytes), where the string would end");
}

void CRomBuilder::FindOverlaps() {
  std::vector<std::size_t> order(work_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto start = [this](std::size_t i) { return work_[i].string->offset; };
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return start(a) < start(b); });
  // The string that reaches furthest so far: any later string that starts
  // before its end shares bytes with it (and it with that string).
  std::size_t furthest = SIZE_MAX;
  std::uint64_t end = 0;
  for (const std::size_t i : order) {
    const CScript::String& s = *work_[i].string;
    if (furthest != SIZE_MAX && s.offset < end) {
      work_[i].overlaps = true;
      work_[furthest].overlaps = true;
    }
    if (furthest == SIZE_MAX || s.offset + s.length > end) {
      furthest = i;
      end = s.offset + s.length;
    }
  }
}

void CRomBuilder::Decide() {
  for (Work& w : work_) {
    if (!w.changed) continue;
    const CScript::String& s = *w.string;
    if (!w.overlaps && w.bytes.size() <= s.length) {
      w.fate = Fate::kRewritten;
    } else if (w.pointerCount > 0) {
      w.fate = Fate::kMoved;
    } else {
      result_->noRoom.push_back(
          {s.line, s.offset, w.bytes.size(), w.overlaps ? 0 : s.length,
           w.overlaps ? "it shares bytes with another string, so it cannot "
                        "change in place, and no pointer leads to it to move "
                        "it"
                      : "no pointer leads to it, so it stays in place"});
    }
  }
}

void CRomBuilder::FreeAndPad() {
  std::vector<CInterval> kept;
  // What moved strings and shortened ones leave, by block.
  struct CLeft {
    CInterval bytes;
    std::size_t home = 0;
  };
  std::vector<CLeft> left;
  for (const Work& w : work_) {
    const std::uint64_t o = w.string->offset;
    const std::uint64_t end = o + w.string->length;
    if (w.fate == Fate::kMoved) {
      left.push_back({{o, end}, w.home});
    } else if (w.fate == Fate::kRewritten) {
      kept.push_back({o, o + w.bytes.size()});
      left.push_back({{o + w.bytes.size(), end}, w.home});
    } else {
      kept.push_back({o, end});
    }
  }
  kept = Merged(std::move(kept));
  std::stable_sort(left.begin(), left.end(),
                   [](const CLeft& a, const CLeft& b) {
                     return a.bytes.start < b.bytes.start;
                   });
  freed_.assign(layout_.blocks.size(), CFreeSpace());
  // A byte several strings left is freed once, for the first of them.
  std::uint64_t covered = 0;
  for (const CLeft& l : left) {
    const std::uint64_t start = std::max(l.bytes.start, covered);
    if (start >= l.bytes.end) continue;
    covered = l.bytes.end;
    const std::string& pad =
        layout_.PadFor(layout_.blocks[l.home], codec_.endCodes);
    ForEachPieceOutside(start, l.bytes.end, kept,
                        [&](std::uint64_t from, std::uint64_t to) {
                          fills_.push_back({from, to, &pad});
                          freed_[l.home].Add(from, to);
                        });
  }
  for (const CLayout::Area& area : layout_.free) {
    free_.Add(area.start, area.end + 1);
  }
}

CFreeSpace::Reach CRomBuilder::ReachOf(const Work& work) const {
  const std::uint64_t romSize = rom_.size();
  return [pointers = PointersOf(work),
          romSize](std::uint64_t from) -> std::optional<CPointerFormat::Zone> {
    std::uint64_t at = from;
    for (;;) {
      std::uint64_t end = UINT64_MAX;
      bool later = false;
      for (const Pointer& p : pointers) {
        const std::optional<CPointerFormat::Zone> zone =
            p.block->pointers.ZoneFrom(at, p.at, p.old, romSize);
        if (!zone) return std::nullopt;
        if (zone->start > at) {
          at = zone->start;
          later = true;
          break;
        }
        end = std::min(end, zone->end);
      }
      if (!later) return CPointerFormat::Zone{at, end};
    }
  };
}

bool CRomBuilder::Reaches(const Work& work, std::uint64_t at) const {
  const std::optional<CPointerFormat::Zone> zone = ReachOf(work)(at);
  return zone && zone->start == at && zone->end - at >= work.bytes.size();
}

void CRomBuilder::LinkCopies() {
  std::vector<std::uint32_t> moved;
  for (std::size_t i = 0; i < work_.size(); ++i) {
    if (work_[i].fate == Fate::kMoved) {
      moved.push_back(static_cast<std::uint32_t>(i));
    }
  }
  std::stable_sort(moved.begin(), moved.end(),
                   [this](std::uint32_t a, std::uint32_t b) {
                     return work_[a].bytes < work_[b].bytes;
                   });
  for (std::size_t k = 1; k < moved.size(); ++k) {
    if (work_[moved[k - 1]].bytes == work_[moved[k]].bytes) {
      work_[moved[k]].sameAs = moved[k - 1];
    }
  }
}

void CRomBuilder::Place() {
  LinkCopies();
  for (Work& w : work_) {
    if (w.fate != Fate::kMoved) continue;
    const CFreeSpace::Reach reach = ReachOf(w);
    std::optional<std::uint64_t> at;
    for (std::uint32_t same = w.sameAs; same != kNoWork && !at;
         same = work_[same].sameAs) {
      const std::optional<std::uint64_t>& copy = work_[same].placed;
      if (copy && Reaches(w, *copy)) at = copy;
    }
    if (!at && !(at = freed_[w.home].Take(w.bytes.size(), reach)) &&
        !(at = free_.Take(w.bytes.size(), reach))) {
      result_->noRoom.push_back(
          {w.string->line,
           w.string->offset,
           w.bytes.size(),
           std::max(freed_[w.home].LargestRun(reach), free_.LargestRun(reach)),
           {}});
      continue;
    }
    w.placed = at;
  }
}

bool CRomBuilder::EndsCanGrow() const {
  std::vector<std::string> ends = codec_.endCodes;
  for (const CLayout::Block& block : layout_.blocks) {
    ends.insert(ends.end(), block.endCodes.begin(), block.endCodes.end());
  }
  for (const CLayout::Block& block : layout_.blocks) {
    for (const std::string& end : ends) {
      std::string probe = end + '\0';
      for (int b = 0; b < 256; ++b) {
        probe.back() = static_cast<char>(b);
        if (codec_.stringLength(AsBytes(probe), block.endCodes) != end.size()) {
          return true;
        }
      }
    }
  }
  return false;
}

CError CRomBuilder::ApplyWhereEndsHold() {
  if (!EndsCanGrow()) {
    Apply(target_);
    return {};
  }
  // Where an end code begins a longer code, the bytes after a string decide
  // whether it still ends there: the new ROM is made aside and every string
  // read back in it before it replaces the old one.
  std::vector<unsigned char> made(rom_.begin(), rom_.end());
  Apply(made);
  for (const Work& w : work_) {
    const CScript::String& s = *w.string;
    const std::optional<std::uint64_t> at =
        w.fate == Fate::kMoved ? w.placed : std::optional(s.offset);
    const std::uint64_t length =
        w.fate == Fate::kKept ? s.length : w.bytes.size();
    const CLayout::Block& home = layout_.blocks[w.home];
    const std::uint64_t end = s.fromCount == 0 ? home.end + 1 : made.size();
    if (codec_.stringLength(Original(s), home.endCodes) != s.length) continue;
    const auto read =
        std::span<const unsigned char>(made).subspan(*at, end - *at);
    if (codec_.stringLength(read, home.endCodes) == length) continue;
    return Fail(s.line, StringName(s) + ", at " + HexOffset(*at) +
                            " in the new ROM, would not end at its end "
                            "code: the bytes after it make the end code part "
                            "of a longer code of the table");
  }
  std::copy(made.begin(), made.end(), target_.begin());
  return {};
}

void CRomBuilder::Apply(std::span<unsigned char> target) {
  for (const Fill& f : fills_) {
    const std::string& pad = *f.pattern;
    for (std::uint64_t i = f.start; i < f.end; ++i) {
      target[i] = static_cast<unsigned char>(pad[(i - f.start) % pad.size()]);
    }
  }
  for (const Work& w : work_) {
    const std::optional<std::uint64_t> at =
        w.fate == Fate::kRewritten ? std::optional(w.string->offset) : w.placed;
    if (!at) continue;
    // A copy moved strings share is written once for each of them.
    std::copy(w.bytes.begin(), w.bytes.end(),
              target.begin() + static_cast<std::ptrdiff_t>(*at));
    if (w.fate != Fate::kMoved) continue;
    for (const Pointer& p : PointersOf(w)) {
      p.block->pointers.Write(target, p.at,
                              p.block->pointers.ValueFor(*at, p.at, p.old));
    }
  }
}

void CRomBuilder::Count() {
  std::vector<CBuildResult::BlockStats>& stats = result_->blocks;
  stats.assign(layout_.blocks.size(), {});
  std::vector<CInterval> before;
  std::vector<CInterval> after;
  before.reserve(work_.size());
  after.reserve(work_.size());
  for (std::size_t b = 0; b < stats.size(); ++b) {
    CBuildResult::BlockStats& s = stats[b];
    before.clear();
    after.clear();
    for (const Work& w : work_) {
      if (w.home != b) continue;
      const std::uint64_t o = w.string->offset;
      ++s.strings;
      s.changed += w.changed ? 1 : 0;
      s.moved += w.fate == Fate::kMoved ? 1 : 0;
      before.push_back({o, o + w.string->length});
      if (w.fate == Fate::kKept) {
        after.push_back({o, o + w.string->length});
      } else if (w.fate == Fate::kRewritten) {
        after.push_back({o, o + w.bytes.size()});
      } else if (w.placed) {
        after.push_back({*w.placed, *w.placed + w.bytes.size()});
      }
    }
    s.line = layout_.blocks[b].line;
    s.name = layout_.blocks[b].Name();
    s.bytesBefore = UnionLength(before);
    s.bytesAfter = UnionLength(after);
    s.freed = freed_[b].Total();
    s.freedUsed = freed_[b].Total() - freed_[b].Left();
  }
  result_->freeTotal = free_.Total();
  result_->freeUsed = free_.Total() - free_.Left();
}

}  // namespace dalvren
