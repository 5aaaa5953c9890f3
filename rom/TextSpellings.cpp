#include "rom/TextSpellings.h"

#include <algorithm>
#include <functional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/KeyMatch.h"

namespace dalvren {

namespace {

std::string ToString(const CByteString& bytes) {
  const auto view = bytes.Bytes();
  return {reinterpret_cast<const char*>(view.data()), view.size()};
}

// Collects pieces once each, in the order they are first offered.
class CPieceList {
 public:
  void Add(std::string code, std::string text) {
    if (text.empty() || code.empty()) return;
    if (!seen_.insert({code, text}).second) return;
    pieces_.push_back({std::move(code), std::move(text)});
  }
  [[nodiscard]] std::vector<CCodeText> Take() { return std::move(pieces_); }

 private:
  std::set<std::pair<std::string, std::string>> seen_;
  std::vector<CCodeText> pieces_;
};

// For each position of `text`, the pieces whose text starts there: the
// longest texts first and, for one text, in the order of `pieces`.
std::vector<std::vector<std::uint32_t>> PiecesAt(
    std::string_view text, std::span<const CCodeText> pieces) {
  std::unordered_map<std::string_view, std::vector<std::uint32_t>> byText;
  std::set<std::size_t, std::greater<>> lengths;
  for (std::uint32_t i = 0; i < pieces.size(); ++i) {
    byText[pieces[i].text].push_back(i);
    lengths.insert(pieces[i].text.size());
  }
  std::vector<std::vector<std::uint32_t>> at(text.size());
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    for (const std::size_t length : lengths) {
      if (length > text.size() - pos) continue;
      const auto found = byText.find(text.substr(pos, length));
      if (found == byText.end()) continue;
      at[pos].insert(at[pos].end(), found->second.begin(), found->second.end());
    }
  }
  return at;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace

std::vector<CCodeText> SpellingPieces(const CCodeTable& table) {
  CPieceList list;
  ForEachKey(*table.reverse,
             [&](std::string_view text, const CByteString& code) {
               list.Add(ToString(code), std::string(text));
             });
  ForEachKey(*table.forward,
             [&](std::string_view code, const CByteString& text) {
               list.Add(std::string(code), ToString(text));
             });
  return list.Take();
}

std::vector<CCodeText> SpellingPieces(const CExtendedTable& table,
                                      std::uint32_t section) {
  const CExtendedTable::Section& s = table.sections[section];
  CPieceList list;
  ForEachKey(*s.texts, [&](std::string_view text, const CByteString& code) {
    list.Add(ToString(code), std::string(text));
  });
  ForEachKey(*s.codes, [&](std::string_view code, const CByteString& id) {
    const CExtendedTable::Entry& entry = table.EntryOf(id);
    if (entry.kind == EntryKind::kText || entry.kind == EntryKind::kLineBreak) {
      list.Add(std::string(code), entry.word);
    }
  });
  return list.Take();
}

CTextSpellings::CTextSpellings(std::string_view text,
                               std::span<const CCodeText> pieces,
                               std::size_t most, std::size_t budget) {
  const std::size_t n = text.size();
  if (n == 0) return;
  const auto at = PiecesAt(text, pieces);
  const auto end = [&](std::size_t pos, std::uint32_t piece) {
    return pos + pieces[piece].text.size();
  };

  std::vector<bool> reached(n + 1, false);
  reached[0] = true;
  for (std::size_t pos = 0; pos <= n; ++pos) {
    if (!reached[pos]) continue;
    reach_ = pos;
    if (pos == n) break;
    for (const std::uint32_t piece : at[pos]) reached[end(pos, piece)] = true;
  }

  // The cuts of the text from each position to its end.
  std::vector<std::uint64_t> ways(n + 1, 0);
  ways[n] = 1;
  for (std::size_t pos = n; pos-- > 0;) {
    for (const std::uint32_t piece : at[pos]) {
      ways[pos] = SaturatingAdd(ways[pos], ways[end(pos, piece)]);
    }
  }
  cuts_ = ways[0];

  // Depth first, only into pieces after which the text can still be
  // finished, so that every path ends in a cut. Frame k stands for the
  // choice of chosen[k - 1].
  struct Frame {
    std::size_t pos;
    std::size_t next;
  };
  std::vector<Frame> frames;
  if (cuts_ > 0) frames.push_back({0, 0});
  std::vector<std::uint32_t> chosen;
  std::unordered_set<std::string> seen;
  while (!frames.empty() && listed_ < most) {
    Frame& frame = frames.back();
    if (frame.pos == n) {
      std::string bytes;
      for (const std::uint32_t piece : chosen) bytes += pieces[piece].code;
      if (!seen.contains(bytes)) {
        if (bytes.size() > budget - bytes_) break;
        bytes_ += bytes.size();
        seen.insert(bytes);
        spellings_.push_back({chosen, std::move(bytes)});
      }
      ++listed_;
    } else {
      const auto& here = at[frame.pos];
      while (frame.next < here.size() &&
             ways[end(frame.pos, here[frame.next])] == 0) {
        ++frame.next;
      }
      if (frame.next < here.size()) {
        const std::uint32_t piece = here[frame.next++];
        chosen.push_back(piece);
        frames.push_back({end(frame.pos, piece), 0});
        continue;
      }
    }
    frames.pop_back();
    if (!frames.empty()) chosen.pop_back();
  }
  capped_ = cuts_ > listed_;
}

}  // namespace dalvren
