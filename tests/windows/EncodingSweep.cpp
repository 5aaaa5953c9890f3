// Prints what the converter's table encodings make of every text of one and
// of two bytes, for each name the Windows build knows: with the line-break
// escapes off, and on with "\n" after each text. Built for both systems;
// tests/windows/encoding-sweep-test.sh compares the two outputs, which must
// be the same byte for byte. A name alone on its line sweeps only the texts
// of one byte, for an alias of a set swept in full.
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "cli/StandardStreams.h"
#include "cli/TableEncoding.h"
#include "core/SpacedHex.h"

namespace dalvren {
namespace {

// The sets in full, then an alias of each that has one.
constexpr std::string_view kSets[] = {
    "Shift_JIS",    "CP932",        "EUC-JP",       "GBK",
    "Big5",         "windows-1250", "windows-1251", "windows-1252",
    "windows-1253", "windows-1254", "windows-1256", "windows-1257",
    "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",
    "ISO-8859-9",   "ISO-8859-13",  "ISO-8859-15",  "UTF-8",
    "UTF-16"};
constexpr std::string_view kAliases[] = {
    "sjis",       "MS_KANJI", "WINDOWS-31J", "EUCJP",  "CP936",
    "BIG-5",      "CP1250",   "CP1252",      "LATIN1", "latin2",
    "ISO8859-15", "UTF8",     "UCS-2LE"};

void Sweep(std::string_view name, bool escapes, bool full) {
  std::unique_ptr<CTableEncoding> encoding;
  const CStatus opened = CTableEncoding::Open(
      std::string(name), {.lineBreakEscapes = escapes}, &encoding);
  std::cout << "== " << name << (escapes ? " with escapes" : "") << ": "
            << (opened.IsOk() ? "open" : opened.Message()) << '\n';
  if (!opened.IsOk()) return;
  const auto show = [&](std::string text) {
    if (escapes) text += "\\n";
    std::cout << SpacedHex(text, text.size()) << " -> ";
    std::string converted = text;
    const CStatus status = encoding->Convert(converted);
    std::cout << (status.IsOk() ? SpacedHex(converted, converted.size())
                                : "! " + status.Message())
              << '\n';
  };
  for (int first = 0; first < 256; ++first) {
    show(std::string(1, static_cast<char>(first)));
  }
  if (!full) return;
  for (int first = 0x80; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      show({static_cast<char>(first), static_cast<char>(second)});
    }
  }
}

}  // namespace
}  // namespace dalvren

int main() {
  const dalvren::CStandardStreams streams;
  for (const std::string_view name : dalvren::kSets) {
    dalvren::Sweep(name, false, true);
    dalvren::Sweep(name, true, true);
  }
  for (const std::string_view name : dalvren::kAliases) {
    dalvren::Sweep(name, false, false);
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
