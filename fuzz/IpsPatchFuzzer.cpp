// Arbitrary bytes as an IPS patch of a fixed ROM: the reader must refuse or
// apply them within its bounds, and what it makes must diff and apply back
// to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "rom/IpsPatch.h"

namespace dalvren {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::span<const unsigned char> Span(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<unsigned char> source = [] {
    std::vector<unsigned char> bytes(2048);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<unsigned char>(i * 31 >> 2);
    }
    return bytes;
  }();
  std::string target;
  if (!ApplyIps({data, size}, source, &target).IsOk()) return 0;
  // The furthest a record reaches: a 24-bit offset and 65,535 bytes.
  Require(target.size() <= kIpsReach + 0xFFFF);
  std::string patch;
  if (!MakeIps(source, Span(target), &patch).IsOk()) {
    Require(target.size() >= kIpsReach);
    return 0;
  }
  std::string again;
  Require(ApplyIps(Span(patch), source, &again).IsOk());
  Require(again == target);
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
