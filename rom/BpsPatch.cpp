#include "rom/BpsPatch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/ByteString.h"
#include "rom/Crc32.h"
#include "rom/LayoutText.h"

namespace dalvren {

namespace {

constexpr std::string_view kMagic = "BPS1";
constexpr std::size_t kFooterSize = 12;

enum Action : std::uint64_t {
  kSourceRead = 0,
  kTargetRead = 1,
  kSourceCopy = 2,
  kTargetCopy = 3
};

// The length of a source stretch hashed to find copies; the source is
// sampled every kSampleStep bytes, so any common stretch of kWindow +
// kSampleStep - 1 bytes is found.
constexpr std::size_t kWindow = 16;
constexpr std::size_t kSampleStep = 16;
// How far ahead the index is fetched into the cache.
constexpr std::size_t kAhead = 8;

std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v = 0;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint64_t HashAt(const unsigned char* p) {
  const std::uint64_t h =
      Load64(p) * 0x9E3779B97F4A7C15u ^ Load64(p + 8) * 0xC2B2AE3D27D4EB4Fu;
  return h ^ (h >> 29);
}

// Source offsets by the hash of the kWindow bytes there, sampled. A slot
// holds the sample's number + 1 (0: empty) and, in its low bits, a few more
// bits of the hash, so that most lookups that find nothing are settled
// without reading the source.
class CSourceIndex {
 public:
  explicit CSourceIndex(std::span<const unsigned char> source)
      : source_(source) {
    const std::size_t samples = source.size() / kSampleStep + 1;
    std::size_t size = 1024;
    while (size < 2 * samples) size *= 2;
    slots_.assign(size, 0);
    mask_ = size - 1;
    for (std::size_t p = 0; p + kWindow <= source.size(); p += kSampleStep) {
      const std::uint64_t hash = HashAt(source.data() + p);
      std::uint32_t& slot = slots_[hash & mask_];
      if (slot == 0) slot = Slot(p / kSampleStep + 1, hash);
    }
  }

  // Loads the slot of the bytes at `p` into the cache, ahead of Find.
  void Prefetch(const unsigned char* p) const {
    __builtin_prefetch(&slots_[HashAt(p) & mask_]);
  }

  // A source offset whose kWindow bytes equal those at `p`, or SIZE_MAX.
  [[nodiscard]] std::size_t Find(const unsigned char* p) const {
    const std::uint64_t hash = HashAt(p);
    const std::uint32_t slot = slots_[hash & mask_];
    if (slot == 0 || (slot & kCheckMask) != Check(hash)) return SIZE_MAX;
    const std::size_t at = ((slot >> kCheckBits) - 1) * kSampleStep;
    return std::memcmp(source_.data() + at, p, kWindow) == 0 ? at : SIZE_MAX;
  }

 private:
  // Sources are below 2 GiB, so a sample's number takes 27 bits.
  static constexpr unsigned kCheckBits = 5;
  static constexpr std::uint32_t kCheckMask = (1u << kCheckBits) - 1;

  static std::uint32_t Check(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> (64 - kCheckBits));
  }
  static std::uint32_t Slot(std::size_t number, std::uint64_t hash) {
    return static_cast<std::uint32_t>(number << kCheckBits) | Check(hash);
  }

  std::span<const unsigned char> source_;
  std::vector<std::uint32_t> slots_;
  std::size_t mask_ = 0;
};

void AppendNumber(std::string& out, std::uint64_t data) {
  for (;;) {
    const auto x = static_cast<unsigned char>(data & 0x7F);
    data >>= 7;
    if (data == 0) {
      out.push_back(static_cast<char>(0x80 | x));
      return;
    }
    out.push_back(static_cast<char>(x));
    --data;
  }
}

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>(value >> (8 * i)));
}

// How many bytes from `a` and `b` on are equal, up to `most`.
std::size_t CommonLength(const unsigned char* a, const unsigned char* b,
                         std::size_t most) {
  std::size_t n = 0;
  while (n + 8 <= most && Load64(a + n) == Load64(b + n)) n += 8;
  while (n < most && a[n] == b[n]) ++n;
  return n;
}

