#include "core/ReadingSearch.h"

#include <algorithm>
#include <cassert>
#include <queue>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/ByteToken.h"
#include "core/KeyFinder.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

using Step = CReadingStep;
using StepKind = CReadingStep::Kind;
using Id = CReadingStates::Id;

constexpr std::uint32_t kNoNode = UINT32_MAX;

struct Cost {
  std::uint64_t penalty = 0;
  std::uint64_t main = 0;
  std::uint64_t pieces = 0;
  // The entry numbers of the switch codes written: among equals, those of
  // earlier lines.
  std::uint64_t lines = 0;
  friend auto operator<=>(const Cost&, const Cost&) = default;
  Cost Plus(std::uint64_t p, std::uint64_t m, std::uint64_t n,
            std::uint64_t l = 0) const {
    return {penalty + p, main + m, pieces + n, lines + l};
  }
};

// The steps of the readings still open, as a tree: each node is a step and
// refers to the one before it. A node lives as long as a reading or a later
// node refers to it, so the steps of abandoned readings are freed at once.
class CStepTree {
 public:
  struct Node {
    Step step;
    std::uint32_t parent = kNoNode;
    std::uint32_t refs = 0;
    std::size_t depth = 0;
    // Where the reading stood after the step.
    std::size_t pos = 0;
    Id state = 0;
  };

  std::uint32_t Make(std::uint32_t parent, const Step& step, std::size_t pos,
                     Id state) {
    std::uint32_t id;
    if (!free_.empty()) {
      id = free_.back();
      free_.pop_back();
    } else {
      id = static_cast<std::uint32_t>(nodes_.size());
      nodes_.emplace_back();
    }
    Node& node = nodes_[id];
    node.step = step;
    node.parent = parent;
    node.refs = 0;
    node.depth = parent == kNoNode ? 0 : nodes_[parent].depth + 1;
    node.pos = pos;
    node.state = state;
    if (parent != kNoNode) ++nodes_[parent].refs;
    return id;
  }

  void Hold(std::uint32_t id) { ++nodes_[id].refs; }

  [[nodiscard]] std::size_t Size() const { return nodes_.size(); }

  void Release(std::uint32_t id) {
    while (id != kNoNode) {
      Node& node = nodes_[id];
      assert(node.refs > 0);
      if (--node.refs > 0) return;
      free_.push_back(id);
      id = node.parent;
    }
  }

  // Cuts `id` from the nodes before it, which are freed unless held.
  void Detach(std::uint32_t id) {
    const std::uint32_t parent = nodes_[id].parent;
    nodes_[id].parent = kNoNode;
    Release(parent);
  }

  [[nodiscard]] const Node& Get(std::uint32_t id) const { return nodes_[id]; }

  // The latest node that every node of `ids` (not empty) comes from. Each
  // node is looked at once: the first's line of steps is marked up to the
  // root, and each other climbs only until it meets a marked node.
  [[nodiscard]] std::uint32_t CommonOf(std::span<const std::uint32_t> ids) {
    if (mark_.size() < nodes_.size()) {
      mark_.resize(nodes_.size());
      junction_.resize(nodes_.size());
    }
    ++epoch_;
    std::uint32_t common = ids.front();
    for (std::uint32_t at = common; at != kNoNode; at = nodes_[at].parent) {
      mark_[at] = epoch_;
      junction_[at] = at;
    }
    for (const std::uint32_t id : ids.subspan(1)) {
      climbed_.clear();
      std::uint32_t at = id;
      while (mark_[at] != epoch_) {
        climbed_.push_back(at);
        at = nodes_[at].parent;
      }
      const std::uint32_t joined = junction_[at];
      for (const std::uint32_t c : climbed_) {
        mark_[c] = epoch_;
        junction_[c] = joined;
      }
      if (nodes_[joined].depth < nodes_[common].depth) common = joined;
    }
    return common;
  }

