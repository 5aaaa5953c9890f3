// Arbitrary script files through the reader. Whatever reads must write back
// and read again to the same strings; a layout that reads and fits a fixed
// ROM must extract to a script that builds that very ROM again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/ByteToken.h"
#include "rom/Build.h"
#include "rom/Extract.h"
#include "rom/ScriptReader.h"
#include "rom/ScriptWriter.h"

namespace dalvren {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

using Bytes = std::span<const unsigned char>;

// A codec without a table: lower-case letters are themselves, every other
// byte a token, and FF ends a string.
CRomCodec TokenCodec() {
  CRomCodec codec;
  codec.dump = [](Bytes bytes, std::string& text) {
    for (const unsigned char b : bytes) {
      if (b >= 'a' && b <= 'z') {
        text.push_back(static_cast<char>(b));
      } else {
        AppendByteToken(b, text);
      }
    }
  };
  codec.stringLength = [](Bytes bytes, std::span<const std::string> extra) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      if (bytes[at] == 0xFF) return at + 1;
      for (const std::string& code : extra) {
        if (bytes.size() - at >= code.size() &&
            std::equal(code.begin(), code.end(), bytes.begin() + at,
                       [](char c, unsigned char b) {
                         return static_cast<unsigned char>(c) == b;
                       })) {
          return at + code.size();
        }
      }
    }
    return std::size_t{0};
  };
  codec.insert = [](std::string_view text, std::string& bytes,
                    std::vector<CRomCodec::Drop>& drops,
                    std::vector<CRomCodec::Note>&) {
    const Bytes all(reinterpret_cast<const unsigned char*>(text.data()),
                    text.size());
    for (std::size_t at = 0; at < all.size();) {
      unsigned char b = 0;
      if (ReadByteToken(all.subspan(at), b)) {
        bytes.push_back(static_cast<char>(b));
        at += kByteTokenLength;
      } else if (all[at] >= 'a' && all[at] <= 'z') {
        bytes.push_back(static_cast<char>(all[at++]));
      } else {
        drops.push_back({at++, 1});
      }
    }
    return CError();
  };
  codec.endCodes = {"\xFF"};
  return codec;
}

std::vector<unsigned char> FixedRom() {
  std::vector<unsigned char> rom(4096);
  for (std::size_t i = 0; i < rom.size(); ++i) {
    const std::size_t k = i * 7 % 23;
    rom[i] = k == 0   ? 0xFF
             : k < 15 ? static_cast<unsigned char>('a' + k)
                      : static_cast<unsigned char>(i >> 3);
  }
  return rom;
}

bool EndsALineWithCr(const std::string& text) {
  for (std::size_t i = text.find('\r'); i != std::string::npos;
       i = text.find('\r', i + 1)) {
    if (i + 1 == text.size() || text[i + 1] == '\n') return true;
  }
  return false;
}

// Writes the strings back and reads them again.
void RequireRoundTrip(const CScript& script) {
  std::string file = "#DALVREN 1\n";
  for (const CScript::String& s : script.strings) {
    for (std::size_t i = 0; i <= s.text.size(); ++i) (void)s.PositionOf(i);
    AppendStringSection({s.offset, s.length, script.From(s), s.text, s.text},
                        file);
  }
  CScript again;
  Require(ReadScript(file, &again).IsOk());
  Require(again.strings.size() == script.strings.size());
  for (std::size_t i = 0; i < again.strings.size(); ++i) {
    const CScript::String& s = script.strings[i];
    Require(again.strings[i].offset == s.offset);
    const auto from = script.From(s);
    const auto fromAgain = again.From(again.strings[i]);
    Require(std::equal(from.begin(), from.end(), fromAgain.begin(),
                       fromAgain.end()));
    Require(EndsALineWithCr(s.text) || again.strings[i].text == s.text);
  }
}

void RequireExtractBuildsTheSameRom(const CScript& layout) {
  static const std::vector<unsigned char> rom = FixedRom();
  static const CRomCodec codec = TokenCodec();
  std::ostringstream out;
  CExtractResult extracted;
  if (!Extract(layout.layout, rom, codec, out, &extracted).IsOk()) return;
  CScript script;
  Require(ReadScript(out.str(), &script).IsOk());
  Require(script.strings.size() == extracted.strings);
  CBuildResult built;
  std::vector<unsigned char> same = rom;
  Require(Build(script, same, codec, {}, &built).IsOk());
  Require(same == rom);
  // Every other text longer by a letter, every other one shorter: the
  // strings move, shrink and share. Whatever the build says, it keeps to
  // the ROM's size, and it changes nothing when it fails.
  for (std::size_t i = 0; i < script.strings.size(); ++i) {
    std::string& text = script.strings[i].text;
    const std::size_t end =
        text.ends_with("<$FF>") ? text.size() - 5 : text.size();
    if (i % 2 == 0) {
      text.insert(end, "z");
    } else if (end > 0 && text[end - 1] >= 'a' && text[end - 1] <= 'z') {
      text.erase(end - 1, 1);
    }
  }
  std::vector<unsigned char> edited = rom;
  CBuildResult result;
  if (!Build(script, edited, codec, {}, &result).IsOk()) Require(edited == rom);
  Require(edited.size() == rom.size());
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  CScript script;
  if (!ReadScript(file, &script).IsOk()) return 0;
  for (const CLayout::Block& block : script.layout.blocks) {
    Require(block.start <= block.end);
    if (block.kind == CLayout::BlockKind::kPointers) {
      Require(block.pointers.stride >= block.pointers.size);
      Require(block.SlotCount() > 0);
    }
  }
  RequireRoundTrip(script);
  if (script.strings.empty()) RequireExtractBuildsTheSameRom(script);
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
