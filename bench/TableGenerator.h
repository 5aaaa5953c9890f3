// Deterministic tables and inputs for the benchmarks: the same bytes on every
// run and every machine, so figures can be compared across commits.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace dalvren::bench {

struct GeneratedEntry {
  std::string code;  // raw bytes
  std::string text;
};

// Appends the UTF-8 encoding of `cp` (below 0x10000) to `out`.
inline void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// A table as a translation project meets it: 200 single-byte codes (ASCII
// letters and punctuation, then accented letters), 7,000 two-byte codes whose
// texts are Japanese kanji and kana in UTF-8, and 300 two-byte codes for
// multi-letter words (dictionary compression). Every text is distinct.
inline std::vector<GeneratedEntry> RealisticEntries() {
  std::vector<GeneratedEntry> entries;
  for (int code = 0; code < 200; ++code) {
    std::string text;
    if (code >= 0x20 && code < 0x7F) {
      text.push_back(static_cast<char>(code));
    } else {
      AppendUtf8(text, 0xC0 + static_cast<std::uint32_t>(code));
    }
    entries.push_back({std::string(1, static_cast<char>(code)), text});
  }
  for (int i = 0; i < 7000; ++i) {
    const int code = 0xC800 + i;
    std::string text;
    // Kana for the first rows, then CJK ideographs.
    AppendUtf8(text, i < 160 ? 0x3041 + static_cast<std::uint32_t>(i)
                             : 0x4E00 + static_cast<std::uint32_t>(i));
    entries.push_back(
        {{static_cast<char>(code >> 8), static_cast<char>(code)}, text});
  }
  static const char* const kSyllables[] = {
      "th", "e",  "an", "d",  "in", "g",  "er", "on", "re", "he", "at", "ou",
      "it", "es", "or", "ti", "st", "ar", "ng", "al", "te", "se", "ha", "en"};
  std::mt19937 rng(7);
  std::vector<std::string> seen;
  while (seen.size() < 300) {
    std::string word;
    const int parts = 2 + static_cast<int>(rng() % 3);
    for (int p = 0; p < parts; ++p) word += kSyllables[rng() % 24];
    bool duplicate = false;
    for (const auto& s : seen) duplicate = duplicate || s == word;
    if (!duplicate) seen.push_back(word);
  }
  for (int i = 0; i < 300; ++i) {
    const int code = 0xF000 + i;
    entries.push_back(
        {{static_cast<char>(code >> 8), static_cast<char>(code)}, seen[i]});
  }
  return entries;
}

// 256 single-byte codes, each standing for one letter.
inline std::vector<GeneratedEntry> SingleByteEntries() {
  std::vector<GeneratedEntry> entries;
  for (int code = 0; code < 256; ++code) {
    entries.push_back({std::string(1, static_cast<char>(code)),
                       std::string(1, static_cast<char>('!' + code % 94))});
  }
  return entries;
}

// 2,000 codes of 127 bytes (254 hex digits), each with a short text.
inline std::vector<GeneratedEntry> LongCodeEntries() {
  std::mt19937 rng(11);
  std::vector<GeneratedEntry> entries;
  for (int i = 0; i < 2000; ++i) {
    std::string code(127, '\0');
    for (char& c : code) c = static_cast<char>(rng());
    std::string text = std::to_string(i);
    text.insert(text.begin(), 't');
    entries.push_back({code, text});
  }
  return entries;
}

// 2,000 two-byte codes whose texts are about 500 characters long.
inline std::vector<GeneratedEntry> LongTextEntries() {
  std::mt19937 rng(13);
  std::vector<GeneratedEntry> entries;
  for (int i = 0; i < 2000; ++i) {
    std::string text(500, ' ');
    for (char& c : text) c = static_cast<char>('a' + rng() % 26);
    entries.push_back(
        {{static_cast<char>(i >> 8), static_cast<char>(i)}, text});
  }
  return entries;
}