 private:
  std::vector<Node> nodes_;
  std::vector<std::uint32_t> free_;
  // For CommonOf: the nodes marked in the current call (by `epoch_`), and
  // for each the node of the first line of steps it joins.
  std::vector<std::uint32_t> mark_;
  std::vector<std::uint32_t> junction_;
  std::uint32_t epoch_ = 0;
  std::vector<std::uint32_t> climbed_;
};

// Marks on the numbers below a size, all cleared at once by starting a new
// round instead of by a walk over them.
class CMarks {
 public:
  // Clears every mark, and makes room for the numbers below `size`.
  void Clear(std::size_t size) {
    if (marks_.size() < size) marks_.resize(size, 0);
    if (++round_ == 0) {
      std::fill(marks_.begin(), marks_.end(), 0);
      round_ = 1;
    }
  }

  // Marks `i`; false when it was marked already.
  bool Mark(std::size_t i) {
    if (marks_[i] == round_) return false;
    marks_[i] = round_;
    return true;
  }

  [[nodiscard]] bool Marked(std::size_t i) const { return marks_[i] == round_; }

 private:
  std::vector<std::uint32_t> marks_;
  std::uint32_t round_ = 0;
};

// A reading at a script position.
struct Arrival {
  Id state = 0;
  // CReadingStates::Likeness of `state`: at a position, one reading of
  // each.
  std::uint64_t like = 0;
  Cost cost;
  std::uint32_t node = kNoNode;
  // Where its last piece of script started, for the choice among equals.
  std::size_t origin = 0;
  // The switch codes written since that piece.
  std::uint32_t hops = 0;
  bool expanded = false;
};

Arrival Reading(Id state, const Cost& cost, std::uint32_t node,
                std::size_t origin, std::uint32_t hops = 0) {
  Arrival arrival;
  arrival.state = state;
  arrival.cost = cost;
  arrival.node = node;
  arrival.origin = origin;
  arrival.hops = hops;
  return arrival;
}

// The readings at one position, each likeness once.
struct Bucket {
  std::vector<Arrival> items;
  std::unordered_map<std::uint64_t, std::uint32_t> index;

  [[nodiscard]] Arrival* Find(std::uint64_t like) {
    if (items.size() <= kIndexed) {
      for (Arrival& a : items) {
        if (a.like == like) return &a;
      }
      return nullptr;
    }
    const auto found = index.find(like);
    return found == index.end() ? nullptr : &items[found->second];
  }

  void Add(const Arrival& arrival, std::size_t& total) {
    ++total;
    items.push_back(arrival);
    if (items.size() == kIndexed + 1) {
      for (std::uint32_t i = 0; i < items.size(); ++i) {
        index[items[i].like] = i;
      }
    } else if (items.size() > kIndexed) {
      index[arrival.like] = static_cast<std::uint32_t>(items.size() - 1);
    }
  }

  void Clear(std::size_t& total) {
    total -= items.size();
    items.clear();
    index.clear();
  }

  // How many readings here cost less than `cost`.
  [[nodiscard]] std::size_t Cheaper(const Cost& cost) const {
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(),
                      [&cost](const Arrival& a) { return a.cost < cost; }));
  }

  // Up to this many, a search by looking at each is quicker than a hash.
  static constexpr std::size_t kIndexed = 8;
};

}  // namespace

class CReadingSearch::CImpl {
 public:
  CImpl(const CExtendedTable& table, CReadingStates& states,
        CInsertIndex& index, std::span<const unsigned char> script, bool tokens,
        bool optimal, const CReadingBounds& bounds,
        std::function<void(const CReadingStep&)> write,
        std::function<void(std::size_t, bool)> inexact)
      : table_(table),
        states_(states),
        index_(index),
        script_(script),
        tokens_(tokens),
        optimal_(optimal),
        bounds_(bounds),
        write_(std::move(write)),
        finder_(index.Texts(), script),
        ring_(std::max<std::size_t>(index.Texts().LongestKey(),
                                    kByteTokenLength) +
              1),
        inexact_(std::move(inexact)) {}

