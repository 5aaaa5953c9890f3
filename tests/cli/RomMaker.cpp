#include "tests/cli/RomMaker.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace dalvren::test {

namespace {

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(value));
  return text;
}

std::string Token(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "<$%02X>", byte);
  return text;
}

bool IsLetter(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == ' ';
}

std::string LetterLines() {
  std::string lines;
  for (int c = 0x20; c < 0x7B; ++c) {
    if (!IsLetter(static_cast<unsigned char>(c))) continue;
    char line[8];
    std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
    lines += line;
  }
  return lines;
}

}  // namespace

RomSyntax::RomSyntax(bool extended) : extended_(extended) {
  if (extended) {
    table_ = LetterLines() +
             "*FE\n/FF=[END]\n$F0=<color>,1\n!F1=Kana,0\n@Kana\nA0=ア\nA1=イ\n";
    end_ = {"\xFF", "[END]\n"};
  } else {
    table_ = LetterLines() + "8081=ch\n90FF=ü\nFFFE=ÿ\nFF=[END]\n";
    end_ = {"\xFF", "[END]"};
  }
}

std::vector<std::string> RomSyntax::Options(const std::string& table) const {
  std::vector<std::string> options = {"-t", table};
  if (extended_) options.emplace_back("--table-syntax=extended");
  return options;
}

RomUnit RomSyntax::Unit(std::mt19937& random) const {
  const unsigned pick = random() % 20;
  if (pick < 11) {
    const char c =
        static_cast<char>(pick < 9 ? 'a' + random() % 26 : 'A' + random() % 26);
    return {std::string(1, c), std::string(1, c)};
  }
  if (pick < 13) return {" ", " "};
  if (pick == 13) {
    const auto b = static_cast<unsigned char>(1 + random() % 5);
    return {std::string(1, static_cast<char>(b)), Token(b)};
  }
  if (!extended_) {
    if (pick < 16) return {"\x80\x81", "ch"};
    if (pick < 18) return {"\x90\xFF", "ü"};
    return {"\xFF\xFE", "ÿ"};
  }
  if (pick < 15) return {"\xFE", "\n"};
  if (pick < 17) {
    const auto parameter = static_cast<unsigned char>(random());
    return {std::string("\xF0") + static_cast<char>(parameter),
            "<color>" + Token(parameter)};
  }
  RomUnit kana{"\xF1", ""};
  for (unsigned n = 1 + random() % 3; n > 0; --n) {
    const bool first = random() % 2 == 0;
    kana.bytes += first ? "\xA0" : "\xA1";
    kana.text += first ? "ア" : "イ";
  }
  return kana;
}

std::optional<std::string> RomSyntax::Read(const std::string& rom,
                                           std::uint64_t at,
                                           std::uint64_t* length,
                                           std::uint64_t limit) const {
  std::string text;
  bool kana = false;
  const auto byte = [&rom](std::uint64_t i) {
    return static_cast<unsigned char>(rom[i]);
  };
  const std::uint64_t end = std::min<std::uint64_t>(limit, rom.size());
  for (std::uint64_t pos = at; pos < end;) {
    const unsigned char b = byte(pos);
    if (kana) {
      if (b == 0xA0 || b == 0xA1) {
        text += b == 0xA0 ? "ア" : "イ";
        ++pos;
        continue;
      }
      kana = false;
    }
    const bool next = pos + 1 < end;
    if (!extended_ && b == 0xFF && next && byte(pos + 1) == 0xFE) {
      text += "ÿ";
      pos += 2;
      continue;
    }
    if (b == 0xFF) {
      *length = pos + 1 - at;
      return text + end_.text;
    }
    if (IsLetter(b)) {
      text += static_cast<char>(b);
    } else if (!extended_ && b == 0x80 && next && byte(pos + 1) == 0x81) {
      text += "ch";
      ++pos;
    } else if (!extended_ && b == 0x90 && next && byte(pos + 1) == 0xFF) {
      text += "ü";
      ++pos;
    } else if (extended_ && b == 0xFE) {
      text += "\n";
    } else if (extended_ && b == 0xF0 && next) {
      text += "<color>" + Token(byte(pos + 1));
      ++pos;
    } else if (extended_ && b == 0xF1) {
      kana = true;
    } else {
      text += Token(b);
    }
    ++pos;
  }
  return std::nullopt;
}