// 2,000 codes of 127 bytes that share their first 125: the trie of the
// codes is a single path and then a fan, but that of the reversed codes,
// which the automaton is made of, holds every code whole.
inline std::vector<GeneratedEntry> SharedPrefixEntries() {
  std::vector<GeneratedEntry> entries;
  const std::string prefix(125, '\x5A');
  for (int i = 0; i < 2000; ++i) {
    std::string code = prefix;
    code.push_back(static_cast<char>(i >> 8));
    code.push_back(static_cast<char>(i));
    std::string text = std::to_string(i);
    text.insert(text.begin(), 't');
    entries.push_back({code, text});
  }
  return entries;
}

// A table that makes every position of an input of "a" a long failed walk:
// "a" and one text of 507 "a" and a "b", the longest text a table line
// holds. Each "a" of the input starts 507 steps through the second text
// before the missing "b" sends the walk back.
inline std::vector<GeneratedEntry> HostileLongTextEntries() {
  return {{"\x41", "a"}, {"\x42", std::string(507, 'a') + "b"}};
}

// The same for codes: 01 and one code of 253 bytes 01 and a 02, against an
// input of 01 bytes.
inline std::vector<GeneratedEntry> HostileLongCodeEntries() {
  return {{"\x01", "x"}, {std::string(253, '\x01') + "\x02", "y"}};
}

// The entries as a table file.
inline std::string TableFile(const std::vector<GeneratedEntry>& entries) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string file;
  for (const auto& e : entries) {
    for (unsigned char b : e.code) {
      file.push_back(kDigits[b >> 4]);
      file.push_back(kDigits[b & 15]);
    }
    file += '=';
    file += e.text;
    file += '\n';
  }
  return file;
}

// `size` bytes of ROM made of whole codes drawn from `entries`: mostly
// single-byte codes, a quarter two-byte ones, as game script text runs.
inline std::string RomOf(const std::vector<GeneratedEntry>& entries,
                         std::size_t size) {
  std::vector<const GeneratedEntry*> single;
  std::vector<const GeneratedEntry*> multi;
  for (const auto& e : entries)
    (e.code.size() == 1 ? single : multi).push_back(&e);
  std::mt19937 rng(3);
  std::string rom;
  rom.reserve(size + 256);
  while (rom.size() < size) {
    const bool useMulti = !multi.empty() && (single.empty() || rng() % 4 == 0);
    const auto& pool = useMulti ? multi : single;
    rom += pool[rng() % pool.size()]->code;
  }
  rom.resize(size);
  return rom;
}

// The same mix of codes as RomOf (three quarters single-byte, kinds in the
// same proportions), but in runs of `run` codes of one kind: ASCII letters,
// other single-byte codes, two-byte codes for kana and kanji, and two-byte
// codes for words. Translation does the same work per code as on RomOf; what
// changes is how well the processor can guess the kind of the next code.
inline std::string RomInRuns(const std::vector<GeneratedEntry>& entries,
                             std::size_t size, int run) {
  std::vector<const GeneratedEntry*> kinds[4];
  for (const auto& e : entries) {
    const auto lead = static_cast<unsigned char>(e.code[0]);
    const int kind = e.code.size() == 1 ? (lead >= 0x20 && lead < 0x7F ? 0 : 1)
                                        : (lead >= 0xF0 ? 3 : 2);
    kinds[kind].push_back(&e);
  }
  const std::size_t single = kinds[0].size() + kinds[1].size();
  const std::size_t multi = kinds[2].size() + kinds[3].size();
  std::mt19937 rng(3);
  std::string rom;
  rom.reserve(size + 256);
  while (rom.size() < size) {
    const bool useMulti = rng() % 4 == 0;
    const std::size_t pick = rng() % (useMulti ? multi : single);
    const int kind = useMulti ? (pick < kinds[2].size() ? 2 : 3)
                              : (pick < kinds[0].size() ? 0 : 1);
    for (int i = 0; i < run; ++i) {
      rom += kinds[kind][rng() % kinds[kind].size()]->code;
    }
  }
  rom.resize(size);
  return rom;
}

}  // namespace dalvren::bench