  Outcome Run(std::size_t pos, Id state, std::size_t wideTo, bool retry) {
    bounded_ = false;
    toldBounded_ = false;
    for (Bucket& bucket : ring_) Clear(bucket);
    root_ = tree_.Make(kNoNode, Step{}, pos, state);
    tree_.Hold(root_);
    Arrive(pos, Reading(state, Cost{}, root_, pos));
    std::size_t sinceCheck = 0;
    for (std::size_t q = pos;; ++q) {
      Bucket& bucket = At(q);
      if (bucket.items.empty()) continue;
      if (q == script_.size()) return Stop(q, bucket);
      wide_ = q <= wideTo;
      Expand(q, bucket);
      const bool alive = AnyAfter(q);
      if (!alive) return retry ? Retry(q) : Stop(q, bucket);
      Clear(bucket);
      if (++sinceCheck >= kCheckEvery) {
        sinceCheck = 0;
        CommitCommon(q);
      }
    }
  }

 private:
  // How often (in positions) the search looks whether its readings agree
  // on their first steps.
  static constexpr std::size_t kCheckEvery = 64;
  // The most switch codes written between two pieces of script: a dump
  // reads more only through sections that switch to each other without
  // reading anything, which a shorter way always replaces.
  static constexpr std::uint32_t kMostHops = 3;

  Bucket& At(std::size_t pos) { return ring_[pos % ring_.size()]; }

  void Clear(Bucket& bucket) {
    for (const Arrival& a : bucket.items) tree_.Release(a.node);
    bucket.Clear(arrivals_);
  }

  // Takes `arrival` at `pos` unless a better reading of its state is
  // there; the step that led to it becomes a node unless `step` is null
  // (a return writes nothing).
  void Arrive(std::size_t pos, Arrival arrival, const Step* step = nullptr) {
    Bucket& bucket = At(pos);
    arrival.like = states_.Likeness(arrival.state);
    Arrival* old = bucket.Find(arrival.like);
    const auto better = [&](const Arrival& than) {
      return arrival.cost < than.cost ||
             (arrival.cost == than.cost && arrival.origin > than.origin);
    };
    if (old != nullptr && (old->expanded || !better(*old))) return;
    if (old == nullptr && bucket.items.size() >= bounds_.states) {
      // Full: the new reading takes the place of the worst that has not
      // gone on yet, if it is better. (One that has gone on keeps its
      // place: taking it again would go on from it twice.) While the
      // position goes on, only a move of a reading as good as the best, or
      // a reading in the better half of those there, may do so: the best
      // and the readings close to it must be able to go on through switch
      // codes even where worse readings of ever deeper stacks fill the
      // position, while letting in every move would only churn at its
      // bottom.
      auto worst = std::max_element(
          bucket.items.begin(), bucket.items.end(),
          [](const Arrival& a, const Arrival& b) {
            return a.expanded > b.expanded ||
                   (a.expanded == b.expanded && a.cost < b.cost);
          });
      bounded_ = true;
      if (worst->expanded || !better(*worst)) return;
      if (pos == current_ && !fromBest_ &&
          bucket.Cheaper(arrival.cost) >= bounds_.states / 2) {
        return;
      }
      old = &*worst;
      if (bucket.items.size() > Bucket::kIndexed) {
        bucket.index.erase(old->like);
        bucket.index[arrival.like] =
            static_cast<std::uint32_t>(old - bucket.items.data());
      }
    }
    const std::uint32_t node =
        step != nullptr ? tree_.Make(arrival.node, *step, pos, arrival.state)
                        : arrival.node;
    tree_.Hold(node);
    arrival.node = node;
    if (old != nullptr) {
      tree_.Release(old->node);
      *old = arrival;
    } else {
      bucket.Add(arrival, arrivals_);
    }
    if (pos == current_) queue_.push({arrival.cost, arrival.like});
  }