std::string RomPointers::Options() const {
  std::string options = std::string("FORMAT=") + (bigEndian ? "BE" : "LE") +
                        std::to_string(size * 8);
  if (stride != size) options += " STRIDE=" + std::to_string(stride);
  if (add != 0) {
    options += " ADD=" + std::string(add < 0 ? "-" : "") +
               Hex(static_cast<std::uint64_t>(add < 0 ? -add : add));
  }
  if (relative) options += " RELATIVE";
  if (map != 0) options += map == 1 ? " MAP=LOROM" : " MAP=HIROM";
  if (map != 0 && size == 2) {
    char bankText[16];
    std::snprintf(bankText, sizeof bankText, " BANK=%02X", bank);
    options += bankText;
  }
  if (window) {
    options += " WINDOW=" + Hex(window->first) + "-" + Hex(window->second);
  }
  return options;
}

std::uint64_t RomPointers::Read(const std::string& rom,
                                std::uint64_t at) const {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    const auto b =
        static_cast<unsigned char>(rom[at + (bigEndian ? i : size - 1 - i)]);
    value = value << 8 | b;
  }
  return value;
}

void RomPointers::Write(std::string& rom, std::uint64_t at,
                        std::uint64_t value) const {
  for (unsigned i = 0; i < size; ++i) {
    rom[at + (bigEndian ? size - 1 - i : i)] =
        static_cast<char>(value >> (8 * i));
  }
}

std::uint64_t RomPointers::Target(std::uint64_t value, std::uint64_t at) const {
  const std::int64_t base =
      add + (relative ? static_cast<std::int64_t>(at) : 0);
  std::uint64_t mapped = value;
  const std::uint64_t bankByte = size == 2 ? bank : value >> 16;
  const std::uint64_t low = value & 0xFFFF;
  if (map == 1) mapped = (bankByte & 0x7F) * 0x8000 + low - 0x8000;
  if (map == 2) mapped = (bankByte & 0x3F) << 16 | low;
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(mapped) + base);
}

std::uint64_t RomPointers::ValueFor(std::uint64_t offset,
                                    std::uint64_t at) const {
  const std::int64_t base =
      add + (relative ? static_cast<std::int64_t>(at) : 0);
  const auto r =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(offset) - base);
  if (map == 0) return r;
  const std::uint64_t bankSize = BankSize();
  const std::uint64_t low = r % bankSize + (map == 1 ? 0x8000 : 0);
  if (size == 2) return low;
  return (r / bankSize | bank) << 16 | low;
}

std::uint64_t RomPointers::BankSize() const {
  return map == 1 ? 0x8000 : map == 2 ? 0x10000 : 0;
}

