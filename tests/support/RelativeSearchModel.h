// An obviously correct model of relative search, and ROMs with words
// planted in them: for the tests of the search and of the converter's
// search command.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dalvren::test {

// A word as the model reads it: each unit's alphabet (-1 for "?") and its
// place there. Alphabets are numbered in the order the word meets them.
struct CModelWord {
  unsigned width = 1;
  std::vector<std::vector<std::string>> alphabets;
  std::vector<int> alphabet;
  std::vector<std::uint32_t> place;
};

// Reads `word`, made of "?", ASCII letters and digits and the characters of
// `custom` (which win), each character one UTF-8 sequence.
inline CModelWord ModelWord(std::string_view word, std::string_view custom,
                            unsigned width) {
  const auto split = [](std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const std::size_t n = lead < 0x80   ? 1
                            : lead < 0xE0 ? 2
                            : lead < 0xF0 ? 3
                                          : 4;
      characters.emplace_back(text.substr(i, n));
      i += n;
    }
    return characters;
  };
  const auto range = [](char first, char last) {
    std::vector<std::string> letters;
    for (char c = first; c <= last; ++c) letters.emplace_back(1, c);
    return letters;
  };
  std::vector<std::vector<std::string>> all = {
      split(custom), range('A', 'Z'), range('a', 'z'), range('0', '9')};
  CModelWord model;
  model.width = width;
  std::map<std::size_t, int> numbered;
  for (const std::string& c : split(word)) {
    int found = -1;
    std::uint32_t place = 0;
    for (std::size_t a = 0; a < all.size() && found < 0 && c != "?"; ++a) {
      for (std::size_t i = 0; i < all[a].size(); ++i) {
        if (all[a][i] != c) continue;
        const auto [it, added] =
            numbered.try_emplace(a, static_cast<int>(model.alphabets.size()));
        if (added) model.alphabets.push_back(all[a]);
        found = it->second;
        place = static_cast<std::uint32_t>(i);
        break;
      }
    }
    model.alphabet.push_back(found);
    model.place.push_back(place);
  }
  return model;
}

struct CModelHit {
  std::uint64_t offset = 0;
  bool little = false;
  std::vector<std::uint32_t> bases;
  auto operator<=>(const CModelHit&) const = default;
};

inline std::uint32_t ModelUnit(std::span<const unsigned char> rom,
                               std::size_t at, unsigned width, bool little) {
  if (width == 1) return rom[at];
  return little ? rom[at] | std::uint32_t{rom[at + 1]} << 8
                : std::uint32_t{rom[at]} << 8 | rom[at + 1];
}

// Every hit of `word` in `rom`: each offset and byte order where every two
// letters of an alphabet differ in code as they differ in place.
inline std::vector<CModelHit> ModelHits(std::span<const unsigned char> rom,
                                        const CModelWord& word) {
  const std::uint64_t modulus = std::uint64_t{1} << (8 * word.width);
  const std::size_t length = word.alphabet.size() * word.width;
  std::vector<CModelHit> hits;
  for (std::size_t p = 0; p + length <= rom.size(); ++p) {
    for (const bool little : {false, true}) {
      if (little && word.width == 1) continue;
      std::vector<std::uint32_t> units;
      for (std::size_t k = 0; k < word.alphabet.size(); ++k) {
        units.push_back(ModelUnit(rom, p + k * word.width, word.width, little));
      }
      bool fits = true;
      std::vector<std::uint32_t> bases(word.alphabets.size());
      std::vector<bool> based(word.alphabets.size(), false);
      for (std::size_t i = 0; i < units.size(); ++i) {
        const int a = word.alphabet[i];
        if (a < 0) continue;
        if (!based[a]) {
          based[a] = true;
          bases[a] = static_cast<std::uint32_t>(
              (units[i] + modulus - word.place[i]) % modulus);
        }
        for (std::size_t j = 0; j < units.size(); ++j) {
          if (word.alphabet[j] != a) continue;
          const std::uint64_t codes = (units[i] + modulus - units[j]) % modulus;
          const std::uint64_t places =
              (word.place[i] + modulus - word.place[j]) % modulus;
          fits = fits && codes == places;
        }
      }
      if (fits) hits.push_back({p, little, bases});
    }
  }
  return hits;
}

// Writes `word` at `offset` of `rom`, each alphabet's first letter at the
// code `bases` gives it, "?" as `any`.
inline void Plant(std::vector<unsigned char>& rom, std::size_t offset,
                  const CModelWord& word,
                  const std::vector<std::uint32_t>& bases, bool little,
                  std::uint32_t any = 0) {
  const std::uint32_t mask = word.width == 1 ? 0xFF : 0xFFFF;
  for (std::size_t k = 0; k < word.alphabet.size(); ++k) {
    const int a = word.alphabet[k];
    const std::uint32_t unit =
        a < 0 ? any
              : (bases[static_cast<std::size_t>(a)] + word.place[k]) & mask;
    const std::size_t at = offset + k * word.width;
    if (word.width == 1) {
      rom[at] = static_cast<unsigned char>(unit);
    } else {
      rom[at + (little ? 1 : 0)] = static_cast<unsigned char>(unit >> 8);
      rom[at + (little ? 0 : 1)] = static_cast<unsigned char>(unit);
    }
  }
}

}  // namespace dalvren::test