  struct Here {
    std::vector<CKeyFinder::Key> keys;
    std::vector<std::uint32_t> targets;
    // A token, which a control code's parameter may be; with tokens on,
    // also a raw byte.
    bool parameter = false;
    bool token = false;
    bool upper = false;
    unsigned char byte = 0;
    std::size_t dead = 0;
  };

  // What the script offers at `q`, the same for every reading.
  void Look(std::size_t q) {
    here_.keys.clear();
    here_.targets.clear();
    finder_.All(q, here_.keys);
    for (const CKeyFinder::Key& key : here_.keys) {
      for (const CInsertIndex::Reading& r : index_.Readings(key.value)) {
        if (std::find(here_.targets.begin(), here_.targets.end(), r.section) ==
            here_.targets.end()) {
          here_.targets.push_back(r.section);
        }
      }
    }
    const std::span<const unsigned char> rest = script_.subspan(q);
    here_.parameter = ReadByteToken(rest, here_.byte);
    here_.token = tokens_ && here_.parameter;
    if (here_.parameter) {
      std::string spelled;
      AppendByteToken(here_.byte, spelled);
      here_.upper = std::equal(spelled.begin(), spelled.end(), rest.begin());
    }
    // A text that starts here holds the character; only where none does
    // may it be one no text holds.
    here_.dead = 0;
    if (here_.keys.empty() && !here_.parameter) {
      const std::size_t length = Utf8CharLength(rest);
      const std::string_view c(reinterpret_cast<const char*>(rest.data()),
                               length);
      if (!index_.Holds(c)) here_.dead = length;
    }
  }

  // Tries every reading at `q`, cheapest first: what each can read there,
  // and the switch codes and returns that may lead to more.
  void Expand(std::size_t q, Bucket& bucket) {
    Look(q);
    current_ = q;
    queue_ = {};
    for (const Arrival& a : bucket.items) queue_.push({a.cost, a.like});
    std::size_t tried = 0;
    while (!queue_.empty()) {
      const auto [cost, like] = queue_.top();
      queue_.pop();
      Arrival* a = bucket.Find(like);
      if (a == nullptr || a->expanded || a->cost != cost) continue;
      if (++tried > bounds_.tried) {
        bounded_ = true;
        break;
      }
      a->expanded = true;
      // Copied: arrivals at `q` may move the bucket's storage.
      const Arrival from = *a;
      // The queue hands out the best first.
      if (tried == 1) best_ = from.cost;
      fromBest_ = from.cost == best_;
      const bool read = ReadOn(q, from);
      if (states_.Get(from.state).parametersLeft == 0 && here_.dead == 0) {
        SwitchOrReturn(q, from, read);
      }
    }
    current_ = SIZE_MAX;
  }

