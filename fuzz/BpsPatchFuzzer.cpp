// Arbitrary bytes as a BPS patch of a fixed ROM, as they come and with the
// checksums of source and patch made right so that the actions run: the
// reader must refuse or apply them within their bounds. And a target made
// from the input must diff and apply back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "rom/BpsPatch.h"
#include "rom/Crc32.h"

namespace dalvren {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::span<const unsigned char> Span(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

void AppendCrc(std::string& out, std::uint32_t crc) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(crc >> (8 * i)));
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<unsigned char> source = [] {
    std::vector<unsigned char> bytes(1024);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<unsigned char>(i * 13 + (i >> 5));
    }
    return bytes;
  }();
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string target;
  (void)ApplyBps(Span(input), source, &target);
  // The input as the body of a patch whose own checks pass up to the
  // target's.
  std::string patch = "BPS1" + input;
  AppendCrc(patch, Crc32(source));
  AppendCrc(patch, 0);
  AppendCrc(patch, Crc32(Span(patch)));
  if (ApplyBps(Span(patch), source, &target).IsOk()) {
    Require(Crc32(Span(target)) == 0);
  }
  // A target of the source's pieces and the input's bytes.
  std::string made;
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t at = data[i] * 4u % source.size();
    if (data[i] % 3 == 0) {
      made.append(reinterpret_cast<const char*>(source.data()) + at,
                  std::min<std::size_t>(40, source.size() - at));
    } else {
      made.push_back(static_cast<char>(data[i]));
    }
  }
  MakeBps(source, Span(made), &patch);
  std::string again;
  Require(ApplyBps(Span(patch), source, &again).IsOk());
  Require(again == made);
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
