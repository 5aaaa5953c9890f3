// Builds a small dictionary from the fuzz input over a four-letter alphabet
// (so keys are often prefixes of each other) and checks translation against
// the obviously correct longest-match model.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "core/CodeTable.h"
#include "tests/support/NaiveLongestMatch.h"

namespace dalvren {
namespace {

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

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteSource source(data, size);
  std::map<std::string, std::string> model;
  CCodeDictionary dict;
  std::streambuf* const savedErr = std::cerr.rdbuf(nullptr);
  const int entries = source.Next() % 12;
  for (int i = 0; i < entries; ++i) {
    const std::string key = Word(source, 1 + source.Next() % 5);
    const std::string value = Word(source, source.Next() % 4);
    const auto k =
        NewByteString(key.data(), static_cast<std::int32_t>(key.size()));
    const auto v =
        NewByteString(value.data(), static_cast<std::int32_t>(value.size()));
    if (!dict.Insert(*k, *v)) std::abort();
    model[key] = value;
  }
  std::cerr.rdbuf(savedErr);
  std::string input;
  while (!source.Empty()) input += Word(source, 1);

  std::ostringstream out;
  dict.Translate(out, {reinterpret_cast<const unsigned char*>(input.data()),
                       input.size()});
  if (out.str() != test::NaiveLongestMatch(model, input)) std::abort();

  // The hooked and the shortest translations against the plain one: with a
  // skip counter the output is unchanged, and the shortest never skips more,
  // nor (skipping as much) writes more.
  const auto translate = [&](bool shortest, std::size_t& skipped) {
    CTranslateHooks hooks;
    hooks.onSkip = [&skipped](std::size_t, unsigned char, std::string&) {
      ++skipped;
    };
    std::ostringstream result;
    const std::span<const unsigned char> bytes(
        reinterpret_cast<const unsigned char*>(input.data()), input.size());
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
  if (greedy != out.str()) std::abort();
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
