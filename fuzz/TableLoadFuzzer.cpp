// Loads arbitrary bytes as a table file, then translates arbitrary input
// through both dictionaries. Checks that every entry the loader reports is
// in the table afterwards (unless a later line replaced it) and that loading
// with and without an observer builds the same table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "core/CodeTable.h"

namespace dalvren {
namespace {

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::string Contents(const CByteString& s) {
  return {s.data.get(), static_cast<std::size_t>(s.len)};
}

std::string Translated(const CCodeDictionary& dict, const std::string& in) {
  std::ostringstream out;
  dict.Translate(out, AsBytes(in));
  return out.str();
}

void Require(bool condition) {
  if (!condition) std::abort();
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte says where the table ends and the text to translate
  // begins, so both parts evolve together.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const std::size_t split = size == 0 ? 0 : 1 + (size - 1) * data[0] / 256;
  const std::string file = all.substr(size == 0 ? 0 : 1, split);
  const std::string input = all.substr(std::min(size, 1 + split));

  std::streambuf* const savedErr = std::cerr.rdbuf(nullptr);
  std::map<std::string, std::string> forward;  // the last text of each code
  std::map<std::string, std::string> reverse;  // the last code of each text
  CLoadObserver observer;
  observer.onEntry = [&](std::size_t, const CByteString& code,
                         const CByteString& text) {
    Require(code.len > 0);
    forward[Contents(code)] = Contents(text);
    if (text.len > 0) reverse[Contents(text)] = Contents(code);
  };
  std::istringstream observed(file);
  auto table = Load(observed, observer);
  std::istringstream plain(file);
  auto plainTable = Load(plain);
  std::cerr.rdbuf(savedErr);

  for (const auto& [code, text] : forward) {
    const CByteString* found = table->forward->Find(AsBytes(code));
    Require(found != nullptr && Contents(*found) == text);
  }
  for (const auto& [text, code] : reverse) {
    const CByteString* found = table->reverse->Find(AsBytes(text));
    Require(found != nullptr && Contents(*found) == code);
  }
  Require(Translated(*table->forward, input) ==
          Translated(*plainTable->forward, input));
  Require(Translated(*table->reverse, input) ==
          Translated(*plainTable->reverse, input));
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