  // The moves from `a` that read script; false when there is none.
  bool ReadOn(std::size_t q, const Arrival& a) {
    const CReadingStates::State& state = states_.Get(a.state);
    if (state.parametersLeft > 0) {
      if (!here_.parameter) return false;
      const Id next = states_.Parameter(a.state, here_.byte);
      if (next == CReadingStates::kBlocked) return false;
      Take(q, a, next, q + kByteTokenLength, here_.upper ? 0 : 1, 1,
           {StepKind::kParameter, here_.byte, 0, q, q + kByteTokenLength,
            !here_.upper});
      return true;
    }
    if (here_.dead > 0) {
      // No text holds the character: every reading drops it.
      const Step step{StepKind::kDrop, 0, 0, q, q + here_.dead};
      Arrive(q + here_.dead, Reading(a.state, a.cost, a.node, q), &step);
      return true;
    }
    bool read = false;
    blocked_ = false;
    const std::uint32_t top = state.frames.Top().section;
    for (const CKeyFinder::Key& key : here_.keys) {
      for (const CInsertIndex::Reading& r : index_.Readings(key.value)) {
        if (r.section != top) continue;
        const Id next = states_.WriteCode(a.state, r.entry);
        if (next == CReadingStates::kBlocked) {
          blocked_ = true;
          continue;
        }
        const std::size_t bytes = table_.entries[r.entry].code.size();
        Take(q, a, next, q + key.length, r.penalty, optimal_ ? bytes : 0,
             {StepKind::kCode, 0, r.entry, q, q + key.length, r.penalty > 0});
        read = true;
      }
    }
    if (here_.token && !state.frames.CanReturn()) {
      const Id next = states_.RawByte(a.state, here_.byte);
      blocked_ = blocked_ || next == CReadingStates::kBlocked;
      if (next != CReadingStates::kBlocked) {
        Take(q, a, next, q + kByteTokenLength, here_.upper ? 0 : 1,
             optimal_ ? 1 : 0,
             {StepKind::kByte, here_.byte, 0, q, q + kByteTokenLength,
              !here_.upper});
        read = true;
      }
    }
    return read;
  }

  void Take(std::size_t q, const Arrival& a, Id next, std::size_t to,
            std::uint64_t penalty, std::uint64_t main, const Step& step) {
    Arrive(to, Reading(next, a.cost.Plus(penalty, main, 1), a.node, q), &step);
  }

  // The moves from `a` that read nothing: a return from a switch with
  // N = 0, and the switch codes that may lead to a reading.
  void SwitchOrReturn(std::size_t q, const Arrival& a, bool read) {
    const CReadingStates::State& state = states_.Get(a.state);
    if (state.frames.CanReturn()) ReturnFrom(q, a, read);
    if (a.hops >= kMostHops) return;
    const std::uint32_t top = state.frames.Top().section;
    switches_.clear();
    if (wide_ && a.hops == 0) {
      // A switch code with N = 0 into the section already read, from a
      // frame that is not counted, changes nothing dump does, unless it
      // stands between two codes that would join: the code written before
      // and what is read here, or another switch code.
      const bool useless =
          !state.frames.Top().counted &&
          (state.pending.empty() ||
           (read && !AnyBlocked(a.state, index_.Switches(top))));
      for (const std::uint32_t id : index_.Switches(top)) {
        const CExtendedTable::Entry& entry = table_.entries[id];
        if (useless && entry.target == top && entry.count == 0) continue;
        switches_.push_back(id);
      }
      AddSwitches(q, a, switches_);
      return;
    }
    // Each switch code once, marked by entry: a section may have hundreds.
    added_.Clear(table_.entries.size());
    const auto add = [this](std::span<const std::uint32_t> ids) {
      for (const std::uint32_t id : ids) {
        if (added_.Mark(id)) switches_.push_back(id);
      }
    };
    // Toward a section that reads the text here, by a shortest way; or by
    // way of a counted section, which also decides where the codes after
    // the text are read.
    // A chain of counted switch codes through sections that switch to
    // themselves would multiply without end, but for kMostHops.
    for (const std::uint32_t target : here_.targets) {
      add(index_.FirstSwitches(top, target));
      for (const std::uint32_t id : index_.CountedSwitches(top)) {
        if (index_.Reaches(table_.entries[id].target, target)) add({&id, 1});
      }
    }
    // Into a counted section that may not cover the byte of a token, or
    // toward one that has such a switch code.
    if (here_.token) {
      for (const std::uint32_t id : index_.CountedSwitches(top)) {
        if (index_.Skips(table_.entries[id].target, here_.byte)) {
          add({&id, 1});
        }
      }
      for (const std::uint32_t section : index_.SkippingSections(here_.byte)) {
        add(index_.FirstSwitches(top, section));
      }
    }
    // A switch code counts as a code of a counted frame, which may have to
    // run out before the text can be read: a switch whose section is left
    // at once, or one into a counted section that such switch codes can
    // run out in turn. So does a code whose text is empty, which dump
    // reads and writes nothing for.
    if (state.frames.Top().counted) {
      add(index_.OpenSwitches(top));
      add(index_.ClosableSwitches(top));
      add(index_.SilentCodes(top));
    }
    // Where nothing could be read, or no switch code written, because the
    // bytes would join a code written before into a longer one, any switch
    // code may stand between them.
    if (!state.pending.empty() &&
        (blocked_ || AnyBlocked(a.state, switches_))) {
      add(index_.Switches(top));
    }
    AddSwitches(q, a, switches_);
  }

