#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/BpsPatch.h"
#include "rom/Crc32.h"
#include "rom/IpsPatch.h"
#include "rom/Patch.h"

namespace dalvren {
namespace {

using Bytes = std::vector<unsigned char>;

std::span<const unsigned char> Span(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

Bytes Random(std::mt19937& random, std::size_t size) {
  Bytes bytes(size);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
  return bytes;
}

bool Same(const std::string& made, const Bytes& wanted) {
  return made == std::string(wanted.begin(), wanted.end());
}

// The target made by `format` from `source`: patch, then apply.
std::string RoundTrip(PatchFormat format, const Bytes& source,
                      const Bytes& target, std::string* patch) {
  const CError made = MakePatch(format, source, target, patch);
  EXPECT_TRUE(made.IsOk()) << made.Message();
  std::string result;
  const CError applied = ApplyPatch(Span(*patch), source, &result);
  EXPECT_TRUE(applied.IsOk()) << applied.Message();
  return result;
}

// Pairs of ROMs as translations make them: bytes changed here and there,
// runs, a block moved, growth and truncation; and pairs with nothing in
// common.
std::vector<std::pair<Bytes, Bytes>> Pairs() {
  std::mt19937 random(2024);
  std::vector<std::pair<Bytes, Bytes>> pairs;
  for (const std::size_t size : {0, 1, 7, 100, 4096, 65536, 300000, 3 << 20}) {
    const Bytes source = Random(random, size);
    Bytes edited = source;
    for (std::size_t i = 0; i < size / 50 + 1 && size > 0; ++i) {
      const std::size_t at = random() % size;
      const std::size_t n =
          std::min<std::size_t>(random() % 300 + 1, size - at);
      const int kind = static_cast<int>(random() % 3);
      for (std::size_t k = 0; k < n; ++k) {
        edited[at + k] = kind == 0   ? static_cast<unsigned char>(random())
                         : kind == 1 ? 0xFF
                                     : source[(at + k + 777) % size];
      }
    }
    Bytes grown = edited;
    const Bytes more = Random(random, size / 3 + 5);
    grown.insert(grown.end(), more.begin(), more.end());
    grown.insert(grown.end(), 40, 0);  // ends with zeros: still written
    const Bytes cut(edited.begin(),
                    edited.begin() + static_cast<long>(size / 2));
    pairs.push_back({source, source});
    pairs.push_back({source, edited});
    pairs.push_back({source, grown});
    pairs.push_back({source, cut});
    pairs.push_back({source, Random(random, size)});
    pairs.push_back({{}, edited});
  }
  return pairs;
}

TEST(Patch, ApplyingADiffGivesTheNewRomInBothFormats) {
  for (const auto& [source, target] : Pairs()) {
    for (const PatchFormat format : {PatchFormat::kIps, PatchFormat::kBps}) {
      std::string patch;
      const std::string result = RoundTrip(format, source, target, &patch);
      ASSERT_TRUE(Same(result, target))
          << (format == PatchFormat::kIps ? "IPS " : "BPS ") << source.size()
          << " -> " << target.size();
    }
  }
}

// The records of an IPS patch, read independently: their offsets and sizes.
struct Record {
  std::uint64_t offset;
  std::uint64_t size;
  bool run;
};
std::vector<Record> Records(const std::string& patch) {
  std::vector<Record> records;
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint64_t>(static_cast<unsigned char>(patch[i]));
  };
  std::size_t at = 5;
  while (patch.compare(at, 3, "EOF") != 0) {
    const std::uint64_t offset =
        byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
    const std::uint64_t size = byte(at + 3) << 8 | byte(at + 4);
    if (size == 0) {
      records.push_back({offset, byte(at + 5) << 8 | byte(at + 6), true});
      at += 8;
    } else {
      records.push_back({offset, size, false});
      at += 5 + size;
    }
  }
  return records;
}

TEST(IpsPatch, NoRecordStartsWhereItsOffsetWouldReadAsEof) {
  constexpr std::size_t kEof = 0x454F46;
  const Bytes source(kEof + 0x20000, 0);
  // A byte, a run, and a long literal stretch whose 64 KiB pieces would
  // start a record there.
  std::vector<Bytes> targets(3, source);
  targets[0][kEof] = 1;
  for (std::size_t i = kEof; i < kEof + 100; ++i) targets[1][i] = 7;
  for (std::size_t i = kEof - 0xFFFF; i < kEof + 10; ++i) {
    targets[2][i] = static_cast<unsigned char>(i * 13 + 1);
  }
  for (const Bytes& target : targets) {
    std::string patch;
    const std::string result =
        RoundTrip(PatchFormat::kIps, source, target, &patch);
    EXPECT_TRUE(Same(result, target));
    for (const Record& r : Records(patch)) EXPECT_NE(r.offset, kEof);
  }
}

TEST(IpsPatch, ReachesSixteenMebibytesAndNoFurther) {
  const Bytes source(kIpsReach, 0);
  Bytes target = source;
  target.back() = 1;
  std::string patch;
  const std::string result =
      RoundTrip(PatchFormat::kIps, source, target, &patch);
  EXPECT_EQ(result.size(), kIpsReach);
  EXPECT_EQ(static_cast<unsigned char>(result.back()), 1);
  target.push_back(2);
  CError e = MakeIps(source, target, &patch);
  EXPECT_EQ(e.GetKind(), CError::Kind::kNoRoom);
  EXPECT_NE(e.Message().find(".bps"), std::string::npos) << e.Message();
  // A target of exactly 16 MiB from a larger source needs a size after EOF
  // that 24 bits cannot hold.
  e = MakeIps(target, source, &patch);
  EXPECT_EQ(e.GetKind(), CError::Kind::kNoRoom);
}

TEST(IpsPatch, WritesRunsAsRunRecordsAndJoinsCloseChanges) {
  Bytes source(5000, 0);
  Bytes target = source;
  for (std::size_t i = 1000; i < 3000; ++i) target[i] = 0xAA;
  std::string patch;
  ASSERT_TRUE(MakeIps(source, target, &patch).IsOk());
  // "PATCH", one run record, "EOF".
  EXPECT_EQ(patch.size(), 5u + 8u + 3u);
  // Two bytes three apart cost one record with the bytes between.
  target = source;
  target[10] = 1;
  target[14] = 2;
  ASSERT_TRUE(MakeIps(source, target, &patch).IsOk());
  ASSERT_EQ(Records(patch).size(), 1u);
  EXPECT_EQ(Records(patch)[0].size, 5u);
  // A shorter target ends with its size.
  ASSERT_TRUE(
      MakeIps(source, Bytes(source.begin(), source.begin() + 0x123), &patch)
          .IsOk());
  EXPECT_EQ(patch, std::string("PATCHEOF\x00\x01\x23", 11));
}

TEST(IpsPatch, RefusesAMalformedPatchNamingTheByte) {
  const struct {
    std::string patch;
    const char* message;
  } cases[] = {
      {"PATC", "byte 0 of the patch: this is no IPS patch"},
      {"PATCH", "byte 5 of the patch: the patch ends before its \"EOF\""},
      {std::string("PATCH\x00\x00\x10\x00", 9),
       "byte 5 of the patch: the patch ends inside the header"},
      {std::string("PATCH\x00\x00\x10\x00\x04"
                   "ab",
                   12),
       "byte 5 of the patch: the record holds 4 bytes, but the patch ends "
       "after 2"},
      {std::string("PATCH\x00\x00\x10\x00\x00\x00", 11),
       "byte 5 of the patch: the patch ends inside a run record"},
      {std::string("PATCH\x00\x00\x10\x00\x00\x00\x00\x41"
                   "EOF",
                   16),
       "byte 5 of the patch: a run record of no bytes"},
      {std::string("PATCH\x00\x00\x01\x00\x01"
                   "AEOF\x01",
                   15),
       "byte 14 of the patch: 1 bytes follow \"EOF\""},
  };
  const Bytes source(64, 0);
  for (const auto& c : cases) {
    std::string result;
    const CError e = ApplyIps(Span(c.patch), source, &result);
    EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid);
    EXPECT_NE(e.Message().find(c.message), std::string::npos)
        << "gave: " << e.Message();
  }
}

// A BPS patch built by hand after the format as published, so that the
// reader is checked against the format and not against the writer.
class HandBps {
 public:
  HandBps& Number(std::uint64_t data) {
    for (;;) {
      const std::uint64_t x = data & 0x7F;
      data >>= 7;
      if (data == 0) {
        bytes_.push_back(static_cast<char>(0x80 | x));
        return *this;
      }
      bytes_.push_back(static_cast<char>(x));
      --data;
    }
  }
  HandBps& Action(int kind, std::uint64_t length) {
    return Number((length - 1) << 2 | static_cast<std::uint64_t>(kind));
  }
  HandBps& Raw(const std::string& raw) {
    bytes_ += raw;
    return *this;
  }
  HandBps& Relative(std::int64_t delta) {
    return Number(static_cast<std::uint64_t>(delta < 0 ? -delta : delta) << 1 |
                  (delta < 0 ? 1 : 0));
  }
  // The footer for `source` and `target`, and the patch's own CRC-32.
  std::string Finish(const std::string& source, const std::string& target) {
    std::string patch = bytes_;
    for (const std::uint32_t crc : {Crc32(Span(source)), Crc32(Span(target))}) {
      for (int i = 0; i < 4; ++i)
        patch.push_back(static_cast<char>(crc >> (8 * i)));
    }
    const std::uint32_t own = Crc32(Span(patch));
    for (int i = 0; i < 4; ++i)
      patch.push_back(static_cast<char>(own >> (8 * i)));
    return patch;
  }

