#include "core/Ambiguity.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ByteToken.h"
#include "core/HexCodec.h"
#include "core/KeyMatch.h"

namespace dalvren {

namespace {

using Entry = CExtendedTable::Entry;

std::uint32_t IdOf(const CExtendedTable& table, const CByteString& id) {
  return static_cast<std::uint32_t>(&table.EntryOf(id) - table.entries.data());
}

// The pattern of a token: "<", "$", two hexadecimal digits, ">".
bool FitsToken(char c, std::size_t at) {
  switch (at) {
    case 0:
      return c == '<';
    case 1:
      return c == '$';
    case 4:
      return c == '>';
    default:
      return IsHexDigit(c);
  }
}

// How far `word` carries a token begun `at` characters ago: the new
// position (kByteTokenLength when it completes one), or 0 when it breaks
// the pattern.
std::size_t TokenAfter(std::string_view word, std::size_t at) {
  for (std::size_t i = 0; i < word.size() && at + i < kByteTokenLength; ++i) {
    if (!FitsToken(word[i], at + i)) return 0;
  }
  return std::min(at + word.size(), kByteTokenLength);
}

// Whether `word` is the tokens of the bytes of `code`, digits in either case:
// an end code spelled by its own tokens, which is what dump writes for it
// and insert reads back as it. Tokens of other bytes would be read as the end
// code where dump wrote those bytes.
bool SpellsItsCode(std::string_view word, std::string_view code) {
  if (word.size() != code.size() * kByteTokenLength) return false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    unsigned char byte = 0;
    const std::string_view token = word.substr(i * kByteTokenLength);
    if (!ReadByteToken({reinterpret_cast<const unsigned char*>(token.data()),
                        token.size()},
                       byte) ||
        byte != static_cast<unsigned char>(code[i])) {
      return false;
    }
  }
  return true;
}

// The entries whose code dump still reads, in code order.
std::vector<std::pair<std::string, std::uint32_t>> LiveCodes(
    const CExtendedTable& table, const CExtendedTable::Section& section) {
  std::vector<std::pair<std::string, std::uint32_t>> codes;
  ForEachKey(*section.codes, [&](std::string_view code, const CByteString& id) {
    codes.emplace_back(code, IdOf(table, id));
  });
  return codes;
}

std::optional<CAmbiguity> InSection(const CExtendedTable& table,
                                    std::uint32_t index) {
  const CExtendedTable::Section& section = table.sections[index];
  const auto found = [index](CAmbiguity::Kind kind, std::uint32_t first,
                             std::uint32_t second) {
    return CAmbiguity{kind, index, first, second};
  };

  // Keys come in byte order, where a code that begins others comes right
  // before the first of them.
  const auto codes = LiveCodes(table, section);
  for (std::size_t i = 1; i < codes.size(); ++i) {
    if (codes[i].first.starts_with(codes[i - 1].first)) {
      return found(CAmbiguity::Kind::kCodePrefix, codes[i - 1].second,
                   codes[i].second);
    }
  }

  // Every entry a dump may show or an insert may write: those whose code
  // dump reads, and those whose word insert reads.
  std::vector<std::uint32_t> ids;
  ids.reserve(codes.size());
  for (const auto& code : codes) ids.push_back(code.second);
  ForEachKey(*section.words, [&](std::string_view word, const CByteString& id) {
    const std::uint32_t entry = IdOf(table, id);
    if (table.entries[entry].word == word) ids.push_back(entry);
  });
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  std::vector<std::pair<std::string_view, std::uint32_t>> words;
  for (const std::uint32_t id : ids) {
    const Entry& entry = table.entries[id];
    if (entry.kind == EntryKind::kSwitch) continue;
    if (entry.word.empty()) {
      return found(CAmbiguity::Kind::kEmptyText, id, id);
    }
    words.emplace_back(entry.word, id);
  }
  std::sort(words.begin(), words.end());
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (words[i].first == words[i - 1].first) {
      return found(CAmbiguity::Kind::kSameWord, words[i - 1].second,
                   words[i].second);
    }
    if (words[i].first.starts_with(words[i - 1].first)) {
      return found(CAmbiguity::Kind::kWordPrefix, words[i - 1].second,
                   words[i].second);
    }
  }

  // With unknown bytes kept as tokens, insert takes a token wherever one
  // starts: a word must not start with one (an end code spelled by its own
  // tokens is meant to), and no run of words may spell one.
  std::vector<std::pair<std::size_t, std::uint32_t>> begun;
  for (const auto& [word, id] : words) {
    const Entry& entry = table.entries[id];
    const bool spelling =
        entry.kind == EntryKind::kEnd && SpellsItsCode(entry.word, entry.code);
    const std::size_t at = TokenAfter(word, 0);
    if (at == kByteTokenLength && !spelling) {
      return found(CAmbiguity::Kind::kTokenWord, id, id);
    }
    if (at > 0 && at < kByteTokenLength) begun.emplace_back(at, id);
  }
  // Breadth first over how far into a token the words so far reach; each
  // state keeps the word that began it.
  std::vector<bool> reached(kByteTokenLength);
  while (!begun.empty()) {
    const auto [at, first] = begun.back();
    begun.pop_back();
    for (const auto& [word, id] : words) {
      const std::size_t next = TokenAfter(word, at);
      if (next == 0) continue;
      if (next == kByteTokenLength) {
        return found(CAmbiguity::Kind::kTokenSpelled, first, id);
      }
      if (!reached[next]) {
        reached[next] = true;
        begun.emplace_back(next, first);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<CAmbiguity> FindAmbiguity(const CExtendedTable& table) {
  for (std::uint32_t i = 0; i < table.sections.size(); ++i) {
    if (auto ambiguity = InSection(table, i)) return ambiguity;
  }
  return std::nullopt;
}

}  // namespace dalvren