  // Whether a code written before `state` would join any of `ids`.
  bool AnyBlocked(Id state, std::span<const std::uint32_t> ids) const {
    return std::any_of(ids.begin(), ids.end(), [&](std::uint32_t id) {
      return states_.Blocks(state, id);
    });
  }

  // Leaving N = 0 switches. A frame left is worth a reading of its own
  // where the section below takes what is here, where that section can
  // switch toward one that does, where a token's byte is skipped, and (when
  // the section read now cannot take it) right after the first: a switch
  // code written and left at once stands between codes. A section already
  // left would refuse the same bytes again, so the return goes on past it.
  void ReturnFrom(std::size_t q, const Arrival& a, bool read) {
    // The frames are looked at first, top down, and only those chosen are
    // returned to: a stack of many N = 0 frames is walked once.
    const std::span<const CSwitchState::Frame> frames =
        states_.Get(a.state).frames.Frames();
    popped_.Clear(table_.sections.size());
    bool led = false;
    // A return leaves an N = 0 frame and every counted frame below it that
    // has no codes left; it stops at a counted frame that has some.
    std::size_t times = 0;
    for (std::size_t i = frames.size() - 1; i > 0 && !frames[i].counted;) {
      popped_.Mark(frames[i].section);
      std::size_t below = i - 1;
      while (below > 0 && frames[below].counted && frames[below].left == 0) {
        --below;
      }
      ++times;
      const CSwitchState::Frame& frame = frames[below];
      const bool left = popped_.Marked(frame.section);
      const bool target = !left && IsTarget(frame.section);
      const bool skips = here_.token && frame.counted;
      // A switch code from there stands between the bytes before and the
      // text, so a section already left may be switched to again; the first
      // section below that leads toward the text is as good as any deeper.
      const bool leads = !led && LeadsToTarget(frame.section);
      led = led || leads;
      const bool bottom = below == 0;
      const bool filler = times == 1 && !read;
      if (target || skips || leads || (bottom && here_.token) || filler) {
        const Id at = states_.ReturnTimes(a.state, times);
        // Only a reading that can go on here is worth keeping: by what it
        // was left for.
        if (at != CReadingStates::kBlocked &&
            (CanRead(at) ||
             CanSwitch(at, !leads || target || skips || filler || bottom))) {
          Arrive(q, Reading(at, a.cost, a.node, a.origin, a.hops));
        }
      }
      if (target || skips) return;
      i = below;
    }
  }

  // Whether `state` can read what is here (a return's pending codes may
  // forbid it).
  bool CanRead(Id state) {
    const CReadingStates::State& at = states_.Get(state);
    // Nothing pending blocks no code.
    if (at.pending.empty()) return true;
    const std::uint32_t top = at.frames.Top().section;
    if (here_.token && !at.frames.CanReturn() &&
        states_.RawByte(state, here_.byte) != CReadingStates::kBlocked) {
      return true;
    }
    for (const CKeyFinder::Key& key : here_.keys) {
      for (const CInsertIndex::Reading& r : index_.Readings(key.value)) {
        if (r.section == top &&
            states_.WriteCode(state, r.entry) != CReadingStates::kBlocked) {
          return true;
        }
      }
    }
    return false;
  }