namespace {

// The pointer format of family `kind`, and where the world of its strings
// starts and how large it may be.
RomPointers Family(unsigned kind, std::mt19937& random, std::uint64_t* base) {
  RomPointers p;
  p.bigEndian = random() % 2 == 0;
  *base = 0;
  switch (kind % 8) {
    case 0:
      p.add = std::vector<std::int64_t>{0, 0x10, -0x7FF0}[random() % 3];
      break;
    case 1:
      p.relative = true;
      p.add = random() % 2 == 0 ? 0 : -2;
      break;
    case 2:
      p.size = 3;
      p.add = random() % 2 == 0 ? 0 : 0x200;
      break;
    case 3:
      p.size = 4;
      p.add = random() % 2 == 0 ? 0 : -0x8000000;
      break;
    case 4:
      p.size = 3;
      p.map = 1;
      p.bank = random() % 2 == 0 ? 0x80 : 0;
      p.add = random() % 2 == 0 ? 0 : 0x200;
      break;
    case 5:
      p.size = random() % 2 == 0 ? 3 : 4;
      p.map = 2;
      p.bank = 0xC0;
      break;
    case 6:
      p.map = 1;
      p.bank = random() % 2 == 0 ? 0x81 : 0x01;
      *base = 0x8000;
      break;
    default:
      p.map = 2;
      p.bank = 0xC1;
      *base = 0x10000;
      break;
  }
  p.stride = p.size + (random() % 3 == 0 ? random() % 3 : 0);
  // Values count from ADD: nothing before it can be reached.
  if (p.add > 0) *base = static_cast<std::uint64_t>(p.add);
  return p;
}

// A byte of code or data: any but FE, which after the end code FF would
// read as the plain table's code FF FE and carry a string on.
char JunkByte(std::mt19937& random) {
  const auto b = static_cast<unsigned char>(random());
  return static_cast<char>(b == 0xFE ? 0xFD : b);
}

void Junk(std::string& rom, std::mt19937& random, std::uint64_t most) {
  for (std::uint64_t n = random() % (most + 1); n > 0; --n) {
    rom.push_back(JunkByte(random));
  }
}

std::vector<RomUnit> Units(const RomSyntax& syntax, std::mt19937& random,
                           unsigned most) {
  std::vector<RomUnit> units;
  for (unsigned n = random() % (most + 1); n > 0; --n) {
    units.push_back(syntax.Unit(random));
  }
  return units;
}

std::string BytesOf(const std::vector<RomUnit>& units) {
  std::string bytes;
  for (const RomUnit& u : units) bytes += u.bytes;
  return bytes;
}

// Appends a string of `units` and the end code, and returns it.
RomString AddString(std::string& rom, std::vector<RomUnit> units,
                    const RomSyntax& syntax, bool inText) {
  RomString s;
  s.offset = rom.size();
  s.units = std::move(units);
  s.bytes = BytesOf(s.units) + syntax.End().bytes;
  s.inText = inText;
  rom += s.bytes;
  return s;
}

}  // namespace