 private:
  std::string bytes_ = "BPS1";
};

TEST(BpsPatch, ReadsEachOfTheFourActionsAsTheFormatSays) {
  const std::string source = "abcdefgh";
  // SourceRead "ab", TargetRead "XY", SourceCopy "gh" (from +6), SourceCopy
  // "cd" (back 6 from where the last copy ended), TargetCopy 5 bytes from 6
  // ("cdcdc": it reads what it writes), TargetCopy 2 bytes from 0 (back 11).
  const std::string target = "abXYghcdcdcdcab";
  const std::string patch = HandBps()
                                .Number(source.size())
                                .Number(target.size())
                                .Number(3)
                                .Raw("meta")  // 3 bytes of metadata, "met"
                                .Action(0, 2)
                                .Action(1, 2)
                                .Raw("XY")
                                .Action(2, 2)
                                .Relative(6)
                                .Action(2, 2)
                                .Relative(-6)
                                .Action(3, 5)
                                .Relative(7)
                                .Action(3, 2)
                                .Relative(-12)
                                .Finish(source, target);
  std::string result;
  const CError e = ApplyBps(Span(patch), Span(source), &result);
  // The fourth metadata byte "a" reads as an action: no such patch is
  // valid, which shows the metadata size is honoured.
  EXPECT_FALSE(e.IsOk());
  const std::string good = HandBps()
                               .Number(source.size())
                               .Number(target.size())
                               .Number(4)
                               .Raw("meta")
                               .Action(0, 2)
                               .Action(1, 2)
                               .Raw("XY")
                               .Action(2, 2)
                               .Relative(6)
                               .Action(2, 2)
                               .Relative(-6)
                               .Action(3, 5)
                               .Relative(6)
                               .Action(3, 2)
                               .Relative(-11)
                               .Finish(source, target);
  ASSERT_TRUE(ApplyBps(Span(good), Span(source), &result).IsOk());
  EXPECT_EQ(result, target);
}

TEST(BpsPatch, NamesWhichOfTheThreeChecksFails) {
  const Bytes source = {1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes target = {1, 2, 9, 4, 5, 6, 7, 8, 10};
  std::string patch;
  MakeBps(source, target, &patch);
  std::string result;
  // Another ROM of the same size.
  CError e = ApplyBps(Span(patch), Bytes{1, 2, 3, 4, 5, 6, 7, 0}, &result);
  EXPECT_EQ(e.GetKind(), CError::Kind::kMismatch);
  EXPECT_NE(e.Message().find("this patch is for another ROM: CRC32 "),
            std::string::npos)
      << e.Message();
  // A patch damaged in transit.
  std::string damaged = patch;
  damaged[damaged.size() / 2] ^= 0x40;
  e = ApplyBps(Span(damaged), source, &result);
  EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid);
  EXPECT_NE(e.Message().find("the patch is damaged: its CRC32 is"),
            std::string::npos)
      << e.Message();
  // A patch whose target checksum is wrong but whose own is right.
  const std::string wrongTarget =
      HandBps()
          .Number(8)
          .Number(9)
          .Number(0)
          .Action(0, 8)
          .Action(1, 1)
          .Raw("\x0A")
          .Finish(std::string(source.begin(), source.end()), "not the target");
  e = ApplyBps(Span(wrongTarget), source, &result);
  EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid);
  EXPECT_NE(e.Message().find("the patched ROM's CRC32 is"), std::string::npos)
      << e.Message();
}

