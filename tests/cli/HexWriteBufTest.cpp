#include <algorithm>
#include <ostream>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "cli/HexWriteBuf.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

TEST(HexWriteBuf, PiecesJoinToExactlyTheCoreRendering) {
  std::mt19937 random(7);
  std::string bytes(200000, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  const std::string whole = test::MakeString(bytes)->ToHex().get();
  // Single bytes, odd pieces and one piece larger than the internal one.
  for (const std::size_t piece :
       {std::size_t{1}, std::size_t{777}, std::size_t{70000}, bytes.size()}) {
    std::stringbuf sink;
    CHexWriteBuf hex(sink);
    std::ostream out(&hex);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      if (piece == 1) {
        out.put(bytes[at]);
      } else {
        out.write(bytes.data() + at, static_cast<std::streamsize>(
                                         std::min(piece, bytes.size() - at)));
      }
    }
    out.flush();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(sink.str(), whole) << "piece " << piece;
  }
}

}  // namespace
}  // namespace dalvren