// Chooses the actions, from the first target byte to the last.
class CBpsWriter {
 public:
  CBpsWriter(std::span<const unsigned char> source,
             std::span<const unsigned char> target, std::string& out)
      : source_(source), target_(target), out_(out), index_(source) {}

  void Run() {
    while (at_ < target_.size()) {
      if (!SourceRead() && !RepeatRun() && !SourceCopy()) ++at_;
    }
    Flush();
  }

 private:
  void Action(Action kind, std::uint64_t length) {
    AppendNumber(out_, (length - 1) << 2 | kind);
  }

  // The offset of a copy, relative to where the last copy of its kind ended.
  void Relative(std::int64_t& last, std::uint64_t from) {
    const std::int64_t delta = static_cast<std::int64_t>(from) - last;
    AppendNumber(out_, static_cast<std::uint64_t>(delta < 0 ? -delta : delta)
                               << 1 |
                           (delta < 0 ? 1 : 0));
  }

  // The bytes since the last action, written out.
  void Flush() {
    if (at_ == literal_) return;
    Action(kTargetRead, at_ - literal_);
    out_.append(reinterpret_cast<const char*>(target_.data() + literal_),
                at_ - literal_);
    literal_ = at_;
  }

  // Bytes equal at the same offset in the source.
  bool SourceRead() {
    if (at_ >= source_.size()) return false;
    const std::size_t n =
        CommonLength(source_.data() + at_, target_.data() + at_,
                     std::min(source_.size(), target_.size()) - at_);
    // Inside written-out bytes a short read costs more than it saves.
    if (n == 0 || (at_ > literal_ && n < 4)) return false;
    Flush();
    Action(kSourceRead, n);
    at_ += n;
    literal_ = at_;
    return true;
  }

  // A run of the byte before, copied from the target one byte behind.
  bool RepeatRun() {
    if (at_ == 0) return false;
    const unsigned char b = target_[at_ - 1];
    std::size_t n = 0;
    while (at_ + n < target_.size() && target_[at_ + n] == b) ++n;
    if (n < 8) return false;
    Flush();
    Action(kTargetCopy, n);
    Relative(targetRelative_, at_ - 1);
    targetRelative_ = static_cast<std::int64_t>(at_ - 1 + n);
    at_ += n;
    literal_ = at_;
    return true;
  }

  // A stretch the source holds elsewhere, taken back into the bytes before
  // it as far as they match too.
  bool SourceCopy() {
    if (at_ + kWindow > target_.size()) return false;
    // The lookups of written-out bytes follow one another; the slot a few
    // bytes ahead is fetched while this one is looked at.
    if (at_ + kAhead + kWindow <= target_.size()) {
      index_.Prefetch(target_.data() + at_ + kAhead);
    }
    std::size_t from = index_.Find(target_.data() + at_);
    if (from == SIZE_MAX) return false;
    std::size_t n =
        CommonLength(source_.data() + from, target_.data() + at_,
                     std::min(source_.size() - from, target_.size() - at_));
    while (at_ > literal_ && from > 0 &&
           source_[from - 1] == target_[at_ - 1]) {
      --at_;
      --from;
      ++n;
    }
    Flush();
    Action(kSourceCopy, n);
    Relative(sourceRelative_, from);
    sourceRelative_ = static_cast<std::int64_t>(from + n);
    at_ += n;
    literal_ = at_;
    return true;
  }

  std::span<const unsigned char> source_;
  std::span<const unsigned char> target_;
  std::string& out_;
  CSourceIndex index_;
  // The next target byte, and the first not yet written by an action.
  std::size_t at_ = 0;
  std::size_t literal_ = 0;
  std::int64_t sourceRelative_ = 0;
  std::int64_t targetRelative_ = 0;
};

CError Malformed(std::size_t at, const std::string& message) {
  return CError::Invalid("byte " + std::to_string(at) +
                         " of the patch: " + message);
}

