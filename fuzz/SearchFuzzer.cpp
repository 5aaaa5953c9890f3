// Relative search and the multi-pattern search on inputs the fuzzer shapes:
// words over a few letters of two alphabets and "?", patterns over three
// byte values, ROMs of a few byte values (so that hits and near misses
// abound), and windows and contexts of a few bytes, so that every hit
// meets window boundaries. Both must find exactly what comparing at every
// offset finds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "rom/PatternSearch.h"
#include "rom/RelativeSearch.h"
#include "tests/support/RelativeSearchModel.h"

namespace dalvren {
namespace {

// Reads the fuzz input a byte at a time; zeros once it runs out.
class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size)
      : data_(data), size_(size) {}
  std::uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
  [[nodiscard]] std::size_t Left() const { return size_ - pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The rest of the input as a ROM whose bytes are `lo` plus the input byte
// modulo `spread`.
std::string Rom(ByteSource& source, unsigned lo, unsigned spread) {
  std::string rom;
  while (source.Left() > 0) {
    rom += static_cast<char>(lo + source.Next() % spread);
  }
  return rom;
}

void CheckRelative(ByteSource& source, const CRomSearchOptions& options) {
  static constexpr char kLetters[] = {'A', 'B', 'D', 'a', 'c', '?'};
  const unsigned width = 1 + source.Next() % 2;
  std::string word(1 + source.Next() % 6, 'A');
  for (char& c : word) c = kLetters[source.Next() % 6];
  std::unique_ptr<CRelativePattern> pattern;
  if (!CRelativePattern::Parse(word, {.width = width, .alphabet = ""}, &pattern)
           .IsOk()) {
    return;
  }
  const std::string rom = Rom(source, source.Next(), 1 + source.Next() % 6);
  const std::vector<unsigned char> bytes(rom.begin(), rom.end());
  const auto expected =
      test::ModelHits(bytes, test::ModelWord(word, "", width));
  std::vector<test::CModelHit> found;
  std::istringstream in(rom);
  const CError error =
      RelativeSearch(in, *pattern, options, [&](const CRelativeHit& hit) {
        found.push_back({hit.bytes.offset,
                         hit.order == CRelativePattern::ByteOrder::kLittle,
                         {hit.bases.begin(), hit.bases.end()}});
        if (!std::equal(hit.bytes.match.begin(), hit.bytes.match.end(),
                        bytes.begin() + static_cast<long>(hit.bytes.offset))) {
          std::abort();
        }
      });
  if (!error.IsOk() || found != expected) std::abort();
}

void CheckPatterns(ByteSource& source, const CRomSearchOptions& options) {
  std::vector<std::string> patterns(1 + source.Next() % 6);
  for (std::string& p : patterns) {
    p.resize(source.Next() % 5);
    for (char& c : p) c = static_cast<char>(source.Next() % 3);
  }
  const std::string rom = Rom(source, 0, 3);
  std::vector<std::pair<std::uint64_t, std::uint32_t>> expected;
  for (std::size_t at = 0; at < rom.size(); ++at) {
    for (std::uint32_t i = 0; i < patterns.size(); ++i) {
      const std::string& p = patterns[i];
      const bool first = std::find(patterns.begin(), patterns.end(), p) ==
                         patterns.begin() + i;
      if (!p.empty() && first && rom.compare(at, p.size(), p) == 0) {
        expected.emplace_back(at, i);
      }
    }
  }
  const CPatternSearch search(patterns);
  std::vector<std::pair<std::uint64_t, std::uint32_t>> found;
  std::istringstream in(rom);
  const CError error =
      search.Search(in, options, [&](const CPatternSearch::Hit& hit) {
        found.emplace_back(hit.bytes.offset, hit.pattern);
      });
  if (!error.IsOk() || found != expected) std::abort();
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteSource source(data, size);
  const std::uint8_t mode = source.Next();
  const CRomSearchOptions options = {.context = source.Next() % 6u,
                                     .block = 1u + source.Next() % 16u};
  if (mode % 2 == 0) {
    CheckRelative(source, options);
  } else {
    CheckPatterns(source, options);
  }
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
