#include "rom/IpsPatch.h"

#include <algorithm>
#include <string_view>

namespace dalvren {

namespace {

constexpr std::string_view kHeader = "PATCH";
constexpr std::string_view kFooter = "EOF";
// The offset whose three bytes spell "EOF".
constexpr std::uint64_t kEofOffset = 0x454F46;
constexpr std::uint64_t kMostBytes = 0xFFFF;
// Joining two records costs the bytes between them; a record of its own
// costs a 5-byte header.
constexpr std::uint64_t kWorthJoining = 5;

void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<char>(value >> (8 * i)));
  }
}

// Writes the records of the target's ranges.
class CIpsWriter {
 public:
  CIpsWriter(std::span<const unsigned char> target, std::string& out)
      : target_(target), out_(out) {}

  // [start, end) as literal records and, where it pays, run records.
  void Region(std::uint64_t start, std::uint64_t end) {
    std::uint64_t literal = start;
    for (std::uint64_t i = start; i < end;) {
      std::uint64_t j = i + 1;
      while (j < end && target_[j] == target_[i]) ++j;
      // A run record costs 8 bytes; cutting a literal record in two costs
      // another 5-byte header.
      const bool first = i == literal;
      const bool last = j == end;
      const std::uint64_t worth = first && last ? 4 : first || last ? 9 : 14;
      if (j - i >= worth) {
        Literal(literal, i);
        Run(i, j);
        literal = j;
      }
      i = j;
    }
    Literal(literal, end);
  }

 private:
  void Literal(std::uint64_t start, std::uint64_t end) {
    while (start < end) {
      // One byte earlier, written again with the value it has anyway.
      if (start == kEofOffset) --start;
      const std::uint64_t n = std::min(kMostBytes, end - start);
      AppendBigEndian(out_, start, 3);
      AppendBigEndian(out_, n, 2);
      out_.append(reinterpret_cast<const char*>(target_.data() + start), n);
      start += n;
    }
  }

  void Run(std::uint64_t start, std::uint64_t end) {
    while (start < end) {
      if (start == kEofOffset) {
        const std::uint64_t stop = std::min(end, kEofOffset + 1);
        Literal(kEofOffset - 1, stop);
        start = stop;
        continue;
      }
      const std::uint64_t n = std::min(kMostBytes, end - start);
      AppendBigEndian(out_, start, 3);
      AppendBigEndian(out_, 0, 2);
      AppendBigEndian(out_, n, 2);
      out_.push_back(static_cast<char>(target_[start]));
      start += n;
    }
  }

  std::span<const unsigned char> target_;
  std::string& out_;
};

}  // namespace

CError MakeIps(std::span<const unsigned char> source,
               std::span<const unsigned char> target, std::string* patch) {
  const bool cut = target.size() < source.size();
  if (target.size() > kIpsReach || (cut && target.size() == kIpsReach)) {
    return CError::NoRoom(
        "a target of " + std::to_string(target.size()) +
        " bytes is beyond what an IPS patch reaches (16 MiB); write a BPS "
        "patch (.bps)");
  }
  const auto differs = [&](std::uint64_t i) {
    return target[i] != (i < source.size() ? source[i] : 0) ||
           (i + 1 == target.size() && i >= source.size());
  };
  std::string& out = *patch;
  out.assign(kHeader);
  CIpsWriter writer(target, out);
  for (std::uint64_t i = 0; i < target.size();) {
    if (!differs(i)) {
      ++i;
      continue;
    }
    // The region runs on while the bytes that do not differ between two
    // that do are too few to be worth a record of their own.
    std::uint64_t end = i + 1;
    for (std::uint64_t j = end; j < target.size() && j - end < kWorthJoining;
         ++j) {
      if (differs(j)) end = j + 1;
    }
    writer.Region(i, end);
    i = end;
  }
  out.append(kFooter);
  if (cut) AppendBigEndian(out, target.size(), 3);
  return {};
}

namespace {

CError Malformed(std::size_t at, const std::string& message) {
  return CError::Invalid("byte " + std::to_string(at) +
                         " of the patch: " + message);
}

std::uint64_t BigEndian(std::span<const unsigned char> bytes) {
  std::uint64_t value = 0;
  for (const unsigned char b : bytes) value = value << 8 | b;
  return value;
}

// Writes `count` bytes at `offset` of `target`, growing it with zeros.
template <typename Fill>
void WriteAt(std::string& target, std::uint64_t offset, std::uint64_t count,
             Fill&& fill) {
  if (target.size() < offset + count) target.resize(offset + count, '\0');
  fill(target.data() + offset);
}

}  // namespace

CError ApplyIps(std::span<const unsigned char> patch,
                std::span<const unsigned char> source, std::string* target) {
  const auto text = [&patch](std::size_t at, std::size_t n) {
    return std::string_view(reinterpret_cast<const char*>(patch.data()) + at,
                            n);
  };
  if (patch.size() < kHeader.size() || text(0, kHeader.size()) != kHeader) {
    return Malformed(0,
                     "this is no IPS patch: it does not start with \"PATCH\"");
  }
  std::string& out = *target;
  out.assign(reinterpret_cast<const char*>(source.data()), source.size());
  std::size_t at = kHeader.size();
  for (;;) {
    if (patch.size() - at < 3) {
      return Malformed(at, "the patch ends before its \"EOF\" marker");
    }
    if (text(at, 3) == kFooter) break;
    if (patch.size() - at < 5) {
      return Malformed(at, "the patch ends inside the header of a record");
    }
    const std::uint64_t offset = BigEndian(patch.subspan(at, 3));
    const std::uint64_t size = BigEndian(patch.subspan(at + 3, 2));
    if (size > 0) {
      if (patch.size() - at - 5 < size) {
        return Malformed(at, "the record holds " + std::to_string(size) +
                                 " bytes, but the patch ends after " +
                                 std::to_string(patch.size() - at - 5));
      }
      WriteAt(out, offset, size,
              [&](char* to) { std::copy_n(patch.data() + at + 5, size, to); });
      at += 5 + size;
      continue;
    }
    if (patch.size() - at < 8) {
      return Malformed(at, "the patch ends inside a run record");
    }
    const std::uint64_t run = BigEndian(patch.subspan(at + 5, 2));
    if (run == 0) return Malformed(at, "a run record of no bytes");
    const auto value = static_cast<char>(patch[at + 7]);
    WriteAt(out, offset, run, [&](char* to) { std::fill_n(to, run, value); });
    at += 8;
  }
  at += 3;
  if (patch.size() - at == 3) {
    out.resize(BigEndian(patch.subspan(at, 3)), '\0');
  } else if (patch.size() != at) {
    return Malformed(at, std::to_string(patch.size() - at) +
                             " bytes follow \"EOF\", where only a 3-byte "
                             "size may");
  }
  return {};
}

}  // namespace dalvren