  // Whether `state` can write a switch code toward a section that reads what
  // is here, or with `any`, any switch code at all.
  bool CanSwitch(Id state, bool any) {
    const CReadingStates::State& at = states_.Get(state);
    if (at.pending.empty()) return true;
    const std::uint32_t top = at.frames.Top().section;
    if (!any) {
      for (const std::uint32_t target : here_.targets) {
        for (const std::uint32_t id : index_.FirstSwitches(top, target)) {
          if (!states_.Blocks(state, id)) return true;
        }
      }
      return false;
    }
    // Whether any switch code can be written depends only on the section
    // and the pending codes, which many states share.
    std::uint64_t key = top;
    for (const CReadingStates::Pending& p : at.pending) {
      key = key * 0x9E3779B97F4A7C15ull +
            ((std::uint64_t{p.section} << 32) | p.node);
    }
    const auto [known, fresh] = switchable_.try_emplace(key, false);
    if (fresh) {
      known->second = std::any_of(
          index_.Switches(top).begin(), index_.Switches(top).end(),
          [&](std::uint32_t id) { return !states_.Blocks(state, id); });
    }
    return known->second;
  }

  bool IsTarget(std::uint32_t section) const {
    return std::find(here_.targets.begin(), here_.targets.end(), section) !=
           here_.targets.end();
  }

  bool LeadsToTarget(std::uint32_t section) {
    return std::any_of(here_.targets.begin(), here_.targets.end(),
                       [&](std::uint32_t target) {
                         return !index_.FirstSwitches(section, target).empty();
                       });
  }

  void AddSwitches(std::size_t q, const Arrival& a,
                   std::span<const std::uint32_t> ids) {
    for (const std::uint32_t id : ids) {
      const Id next = states_.WriteCode(a.state, id);
      if (next == CReadingStates::kBlocked) continue;
      const std::size_t bytes = table_.entries[id].code.size();
      const Step step{StepKind::kSwitch, 0, id, q, q};
      Arrive(q,
             Reading(next, a.cost.Plus(0, optimal_ ? bytes : 1, 0, id), a.node,
                     a.origin, a.hops + 1),
             &step);
    }
  }

  // Whether a reading has gone on past `q`.
  bool AnyAfter(std::size_t q) { return arrivals_ > At(q).items.size(); }

  // Hands on the steps every open reading shares; once they have disagreed
  // for too long, takes the best reading and drops the others.
  void CommitCommon(std::size_t q) {
    const Arrival* best = nullptr;
    live_.clear();
    for (std::size_t k = 1; k < ring_.size(); ++k) {
      for (const Arrival& a : At(q + k).items) {
        live_.push_back(a.node);
        if (best == nullptr || a.cost < best->cost) best = &a;
      }
    }
    if (best == nullptr) return;
    const std::uint32_t common = tree_.CommonOf(live_);
    if (common != root_) Commit(common);
    if (tree_.Get(best->node).depth - tree_.Get(root_).depth <=
        bounds_.heldSteps) {
      return;
    }
    const std::uint32_t kept = best->node;
    tree_.Hold(kept);
    for (std::size_t k = 1; k < ring_.size(); ++k) {
      Bucket& bucket = At(q + k);
      const bool keeps =
          std::any_of(bucket.items.begin(), bucket.items.end(),
                      [kept](const Arrival& a) { return a.node == kept; });
      if (!keeps) {
        Clear(bucket);
        continue;
      }
      Arrival only =
          *std::find_if(bucket.items.begin(), bucket.items.end(),
                        [kept](const Arrival& a) { return a.node == kept; });
      tree_.Hold(only.node);
      Clear(bucket);
      bucket.Add(only, arrivals_);
    }
    tree_.Release(kept);
    bounded_ = true;
    Commit(kept);
  }

