// Builds a small dictionary from the fuzz input over a four-letter alphabet
// (so keys are often prefixes of each other, and some are long runs that
// nearly match everywhere) and checks translation on every path it can take
// against the obviously correct longest-match model, with and without hooks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <sstream>
#include <string>

#include "core/CodeTable.h"
#include "tests/support/NaiveLongestMatch.h"
#include "tests/support/TranslatePaths.h"

namespace dalvren {
namespace {

using Model = std::map<std::string, std::string>;

// Reads the fuzz input a byte at a time; zeros once it runs out.
class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size)
      : data_(data), size_(size) {}
  std::uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool Empty() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::string Word(ByteSource& source, std::size_t length) {
  static constexpr char kAlphabet[] = {'a', 'b', '\0', '\xff'};
  std::string word;
  for (std::size_t i = 0; i < length; ++i) word += kAlphabet[source.Next() % 4];
  return word;
}

// A key: mostly a short word; sometimes a long run of one letter with a
// short word after it, the kind of key that makes every walk long.
std::string Key(ByteSource& source) {
  const std::uint8_t shape = source.Next();
  if (shape % 8 != 0) return Word(source, 1 + shape % 5);
  const std::string run(1 + source.Next() % 64, 'a');
  return run + Word(source, source.Next() % 3);
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteSource source(data, size);
  Model model;
  CCodeDictionary dict;
  const int entries = source.Next() % 12;
  for (int i = 0; i < entries; ++i) {
    const std::string key = Key(source);
    const std::string value = Word(source, source.Next() % 16);
    const auto k =
        NewByteString(key.data(), static_cast<std::int32_t>(key.size()));
    const auto v =
        NewByteString(value.data(), static_cast<std::int32_t>(value.size()));
    bool replaced = false;
    if (!dict.Insert(*k, *v, replaced)) std::abort();
    model[key] = value;
  }
  std::string input;
  while (!source.Empty()) {
    const std::uint8_t piece = source.Next();
    // Now and then a long run of "a", which the long keys nearly match.
    input += piece % 16 == 0 ? std::string(piece % 200, 'a') : Word(source, 1);
  }
  const std::span<const unsigned char> bytes(
      reinterpret_cast<const unsigned char*>(input.data()), input.size());

  std::ostringstream out;
  dict.Translate(out, bytes);
  const std::string expected = test::NaiveLongestMatch(model, input);
  if (out.str() != expected) std::abort();

  // "b\0" is taken as one escape before the dictionary is asked; a skipped
  // byte shows its offset.
  CTranslateHooks marking;
  marking.before = [](std::span<const unsigned char> rest, std::string& emit) {
    if (rest.size() < 2 || rest[0] != 'b' || rest[1] != '\0') {
      return std::size_t{0};
    }
    emit = "<esc>";
    return std::size_t{2};
  };
  marking.onSkip = [](std::size_t offset, unsigned char, std::string& emit) {
    emit = "[" + std::to_string(offset) + "]";
  };
  const std::string hooked = test::NaiveLongestMatch(model, input, marking);
  for (const auto& path : test::TranslatePaths()) {
    if (test::TranslateOn(dict, input, path) != expected) std::abort();
    if (test::TranslateOn(dict, input, path, &marking) != hooked) std::abort();
  }

  // The hooked and the shortest translations against the plain one: with a
  // skip counter the output is unchanged, and the shortest never skips more,
  // nor (skipping as much) writes more.
  const auto translate = [&](bool shortest, std::size_t& skipped) {
    CTranslateHooks hooks;
    hooks.onSkip = [&skipped](std::size_t, unsigned char, std::string&) {
      ++skipped;
    };
    std::ostringstream result;
    if (shortest) {
      dict.TranslateShortest(result, bytes, hooks);
    } else {
      dict.Translate(result, bytes, hooks);
    }
    return result.str();
  };
  std::size_t greedySkipped = 0;
  std::size_t shortestSkipped = 0;
  const std::string greedy = translate(false, greedySkipped);
  const std::string shortest = translate(true, shortestSkipped);
  if (greedy != expected) std::abort();
  if (shortestSkipped > greedySkipped) std::abort();
  if (shortestSkipped == greedySkipped && shortest.size() > greedy.size()) {
    std::abort();
  }
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