GeneratedRom MakeRom(const RomSyntax& syntax, std::uint32_t seed,
                     unsigned kind) {
  std::mt19937 random(seed);
  GeneratedRom g;
  std::uint64_t base = 0;
  RomPointers& p = g.pointers = Family(kind, random, &base);
  std::string& rom = g.rom;
  while (rom.size() < base + 0x40) rom.push_back(JunkByte(random));
  Junk(rom, random, 0xC0);
  // The #TEXT block, perhaps with a last string that has no end code.
  const std::uint64_t textStart = rom.size();
  for (unsigned n = 1 + random() % 6; n > 0; --n) {
    g.strings.push_back(AddString(rom, Units(syntax, random, 8), syntax, true));
  }
  if (random() % 3 == 0) {
    RomString tail;
    tail.offset = rom.size();
    tail.units = Units(syntax, random, 3);
    tail.units.push_back(syntax.Unit(random));
    tail.bytes = BytesOf(tail.units);
    tail.inText = true;
    tail.ends = false;
    rom += tail.bytes;
    g.strings.push_back(tail);
  }
  const std::uint64_t textEnd = rom.size() - 1;
  Junk(rom, random, 0x40);
  g.tableStart = rom.size();
  g.slots = 3 + random() % 10;
  rom.resize(rom.size() + g.slots * p.stride, '\x5A');
  Junk(rom, random, 0x40);
  const std::uint64_t stringsStart = rom.size();
  const std::size_t first = g.strings.size();
  for (unsigned n = 2 + random() % 7; n > 0; --n) {
    g.strings.push_back(
        AddString(rom, Units(syntax, random, 10), syntax, false));
  }
  const std::size_t wholeStrings = g.strings.size() - first;
  Junk(rom, random, 0x80);
  // Free space; under a mapping across a bank boundary, which no string
  // placed there may cross.
  std::uint64_t freeStart = rom.size();
  if (p.map != 0 && p.size > 2) {
    const std::uint64_t bank = p.BankSize();
    const std::uint64_t add = static_cast<std::uint64_t>(p.add);
    const std::uint64_t before = 4 + random() % 0x40;
    const std::uint64_t boundary =
        ((freeStart + before - add) / bank + 1) * bank + add;
    freeStart = boundary - before;
  }
  while (rom.size() < freeStart) rom.push_back(JunkByte(random));
  g.freeStart = freeStart;
  rom.resize(freeStart + 0x300 + random() % 0x500, '\0');
  for (std::uint64_t i = freeStart; i < rom.size(); ++i) {
    rom[i] = random() % 3 == 0 ? JunkByte(random) : '\0';
  }
  g.freeEnd = rom.size() - 1;
  Junk(rom, random, 0x40);
  g.textEnd = textEnd;
  if (p.map == 0 && random() % 4 == 0) {
    p.window = std::make_pair(stringsStart, g.freeEnd);
  }
  // The pointers: to whole strings, into the middle of one, or outside.
  std::map<std::uint64_t, std::size_t> byOffset;
  for (std::size_t i = 0; i < g.strings.size(); ++i)
    byOffset[g.strings[i].offset] = i;
  g.slotString.assign(g.slots, std::nullopt);
  for (std::uint64_t k = 0; k < g.slots; ++k) {
    const std::uint64_t at = g.tableStart + k * p.stride;
    const unsigned pick = random() % 20;
    const RomString& whole = g.strings[first + random() % wholeStrings];
    std::uint64_t target = whole.offset;
    if (pick < 3 && whole.units.size() >= 2) {
      const std::size_t cut = 1 + random() % (whole.units.size() - 1);
      target =
          whole.offset + BytesOf({whole.units.begin(),
                                  whole.units.begin() + static_cast<long>(cut)})
                             .size();
      if (byOffset.count(target) == 0) {
        RomString middle;
        middle.offset = target;
        middle.units.assign(whole.units.begin() + static_cast<long>(cut),
                            whole.units.end());
        middle.bytes = BytesOf(middle.units) + syntax.End().bytes;
        byOffset[target] = g.strings.size();
        g.strings.push_back(middle);
      }
    } else if (pick == 3 && p.map == 0 && !p.relative && !p.window) {
      // Outside the ROM: extract notes and skips it, build leaves it.
      p.Write(rom, at, p.ValueFor(rom.size() + 3, at));
      continue;
    }
    p.Write(rom, at, p.ValueFor(target, at));
    g.slotString[k] = byOffset[target];
  }
  const bool end = !syntax.Extended() || random() % 2 == 0;
  const std::string endOption = end ? " END=FF" : "";
  g.layout = "#DALVREN 1\n#TEXT " + Hex(textStart) + "-" + Hex(textEnd) +
             endOption + "\n#POINTERS " + Hex(g.tableStart) + "-" +
             Hex(g.tableStart + g.slots * p.stride - 1) + " " + p.Options() +
             endOption + "\n#FREE " + Hex(g.freeStart) + "-" + Hex(g.freeEnd) +
             "\n";
  return g;
}

std::string TextOf(const std::vector<RomUnit>& units, const RomSyntax& syntax) {
  std::string text;
  for (const RomUnit& u : units) text += u.text;
  return text + syntax.End().text;
}

std::string ReplaceText(const std::string& script, std::uint64_t offset,
                        const std::string& text) {
  const std::string header = "#STRING " + Hex(offset) + " ";
  const std::size_t at = script.find("\n" + header);
  if (at == std::string::npos) return script;
  const std::size_t lineEnd = script.find('\n', at + 1);
  std::size_t next = script.find("\n#STRING ", lineEnd);
  next = next == std::string::npos ? script.size() : next + 1;
  return script.substr(0, lineEnd + 1) + text + "\n" + script.substr(next);
}

}  // namespace dalvren::test
