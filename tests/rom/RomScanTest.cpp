#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/RomScan.h"

namespace dalvren {
namespace {

std::string Bytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(i * 7 + i / 256);
  }
  return bytes;
}

// Whatever the sizes, the windows visit every position once, in order, and
// each holds the image's own bytes with the context it promises.
TEST(RomScan, WindowsVisitEveryPositionOnceWithTheirContext) {
  for (const std::size_t size : {0, 1, 5, 63, 64, 65, 200}) {
    for (const std::size_t block : {0, 1, 3, 64}) {
      for (const std::size_t before : {0, 2, 10}) {
        for (const std::size_t after : {0, 1, 7}) {
          SCOPED_TRACE(testing::Message()
                       << size << " bytes, block " << block << ", " << before
                       << " before, " << after << " after");
          const std::string image = Bytes(size);
          std::istringstream in(image);
          std::uint64_t next = 0;
          const CError error = ScanRom(
              in, {.before = before, .after = after, .block = block},
              [&](const CRomWindow& w) {
                const std::uint64_t from = w.offset + w.from;
                const std::uint64_t to = w.offset + w.to;
                EXPECT_EQ(from, next);
                EXPECT_LT(w.from, w.to);
                EXPECT_LE(w.to - w.from, std::max<std::size_t>(block, 1));
                EXPECT_LE(w.bytes.size(),
                          before + std::max<std::size_t>(block, 1) + after);
                EXPECT_GE(w.from, std::min<std::uint64_t>(before, from));
                EXPECT_GE(w.bytes.size() - w.to,
                          std::min<std::uint64_t>(after, size - to));
                EXPECT_EQ(std::string(w.bytes.begin(), w.bytes.end()),
                          image.substr(w.offset, w.bytes.size()));
                next = to;
              });
          EXPECT_TRUE(error.IsOk()) << error.Message();
          EXPECT_EQ(next, size);
        }
      }
    }
  }
}

// A stream buffer that serves a few bytes and then fails, as a disk does.
class CFailingBuf : public std::streambuf {
 protected:
  int_type underflow() override {
    if (served_) throw std::runtime_error("I/O error");
    served_ = true;
    setg(bytes_, bytes_, bytes_ + sizeof bytes_);
    return traits_type::to_int_type(bytes_[0]);
  }

 private:
  char bytes_[10] = {};
  bool served_ = false;
};

TEST(RomScan, ReportsAReadErrorAsSuch) {
  CFailingBuf failing;
  std::istream in(&failing);
  const CError error = ScanRom(in, {.block = 4}, [](const CRomWindow&) {});
  EXPECT_EQ(error.GetKind(), CError::Kind::kIo);
}

TEST(RomScan, RefusesAnImageBeyondTheLimit) {
  for (const std::size_t block : {1, 16, 1000}) {
    std::istringstream fits(Bytes(100));
    EXPECT_TRUE(
        ScanRom(fits, {.block = block, .limit = 100}, [](const CRomWindow&) {
        }).IsOk());
    std::istringstream larger(Bytes(101));
    const CError error = ScanRom(larger, {.block = block, .limit = 100},
                                 [](const CRomWindow&) {});
    EXPECT_EQ(error.GetKind(), CError::Kind::kNoRoom) << block;
    EXPECT_NE(error.Message().find("larger than 100 bytes"), std::string::npos);
  }
}

}  // namespace
}  // namespace dalvren
