#include "core/Lossless.h"

#include <array>
#include <deque>
#include <optional>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ByteToken.h"
#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/KeyMatch.h"

namespace dalvren {

namespace {

// How much of the search for two spellings of one script a judgement may
// take: the dangling rests it follows, the rests it keeps per text, and the
// pieces of a spelling.
constexpr std::size_t kMostRests = 20000;
constexpr std::size_t kSpellingsPerRest = 4;
constexpr std::size_t kMostPieces = 24;

// A piece of script a dump of the start table writes: an entry's text, or
// the token of a byte (skipped, or a control code's parameter).
struct Piece {
  std::string text;
  std::uint32_t entry = UINT32_MAX;  // UINT32_MAX for a token
  unsigned char byte = 0;
  // A token of a byte dump may skip; otherwise only a parameter.
  bool skippable = false;
};

std::span<const unsigned char> Bytes(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

class CJudge {
 public:
  explicit CJudge(const CExtendedTable& table) : table_(table) {}

  CLosslessVerdict Run() {
    CLosslessVerdict verdict;
    // Other sections are reached only through the start table's switch
    // codes.
    if (!table_.sections[table_.start].switches.empty()) {
      verdict.kind = CLosslessVerdict::Kind::kScript;
      return verdict;
    }
    if (!CollectPieces(verdict)) return verdict;
    SeedRests(verdict);
    if (verdict.kind == CLosslessVerdict::Kind::kNo) return verdict;
    Follow(verdict);
    return verdict;
  }

 private:
  struct Rest {
    // The pieces of one spelling, `ahead` longer than `behind` by `rest`.
    std::string rest;
    std::vector<std::uint32_t> ahead;
    std::vector<std::uint32_t> behind;
  };

  // The start table's pieces; false (with the verdict) when an entry has an
  // empty text, which no insert can give back.
  bool CollectPieces(CLosslessVerdict& verdict) {
    const CExtendedTable::Section& start = table_.sections[table_.start];
    bool parameters = false;
    bool empty = false;
    ForEachKey(*start.codes, [&](std::string_view, const CByteString& id) {
      const std::uint32_t entry = CExtendedTable::IdOf({id.data.get(), 4});
      const CExtendedTable::Entry& e = table_.entries[entry];
      if (e.kind == EntryKind::kSwitch || empty) return;
      if (e.kind == EntryKind::kControl && e.count > 0) parameters = true;
      const std::string text = DumpTextOf(e);
      if (text.empty()) {
        const Piece piece{text, entry, 0, false};
        empty = Confirm(verdict, Dump(e.code), e.code, piece, piece);
        return;
      }
      pieces_.push_back({text, entry, 0, false});
    });
    if (empty) return false;
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const bool skippable = start.codes->Find({&byte, 1}) == nullptr;
      if (!skippable && !parameters) continue;
      std::string token;
      AppendByteToken(byte, token);
      pieces_.push_back({token, UINT32_MAX, byte, skippable});
    }
    return true;
  }

  void SeedRests(CLosslessVerdict& verdict) {
    for (std::uint32_t p = 0; p < pieces_.size(); ++p) {
      byFirst_[static_cast<unsigned char>(pieces_[p].text[0])].push_back(p);
    }
    for (std::uint32_t u = 0; u < pieces_.size(); ++u) {
      for (const std::uint32_t v : Starting(pieces_[u].text)) {
        if (u == v || !pieces_[v].text.starts_with(pieces_[u].text)) continue;
        if (pieces_[v].text.size() == pieces_[u].text.size()) {
          if (Try(verdict, {v}, {u})) return;
          continue;
        }
        Push({pieces_[v].text.substr(pieces_[u].text.size()), {v}, {u}});
      }
    }
  }

  void Push(Rest&& rest) {
    if (rest.ahead.size() + rest.behind.size() > kMostPieces) return;
    std::size_t& seen = spellings_[rest.rest];
    if (seen >= kSpellingsPerRest) return;
    ++seen;
    rests_.push_back(std::move(rest));
  }

  void Follow(CLosslessVerdict& verdict) {
    for (std::size_t followed = 0; !rests_.empty() && followed < kMostRests;
         ++followed) {
      const Rest at = std::move(rests_.front());
      rests_.pop_front();
      for (const std::uint32_t w : Starting(at.rest)) {
        const std::string& text = pieces_[w].text;
        std::vector<std::uint32_t> behind = at.behind;
        behind.push_back(w);
        if (text == at.rest) {
          if (Try(verdict, at.ahead, behind)) return;
        } else if (at.rest.starts_with(text)) {
          Push({at.rest.substr(text.size()), at.ahead, std::move(behind)});
        } else if (text.starts_with(at.rest)) {
          Push({text.substr(at.rest.size()), std::move(behind), at.ahead});
        }
      }
    }
  }

  // The pieces whose text starts with the first byte of `text`: the only
  // ones that can begin it or be begun by it.
  const std::vector<std::uint32_t>& Starting(const std::string& text) const {
    return byFirst_[static_cast<unsigned char>(text[0])];
  }

  // The ROM that dump would read as `spelling`, or nothing when no ROM
  // can: a token of a byte dump never skips outside a control code's
  // parameters, a text where parameters are due.
  std::optional<std::string> Rom(const std::vector<std::uint32_t>& spelling) {
    std::string rom;
    std::uint32_t parameters = 0;
    for (const std::uint32_t p : spelling) {
      const Piece& piece = pieces_[p];
      if (piece.entry == UINT32_MAX) {
        if (parameters == 0 && !piece.skippable) return std::nullopt;
        if (parameters > 0) --parameters;
        rom.push_back(static_cast<char>(piece.byte));
        continue;
      }
      if (parameters > 0) return std::nullopt;
      const CExtendedTable::Entry& e = table_.entries[piece.entry];
      rom += e.code;
      if (e.kind == EntryKind::kControl) parameters = e.count;
    }
    return rom;
  }

  // Whether the two spellings are two ROMs with one script, which insert
  // then gives back only one of; fills the verdict if so.
  bool Try(CLosslessVerdict& verdict, const std::vector<std::uint32_t>& a,
           const std::vector<std::uint32_t>& b) {
    const std::optional<std::string> one = Rom(a);
    const std::optional<std::string> other = Rom(b);
    if (!one || !other || *one == *other) return false;
    const std::string script = Dump(*one);
    if (script != Dump(*other)) return false;
    const bool oneLost = Insert(script) != *one;
    return Confirm(verdict, script, oneLost ? *one : *other,
                   pieces_[oneLost ? a.front() : b.front()],
                   pieces_[oneLost ? b.front() : a.front()]);
  }

  // Fills the verdict when `script`, which `rom` dumps to, inserts as other
  // bytes; false when it gives `rom` back. `lost` begins the spelling of
  // `rom`, `read` the other.
  bool Confirm(CLosslessVerdict& verdict, std::string script,
               const std::string& rom, const Piece& lost, const Piece& read) {
    const std::string inserted = Insert(script);
    if (inserted == rom) return false;
    verdict.kind = CLosslessVerdict::Kind::kNo;
    verdict.first = lost.entry;
    verdict.firstText = lost.text;
    verdict.second = read.entry;
    verdict.secondText = read.text;
    verdict.rom = rom;
    verdict.script = std::move(script);
    verdict.inserted = inserted;
    return true;
  }

  std::string Dump(const std::string& rom) const {
    std::ostringstream out;
    CExtendedDumpOptions options;
    options.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
      AppendByteToken(byte, emit);
    };
    DumpExtended(table_, out, Bytes(rom), options);
    return std::move(out).str();
  }

  std::string Insert(const std::string& script) const {
    std::ostringstream out;
    CExtendedInsertOptions options;
    options.tokens = true;
    CScriptFault fault;
    (void)InsertExtended(table_, out, Bytes(script), options, &fault);
    return std::move(out).str();
  }

  const CExtendedTable& table_;
  std::vector<Piece> pieces_;
  std::array<std::vector<std::uint32_t>, 256> byFirst_;
  std::deque<Rest> rests_;
  std::unordered_map<std::string, std::size_t> spellings_;
};

}  // namespace

CLosslessVerdict JudgeLossless(const CExtendedTable& table) {
  return CJudge(table).Run();
}

}  // namespace dalvren
