#include "rom/DirectiveReader.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "rom/LayoutText.h"

namespace dalvren {

namespace {

constexpr std::string_view kNumberSyntax =
    "decimal, or hexadecimal after 0x or $";

CError Fail(std::size_t number, const std::string& message) {
  return CError::Invalid("line " + std::to_string(number) + ": " + message);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    words.push_back(text.substr(start, i - start));
  }
  return words;
}

CError Number(std::string_view word, std::size_t number, std::uint64_t* value) {
  const std::optional<std::uint64_t> parsed = ParseLayoutNumber(word);
  if (!parsed) {
    return Fail(number, Quoted(word) + " is not a number (" +
                            std::string(kNumberSyntax) + ")");
  }
  *value = *parsed;
  return {};
}

// START-END, both included.
CError Range(std::string_view word, std::size_t number, std::uint64_t* start,
             std::uint64_t* end) {
  const std::size_t dash = word.find('-');
  if (dash == std::string_view::npos) {
    return Fail(number, Quoted(word) + " is not a range START-END");
  }
  if (CError e = Number(word.substr(0, dash), number, start); !e.IsOk()) {
    return e;
  }
  if (CError e = Number(word.substr(dash + 1), number, end); !e.IsOk()) {
    return e;
  }
  if (*end < *start) {
    return Fail(number, "range " + Quoted(word) + " ends before it starts");
  }
  return {};
}

// The KEY=VALUE options and bare flags after a directive's fixed words.
class COptionWords {
 public:
  static CError Read(std::span<const std::string_view> words,
                     std::initializer_list<std::string_view> keys,
                     std::initializer_list<std::string_view> flags,
                     std::string_view directive, std::size_t number,
                     COptionWords* out) {
    for (const std::string_view word : words) {
      const std::size_t eq = word.find('=');
      const std::string_view key = word.substr(0, eq);
      const bool known =
          eq == std::string_view::npos
              ? std::find(flags.begin(), flags.end(), key) != flags.end()
              : std::find(keys.begin(), keys.end(), key) != keys.end();
      if (!known) {
        return Fail(number, "unknown option " + Quoted(word) + " for " +
                                std::string(directive));
      }
      if (out->Find(key) != nullptr) {
        return Fail(number, std::string(key) +
                                (eq == std::string_view::npos ? "" : "=") +
                                " is given twice");
      }
      out->options_.push_back(
          {key, eq == std::string_view::npos ? "" : word.substr(eq + 1), word});
    }
    return {};
  }

  struct Option {
    std::string_view key;
    std::string_view value;
    // As written, for messages.
    std::string_view word;
  };

  [[nodiscard]] const Option* Find(std::string_view key) const {
    for (const Option& o : options_) {
      if (o.key == key) return &o;
    }
    return nullptr;
  }