std::uint32_t LittleEndian32(std::span<const unsigned char> bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
         std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
}

// Reads the patch's numbers and bytes up to its footer.
class CBpsReader {
 public:
  CBpsReader(std::span<const unsigned char> patch, std::size_t at)
      : patch_(patch), at_(at), end_(patch.size() - kFooterSize) {}

  [[nodiscard]] std::size_t At() const { return at_; }
  [[nodiscard]] std::size_t Left() const { return end_ - at_; }
  void Skip(std::size_t n) { at_ += n; }

  CError Number(std::uint64_t* value) {
    const std::size_t start = at_;
    std::uint64_t data = 0;
    std::uint64_t shift = 1;
    for (;;) {
      if (at_ >= end_) {
        return Malformed(start, "the number there runs into the footer");
      }
      const unsigned char x = patch_[at_++];
      // 2^56 and more cannot be any size or offset of a ROM.
      if (shift > (std::uint64_t{1} << 49)) {
        return Malformed(start, "the number there is too large");
      }
      data += (x & 0x7F) * shift;
      if ((x & 0x80) != 0) break;
      shift <<= 7;
      data += shift;
    }
    *value = data;
    return {};
  }

  // A copy's offset: its last offset moved by the signed number here,
  // within [0, limit).
  CError Offset(std::int64_t& last, std::uint64_t limit, const char* what) {
    const std::size_t start = at_;
    std::uint64_t data = 0;
    if (CError e = Number(&data); !e.IsOk()) return e;
    const auto magnitude = static_cast<std::int64_t>(data >> 1);
    last += (data & 1) != 0 ? -magnitude : magnitude;
    if (last < 0 || static_cast<std::uint64_t>(last) >= limit) {
      return Malformed(start,
                       std::string("the copy starts outside the ") + what);
    }
    return {};
  }

 private:
  std::span<const unsigned char> patch_;
  std::size_t at_;
  std::size_t end_;
};

// The actions, from the reader's place to the footer, into `out`.
CError RunActions(CBpsReader& reader, std::span<const unsigned char> patch,
                  std::span<const unsigned char> source,
                  std::uint64_t targetSize, std::string& out) {
  std::int64_t sourceRelative = 0;
  std::int64_t targetRelative = 0;
  while (reader.Left() > 0) {
    const std::size_t at = reader.At();
    std::uint64_t data = 0;
    if (CError e = reader.Number(&data); !e.IsOk()) return e;
    const std::uint64_t length = (data >> 2) + 1;
    const std::size_t done = out.size();
    if (length > targetSize - done) {
      return Malformed(at, "the action writes past the target's " +
                               std::to_string(targetSize) + " bytes");
    }
    const auto kind = static_cast<Action>(data & 3);
    const unsigned char* from = nullptr;
    if (kind == kSourceRead) {
      if (length > source.size() || done > source.size() - length) {
        return Malformed(at, "the action reads past the end of the source");
      }
      from = source.data() + done;
    } else if (kind == kTargetRead) {
      if (length > reader.Left()) {
        return Malformed(at, "the action holds " + std::to_string(length) +
                                 " bytes, but the actions end after " +
                                 std::to_string(reader.Left()));
      }
      from = patch.data() + reader.At();
      reader.Skip(length);
    } else if (kind == kSourceCopy) {
      if (CError e = reader.Offset(sourceRelative, source.size(), "source");
          !e.IsOk()) {
        return e;
      }
      const auto start = static_cast<std::uint64_t>(sourceRelative);
      if (length > source.size() - start) {
        return Malformed(at, "the copy reads past the end of the source");
      }
      from = source.data() + start;
      sourceRelative += static_cast<std::int64_t>(length);
    }
    out.resize(done + length);
    if (from != nullptr) {
      std::memcpy(out.data() + done, from, length);
      continue;
    }
    if (CError e = reader.Offset(targetRelative, done, "bytes written so far");
        !e.IsOk()) {
      return e;
    }
    // Byte by byte: a copy may read what it writes, repeating a pattern.
    for (std::uint64_t i = 0; i < length; ++i) {
      out[done + i] = out[static_cast<std::size_t>(targetRelative) + i];
    }
    targetRelative += static_cast<std::int64_t>(length);
  }
  if (out.size() != targetSize) {
    return Malformed(reader.At(), "the actions make " +
                                      std::to_string(out.size()) +
                                      " bytes, where the patch says " +
                                      std::to_string(targetSize));
  }
  return {};
}

}  // namespace