TEST(BpsPatch, RefusesActionsOutOfBoundsNamingTheByte) {
  const std::string source = "abcd";
  const std::string target = "abcdef";
  const struct {
    std::string patch;
    const char* message;
  } cases[] = {
      {"BPS", "byte 0 of the patch: this is no BPS patch"},
      {"BPS1\x84\x86\x80", "the patch ends before its sizes and footer"},
      {HandBps().Number(4).Number(6).Number(0).Action(0, 6).Finish(source,
                                                                   target),
       "byte 7 of the patch: the action reads past the end of the source"},
      {HandBps()
           .Number(4)
           .Number(6)
           .Number(0)
           .Action(1, 7)
           .Raw("abcdefg")
           .Finish(source, target),
       "byte 7 of the patch: the action writes past the target's 6 bytes"},
      {HandBps().Number(4).Number(6).Number(0).Action(1, 6).Raw("abc").Finish(
           source, target),
       "byte 7 of the patch: the action holds 6 bytes, but the actions end "
       "after 3"},
      {HandBps().Number(4).Number(6).Number(0).Action(2, 2).Relative(-1).Finish(
           source, target),
       "byte 8 of the patch: the copy starts outside the source"},
      {HandBps().Number(4).Number(6).Number(0).Action(2, 2).Relative(3).Finish(
           source, target),
       "byte 7 of the patch: the copy reads past the end of the source"},
      {HandBps()
           .Number(4)
           .Number(6)
           .Number(0)
           .Action(0, 1)
           .Action(3, 2)
           .Relative(1)
           .Finish(source, target),
       "byte 9 of the patch: the copy starts outside the bytes written so far"},
      {HandBps().Number(4).Number(6).Number(0).Action(0, 4).Finish(source,
                                                                   target),
       "byte 8 of the patch: the actions make 4 bytes, where the patch says 6"},
      {HandBps()
           .Number(4)
           .Number(6)
           .Number(0)
           .Raw("\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01")
           .Finish(source, target),
       "byte 7 of the patch: the number there is too large"},
      {HandBps().Number(4).Number(6).Number(0).Raw("\x01").Finish(source,
                                                                  target),
       "byte 7 of the patch: the number there runs into the footer"},
  };
  for (const auto& c : cases) {
    std::string result;
    const CError e = ApplyBps(Span(c.patch), Span(source), &result);
    EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid) << c.message;
    EXPECT_NE(e.Message().find(c.message), std::string::npos)
        << "gave: " << e.Message();
  }
}

TEST(BpsPatch, CopiesWhatMovedInsteadOfWritingItOut) {
  std::mt19937 random(3);
  const Bytes source = Random(random, 200000);
  Bytes target(source.begin() + 50000, source.end());
  target.insert(target.end(), source.begin(), source.begin() + 50000);
  std::string patch;
  MakeBps(source, target, &patch);
  EXPECT_LT(patch.size(), 100u);
  std::string result;
  ASSERT_TRUE(ApplyBps(Span(patch), source, &result).IsOk());
  EXPECT_TRUE(Same(result, target));
}

TEST(Patch, NamesAPatchOfNeitherFormat) {
  std::string result;
  const CError e = ApplyPatch(Span(std::string("UPS1....")), Bytes{}, &result);
  EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid);
  EXPECT_NE(e.Message().find("neither an IPS patch"), std::string::npos);
}

}  // namespace
}  // namespace dalvren