 private:
  std::vector<Option> options_;
};

// END=XX[,YY...]
CError EndCodes(const COptionWords& options, std::size_t number,
                std::vector<std::string>* codes) {
  const COptionWords::Option* end = options.Find("END");
  if (end == nullptr) return {};
  std::string_view rest = end->value;
  for (;;) {
    const std::size_t comma = rest.find(',');
    const std::optional<std::string> code =
        ParseByteCode(rest.substr(0, comma));
    if (!code) {
      return Fail(number, Quoted(end->word) +
                              " is not a list of end codes (pairs of "
                              "hexadecimal digits, separated by commas)");
    }
    codes->push_back(*code);
    if (comma == std::string_view::npos) return {};
    rest.remove_prefix(comma + 1);
  }
}

CError ReadText(std::span<const std::string_view> words, std::size_t number,
                CLayout* layout) {
  CLayout::Block block;
  block.line = number;
  if (words.empty()) return Fail(number, "#TEXT needs a range START-END");
  if (CError e = Range(words[0], number, &block.start, &block.end); !e.IsOk()) {
    return e;
  }
  COptionWords options;
  if (CError e = COptionWords::Read(words.subspan(1), {"END"}, {}, "#TEXT",
                                    number, &options);
      !e.IsOk()) {
    return e;
  }
  if (CError e = EndCodes(options, number, &block.endCodes); !e.IsOk()) {
    return e;
  }
  layout->blocks.push_back(std::move(block));
  return {};
}

CError ReadFormat(const COptionWords& options, std::size_t number,
                  CPointerFormat* format) {
  static constexpr struct {
    std::string_view word;
    unsigned size;
    bool bigEndian;
  } kFormats[] = {{"LE16", 2, false}, {"BE16", 2, true},  {"LE24", 3, false},
                  {"BE24", 3, true},  {"LE32", 4, false}, {"BE32", 4, true}};
  const COptionWords::Option* given = options.Find("FORMAT");
  for (const auto& f : kFormats) {
    if (given != nullptr && given->value == f.word) {
      format->size = f.size;
      format->bigEndian = f.bigEndian;
      format->stride = f.size;
      return {};
    }
  }
  return Fail(number,
              (given == nullptr ? std::string("#POINTERS needs FORMAT=")
                                : Quoted(given->word) + " is not a format") +
                  " (LE16, BE16, LE24, BE24, LE32 or BE32)");
}

CError ReadMap(const COptionWords& options, std::size_t number,
               CPointerFormat* format) {
  if (const COptionWords::Option* map = options.Find("MAP")) {
    if (map->value == "LOROM") {
      format->map = CPointerFormat::Map::kLoRom;
    } else if (map->value == "HIROM") {
      format->map = CPointerFormat::Map::kHiRom;
    } else {
      return Fail(number,
                  Quoted(map->word) + " is not a mapping (LOROM or HIROM)");
    }
  }
  const COptionWords::Option* bank = options.Find("BANK");
  if (bank != nullptr) {
    const std::optional<std::string> code = ParseByteCode(bank->value);
    if (!code || code->size() != 1) {
      return Fail(number, Quoted(bank->word) +
                              " is not a bank (two hexadecimal digits)");
    }
    format->bank = static_cast<std::uint8_t>((*code)[0]);
  }
  const bool mapped = format->map != CPointerFormat::Map::kNone;
  if (bank != nullptr && !mapped) {
    return Fail(number, "BANK= goes only with MAP=LOROM or MAP=HIROM");
  }
  if (mapped && format->size == 2 && bank == nullptr) {
    return Fail(number, "16-bit pointers under MAP= need BANK=XX");
  }
  if (bank != nullptr && format->size != 2) {
    return Fail(number,
                "BANK= is for 16-bit pointers; wider ones hold their bank");
  }
  if (mapped && format->relative) {
    return Fail(number, "RELATIVE does not go with MAP=");
  }
  return {};
}

// STRIDE=, ADD= and WINDOW=.
CError ReadPlacement(const COptionWords& options, std::size_t number,
                     CPointerFormat* format) {
  if (const COptionWords::Option* stride = options.Find("STRIDE")) {
    if (CError e = Number(stride->value, number, &format->stride); !e.IsOk()) {
      return e;
    }
    if (format->stride < format->size || format->stride > UINT32_MAX) {
      return Fail(number, Quoted(stride->word) +
                              ": the stride is at least the pointer's " +
                              std::to_string(format->size) +
                              " bytes and at most 4 GiB");
    }
  }
  if (const COptionWords::Option* add = options.Find("ADD")) {
    const std::optional<std::int64_t> value =
        ParseSignedLayoutNumber(add->value);
    constexpr std::int64_t kLimit = std::int64_t{1} << 48;
    if (!value || *value <= -kLimit || *value >= kLimit) {
      return Fail(number, Quoted(add->word) +
                              " is not a number within 2^48 either way (" +
                              std::string(kNumberSyntax) + ", with - before)");
    }
    format->add = *value;
  }
  if (const COptionWords::Option* window = options.Find("WINDOW")) {
    CPointerFormat::Zone zone;
    std::uint64_t last = 0;
    if (CError e = Range(window->value, number, &zone.start, &last);
        !e.IsOk()) {
      return e;
    }
    zone.end = last + 1;
    format->window = zone;
  }
  return {};
}

CError ReadPointers(std::span<const std::string_view> words, std::size_t number,
                    CLayout* layout) {
  CLayout::Block block;
  block.kind = CLayout::BlockKind::kPointers;
  block.line = number;
  if (words.empty()) return Fail(number, "#POINTERS needs a range START-END");
  if (CError e = Range(words[0], number, &block.start, &block.end); !e.IsOk()) {
    return e;
  }
  COptionWords options;
  if (CError e = COptionWords::Read(
          words.subspan(1),
          {"FORMAT", "STRIDE", "ADD", "MAP", "BANK", "WINDOW", "END"},
          {"RELATIVE"}, "#POINTERS", number, &options);
      !e.IsOk()) {
    return e;
  }
  CPointerFormat& format = block.pointers;
  format.relative = options.Find("RELATIVE") != nullptr;
  for (const auto read : {ReadFormat, ReadMap, ReadPlacement}) {
    if (CError e = read(options, number, &format); !e.IsOk()) return e;
  }
  if (CError e = EndCodes(options, number, &block.endCodes); !e.IsOk()) {
    return e;
  }
  if (block.SlotCount() == 0) {
    return Fail(number, "the range holds no whole pointer");
  }
  layout->blocks.push_back(std::move(block));
  return {};
}

CError ReadFree(std::span<const std::string_view> words, std::size_t number,
                CLayout* layout) {
  if (words.size() != 1) return Fail(number, "#FREE takes one range START-END");
  CLayout::Area area;
  area.line = number;
  if (CError e = Range(words[0], number, &area.start, &area.end); !e.IsOk()) {
    return e;
  }
  layout->free.push_back(area);
  return {};
}

CError ReadPad(std::span<const std::string_view> words, std::size_t number,
               CLayout* layout) {
  if (!layout->pad.empty()) return Fail(number, "#PAD is given twice");
  const std::optional<std::string> code =
      words.size() == 1 ? ParseByteCode(words[0]) : std::nullopt;
  if (!code) {
    return Fail(number,
                "#PAD takes one byte code (pairs of hexadecimal digits)");
  }
  layout->pad = *code;
  return {};
}

CError ReadRom(std::span<const std::string_view> words, std::size_t number,
               CLayout* layout) {
  if (layout->rom) return Fail(number, "#ROM is given twice");
  COptionWords options;
  if (CError e = COptionWords::Read(words, {"SIZE", "CRC32"}, {}, "#ROM",
                                    number, &options);
      !e.IsOk()) {
    return e;
  }
  const COptionWords::Option* size = options.Find("SIZE");
  const COptionWords::Option* crc = options.Find("CRC32");
  if (size == nullptr || crc == nullptr) {
    return Fail(number, "#ROM needs SIZE= and CRC32=");
  }
  CLayout::RomIdentity rom;
  rom.line = number;
  if (CError e = Number(size->value, number, &rom.size); !e.IsOk()) return e;
  const std::optional<std::string> bytes = ParseByteCode(crc->value);
  if (crc->value.size() != 8 || !bytes) {
    return Fail(number,
                Quoted(crc->word) + " is not a CRC-32 (8 hexadecimal digits)");
  }
  for (const char b : *bytes)
    rom.crc = rom.crc << 8 | static_cast<unsigned char>(b);
  layout->rom = rom;
  return {};
}

CError ReadVersion(std::span<const std::string_view> words,
                   std::size_t number) {
  if (number != 1)
    return Fail(number, "#DALVREN stands on the first line only");
  if (words.size() != 1 || words[0] != "1") {
    return Fail(
        number,
        "this program reads script files of version 1 (\"#DALVREN 1\")");
  }
  return {};
}

}  // namespace

