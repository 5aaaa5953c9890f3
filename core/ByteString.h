// A counted byte string: the one value type of the translation core.
//
// Invariants:
//   - `len` is never negative.
//   - `data` is never empty: it owns exactly `len` + 1 bytes, the first `len`
//     of which are the contents (zero bytes allowed anywhere) and the last of
//     which is always 0, so the contents can also be read as terminated text.
//   - The buffer belongs to this string alone; two strings never share one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace dalvren {

// The most bytes one string holds: its count is a signed 32-bit number.
// Inputs larger than this are refused rather than cut.
inline constexpr std::size_t kMaxByteStringLength = INT32_MAX;

class CByteString {
 public:
  // A string of `n` bytes, all zero, followed by the terminating zero. A
  // negative `n` counts as 0. The maker fills the contents afterwards.
  explicit CByteString(std::int32_t n);

  // A copy of the bytes of `text` up to its terminating zero byte. An absent
  // text gives the empty string.
  explicit CByteString(const char* text);

  // Same length, same bytes, a buffer of its own.
  CByteString(const CByteString& other);

  // Strings are handed around by owning pointer; assignment would only invite
  // accidental deep copies on hot paths.
  CByteString& operator=(const CByteString&) = delete;

  // The contents as hexadecimal text: two upper-case digits per byte, no
  // separators, followed by a terminating zero. The caller owns the result;
  // the empty string gives a one-byte buffer holding only the terminator.
  [[nodiscard]] std::unique_ptr<char[]> ToHex() const;

  // The contents as read-only bytes (without the terminator).
  [[nodiscard]] std::span<const unsigned char> Bytes() const {
    return {reinterpret_cast<const unsigned char*>(data.get()),
            static_cast<std::size_t>(len)};
  }

  std::int32_t len;
  std::unique_ptr<char[]> data;
};

// A new heap string holding a copy of `length` bytes of `buffer`, zero bytes
// included. An absent buffer or a length of 0 or less gives the empty string
// and reads nothing. The caller keeps ownership of `buffer`.
[[nodiscard]] std::unique_ptr<CByteString> NewByteString(const void* buffer,
                                                         std::int32_t length);

}  // namespace dalvren