void MakeBps(std::span<const unsigned char> source,
             std::span<const unsigned char> target, std::string* patch) {
  std::string& out = *patch;
  out.assign(kMagic);
  AppendNumber(out, source.size());
  AppendNumber(out, target.size());
  AppendNumber(out, 0);
  CBpsWriter(source, target, out).Run();
  AppendLittleEndian32(out, Crc32(source));
  AppendLittleEndian32(out, Crc32(target));
  AppendLittleEndian32(
      out,
      Crc32({reinterpret_cast<const unsigned char*>(out.data()), out.size()}));
}

CError ApplyBps(std::span<const unsigned char> patch,
                std::span<const unsigned char> source, std::string* target) {
  if (patch.size() < kMagic.size() ||
      std::memcmp(patch.data(), kMagic.data(), kMagic.size()) != 0) {
    return Malformed(0,
                     "this is no BPS patch: it does not start with \"BPS1\"");
  }
  if (patch.size() < kMagic.size() + 3 + kFooterSize) {
    return Malformed(patch.size(),
                     "the patch ends before its sizes and footer");
  }
  const std::span<const unsigned char> footer = patch.last(kFooterSize);
  const std::uint32_t said = LittleEndian32(footer.subspan(8));
  const std::uint32_t crc = Crc32(patch.first(patch.size() - 4));
  if (crc != said) {
    return Malformed(patch.size() - 4, "the patch is damaged: its CRC32 is " +
                                           Crc32Text(crc) + ", where it says " +
                                           Crc32Text(said));
  }
  CBpsReader reader(patch, kMagic.size());
  std::uint64_t sizes[3] = {};
  for (std::uint64_t& size : sizes) {
    if (CError e = reader.Number(&size); !e.IsOk()) return e;
  }
  const auto [sourceSize, targetSize, metadata] = sizes;
  if (metadata > reader.Left()) {
    return Malformed(reader.At(), "the metadata runs into the footer");
  }
  reader.Skip(metadata);
  const std::uint32_t sourceCrc = LittleEndian32(footer);
  const std::uint32_t actual = Crc32(source);
  if (sourceSize != source.size() || sourceCrc != actual) {
    return CError::Mismatch(
        "this patch is for another ROM: CRC32 " + Crc32Text(sourceCrc) + " (" +
        std::to_string(sourceSize) + " bytes), and this one has CRC32 " +
        Crc32Text(actual) + " (" + std::to_string(source.size()) + " bytes)");
  }
  if (targetSize > kMaxByteStringLength) {
    return Malformed(
        kMagic.size(),
        "a target of " + std::to_string(targetSize) + " bytes is beyond 2 GiB");
  }
  std::string& out = *target;
  out.clear();
  out.reserve(std::min<std::uint64_t>(targetSize, std::uint64_t{1} << 28));
  if (CError e = RunActions(reader, patch, source, targetSize, out);
      !e.IsOk()) {
    return e;
  }
  const std::uint32_t targetCrc = LittleEndian32(footer.subspan(4));
  const std::uint32_t made =
      Crc32({reinterpret_cast<const unsigned char*>(out.data()), out.size()});
  if (made != targetCrc) {
    return Malformed(patch.size() - 8,
                     "the patched ROM's CRC32 is " + Crc32Text(made) +
                         ", where the patch says " + Crc32Text(targetCrc) +
                         ": the patch is damaged");
  }
  return {};
}

}  // namespace dalvren