CError ReadDirective(std::string_view text, std::size_t number,
                     CLayout* layout) {
  const std::vector<std::string_view> all = Words(text);
  const std::string_view word = all.front();
  const std::span<const std::string_view> rest =
      std::span<const std::string_view>(all).subspan(1);
  if (word == "#DALVREN") return ReadVersion(rest, number);
  if (word == "#ROM") return ReadRom(rest, number, layout);
  if (word == "#TEXT") return ReadText(rest, number, layout);
  if (word == "#POINTERS") return ReadPointers(rest, number, layout);
  if (word == "#FREE") return ReadFree(rest, number, layout);
  if (word == "#PAD") return ReadPad(rest, number, layout);
  return Fail(number, "unknown directive " + Quoted(word) +
                          " (the directives are #DALVREN, #ROM, #TEXT, "
                          "#POINTERS, #FREE, #PAD and #STRING)");
}

CError ReadStringDirective(std::string_view text, std::size_t number,
                           CScript* script) {
  const std::vector<std::string_view> words = Words(text);
  CScript::String* string = &script->strings.emplace_back();
  string->line = number;
  string->fromFirst = static_cast<std::uint32_t>(script->pointers.size());
  if (words.size() < 3) {
    return Fail(number, "#STRING needs an offset and a length");
  }
  if (CError e = Number(words[1], number, &string->offset); !e.IsOk()) return e;
  if (CError e = Number(words[2], number, &string->length); !e.IsOk()) return e;
  if (string->length == 0) return Fail(number, "a string has at least 1 byte");
  COptionWords options;
  if (CError e = COptionWords::Read(
          std::span<const std::string_view>(words).subspan(3), {"FROM"}, {},
          "#STRING", number, &options);
      !e.IsOk()) {
    return e;
  }
  const COptionWords::Option* from = options.Find("FROM");
  if (from == nullptr) return {};
  std::string_view rest = from->value;
  for (;;) {
    const std::size_t comma = rest.find(',');
    std::uint64_t at = 0;
    if (CError e = Number(rest.substr(0, comma), number, &at); !e.IsOk()) {
      return e;
    }
    script->pointers.push_back(at);
    ++string->fromCount;
    if (comma == std::string_view::npos) return {};
    rest.remove_prefix(comma + 1);
  }
}

bool IsDirectiveLine(std::string_view text) {
  return text.size() >= 2 && text[0] == '#' && text[1] >= 'A' && text[1] <= 'Z';
}

}  // namespace dalvren
