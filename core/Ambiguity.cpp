#include "core/Ambiguity.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/ByteToken.h"
#include "core/HexCodec.h"
#include "core/KeyMatch.h"

namespace dalvren {

namespace {

using Entry = CExtendedTable::Entry;

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

// Codes with their entries, in code order.
using Codes = std::vector<std::pair<std::string, std::uint32_t>>;

// The entries whose code dump still reads, in code order.
Codes LiveCodes(const CExtendedTable::Section& section) {
  Codes codes;
  ForEachKey(*section.codes, [&](std::string_view code, const CByteString& id) {
    codes.emplace_back(code, CEntryId::Of(id).Index());
  });
  return codes;
}

using Words = std::vector<std::pair<std::string_view, std::uint32_t>>;

// Keys come in byte order, where a code that begins others comes right
// before the first of them.
std::optional<CAmbiguity> CodePrefix(const Codes& codes,
                                     std::uint32_t section) {
  for (std::size_t i = 1; i < codes.size(); ++i) {
    if (codes[i].first.starts_with(codes[i - 1].first)) {
      return CAmbiguity{CAmbiguity::Kind::kCodePrefix, section,
                        codes[i - 1].second, codes[i].second};
    }
  }
  return std::nullopt;
}

// Every entry a dump may show or an insert may write, switch codes aside:
// those whose code dump reads, and those whose word insert reads. Their
// words in order, or the first such entry with an empty word.
std::variant<Words, CAmbiguity> LiveWords(const CExtendedTable& table,
                                          std::uint32_t section,
                                          const Codes& codes) {
  std::vector<std::uint32_t> ids;
  ids.reserve(codes.size());
  for (const auto& code : codes) ids.push_back(code.second);
  ForEachKey(*table.sections[section].words,
             [&](std::string_view word, const CByteString& id) {
               const std::uint32_t entry = CEntryId::Of(id).Index();
               if (table.EntryOf(CEntryId(entry)).word == word) {
                 ids.push_back(entry);
               }
             });
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  Words words;
  for (const std::uint32_t id : ids) {
    const Entry& entry = table.EntryOf(CEntryId(id));
    if (entry.kind == EntryKind::kSwitch) continue;
    if (entry.word.empty()) {
      return CAmbiguity{CAmbiguity::Kind::kEmptyText, section, id, id};
    }
    words.emplace_back(entry.word, id);
  }
  std::sort(words.begin(), words.end());
  return words;
}

// Two words alike, or one beginning another; `words` in order.
std::optional<CAmbiguity> WordClash(const Words& words, std::uint32_t section) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (words[i].first == words[i - 1].first) {
      return CAmbiguity{CAmbiguity::Kind::kSameWord, section,
                        words[i - 1].second, words[i].second};
    }
    if (words[i].first.starts_with(words[i - 1].first)) {
      return CAmbiguity{CAmbiguity::Kind::kWordPrefix, section,
                        words[i - 1].second, words[i].second};
    }
  }
  return std::nullopt;
}

// With unknown bytes kept as tokens, insert takes a token wherever one
// starts: a word must not start with one (an end code spelled by its own
// tokens is meant to), and no run of words may spell one.
std::optional<CAmbiguity> TokenClash(const CExtendedTable& table,
                                     const Words& words,
                                     std::uint32_t section) {
  std::vector<std::pair<std::size_t, std::uint32_t>> begun;
  for (const auto& [word, id] : words) {
    const Entry& entry = table.EntryOf(CEntryId(id));
    const bool spelling =
        entry.kind == EntryKind::kEnd && SpellsItsCode(entry.word, entry.code);
    const std::size_t at = TokenAfter(word, 0);
    if (at == kByteTokenLength && !spelling) {
      return CAmbiguity{CAmbiguity::Kind::kTokenWord, section, id, id};
    }
    if (at > 0 && at < kByteTokenLength) begun.emplace_back(at, id);
  }
  // Depth first (a stack) over how far into a token the words so far
  // reach, each depth taken once; each keeps the word that began it.
  std::vector<bool> reached(kByteTokenLength);
  while (!begun.empty()) {
    const auto [at, first] = begun.back();
    begun.pop_back();
    for (const auto& [word, id] : words) {
      const std::size_t next = TokenAfter(word, at);
      if (next == 0) continue;
      if (next == kByteTokenLength) {
        return CAmbiguity{CAmbiguity::Kind::kTokenSpelled, section, first, id};
      }
      if (!reached[next]) {
        reached[next] = true;
        begun.emplace_back(next, first);
      }
    }
  }
  return std::nullopt;
}

std::optional<CAmbiguity> InSection(const CExtendedTable& table,
                                    std::uint32_t section) {
  const Codes codes = LiveCodes(table.sections[section]);
  if (auto found = CodePrefix(codes, section)) return found;
  auto live = LiveWords(table, section, codes);
  if (auto* found = std::get_if<CAmbiguity>(&live)) return *found;
  const Words& words = std::get<Words>(live);
  if (auto found = WordClash(words, section)) return found;
  return TokenClash(table, words, section);
}

}  // namespace

std::optional<CAmbiguity> FindAmbiguity(const CExtendedTable& table) {
  for (std::uint32_t i = 0; i < table.sections.size(); ++i) {
    if (auto ambiguity = InSection(table, i)) return ambiguity;
  }
  return std::nullopt;
}

}  // namespace dalvren