  // Hands on the steps from the root to `node`, which becomes the root.
  void Commit(std::uint32_t node) {
    path_.clear();
    for (std::uint32_t at = node; at != root_; at = tree_.Get(at).parent) {
      path_.push_back(at);
    }
    for (auto it = path_.rbegin(); it != path_.rend(); ++it) {
      Step step = tree_.Get(*it).step;
      step.before = tree_.Get(tree_.Get(*it).parent).state;
      // A reading that does not dump back exactly was taken where the
      // bounds may have dropped one that does.
      if (step.accepted && bounded_ && !toldBounded_) {
        toldBounded_ = true;
        if (inexact_) inexact_(step.from, true);
      }
      write_(step);
    }
    tree_.Hold(node);
    tree_.Detach(node);
    tree_.Release(root_);
    root_ = node;
  }

  // Gives up what the readings did not agree on, to be searched again from
  // the last step they did.
  Outcome Retry(std::size_t q) {
    const CStepTree::Node& root = tree_.Get(root_);
    const Outcome outcome{q, 0, bounded_, true, root.pos, root.state};
    for (Bucket& b : ring_) Clear(b);
    tree_.Release(root_);
    root_ = kNoNode;
    return outcome;
  }

  Outcome Stop(std::size_t q, Bucket& bucket) {
    const Arrival* best = &bucket.items.front();
    for (const Arrival& a : bucket.items) {
      if (a.cost < best->cost) best = &a;
    }
    const Outcome outcome{q, best->state, bounded_, false, 0, 0};
    Commit(best->node);
    for (Bucket& b : ring_) Clear(b);
    tree_.Release(root_);
    root_ = kNoNode;
    return outcome;
  }

  const CExtendedTable& table_;
  CReadingStates& states_;
  CInsertIndex& index_;
  std::span<const unsigned char> script_;
  bool tokens_;
  bool optimal_;
  CReadingBounds bounds_;
  std::function<void(const CReadingStep&)> write_;
  CKeyFinder finder_;
  // Whether every switch code is tried between two pieces of script at the
  // position being expanded.
  bool wide_ = false;
  std::vector<Bucket> ring_;
  CStepTree tree_;
  std::uint32_t root_ = kNoNode;
  bool bounded_ = false;
  bool toldBounded_ = false;
  // Whether the reading going on is as good as the best at its position.
  bool fromBest_ = false;
  // The readings in the ring, at every position.
  std::size_t arrivals_ = 0;
  std::function<void(std::size_t, bool)> inexact_;
  std::size_t current_ = SIZE_MAX;
  // The cost of the best reading at the position expanded.
  Cost best_;
  std::priority_queue<std::pair<Cost, std::uint64_t>,
                      std::vector<std::pair<Cost, std::uint64_t>>,
                      std::greater<>>
      queue_;
  Here here_;
  std::vector<std::uint32_t> switches_;
  // The switch codes in `switches_`, and the sections a return has left.
  CMarks added_;
  CMarks popped_;
  // CanSwitch's answer about any switch code, by section and pending codes.
  std::unordered_map<std::uint64_t, bool> switchable_;
  std::vector<std::uint32_t> live_;
  // Whether the pending codes kept a reading at the position expanded.
  bool blocked_ = false;
  std::vector<std::uint32_t> path_;
};

CReadingSearch::CReadingSearch(const CExtendedTable& table,
                               CReadingStates& states, CInsertIndex& index,
                               std::span<const unsigned char> script,
                               bool tokens, bool optimal,
                               const CReadingBounds& bounds,
                               std::function<void(const CReadingStep&)> write,
                               std::function<void(std::size_t, bool)> inexact)
    : impl_(std::make_unique<CImpl>(table, states, index, script, tokens,
                                    optimal, bounds, std::move(write),
                                    std::move(inexact))) {}

CReadingSearch::~CReadingSearch() = default;

CReadingSearch::Outcome CReadingSearch::Run(std::size_t pos, Id state,
                                            std::size_t wideTo, bool retry) {
  return impl_->Run(pos, state, wideTo, retry);
}

}  // namespace dalvren
