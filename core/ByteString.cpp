#include "core/ByteString.h"

#include <cstring>

#include "core/HexCodec.h"

namespace dalvren {

namespace {

// The terminator is not counted in `len`; size_t arithmetic keeps `n` + 1
// from overflowing for the largest counts.
std::unique_ptr<char[]> AllocateWithTerminator(std::int32_t n) {
  return std::make_unique<char[]>(static_cast<std::size_t>(n) + 1);
}

}  // namespace

CByteString::CByteString(std::int32_t n)
    : len(n < 0 ? 0 : n), data(AllocateWithTerminator(len)) {}

CByteString::CByteString(const char* text)
    : CByteString(
          text == nullptr ? 0 : static_cast<std::int32_t>(std::strlen(text))) {
  if (text != nullptr && len > 0) {
    std::memcpy(data.get(), text, static_cast<std::size_t>(len));
  }
}

CByteString::CByteString(const CByteString& other) : CByteString(other.len) {
  if (len > 0) {
    std::memcpy(data.get(), other.data.get(), static_cast<std::size_t>(len));
  }
}

std::unique_ptr<char[]> CByteString::ToHex() const {
  auto text = std::make_unique_for_overwrite<char[]>(
      2 * static_cast<std::size_t>(len) + 1);
  *WriteHex(Bytes(), text.get()) = '\0';
  return text;
}

std::unique_ptr<CByteString> NewByteString(const void* buffer,
                                           std::int32_t length) {
  if (buffer == nullptr || length <= 0) {
    return std::make_unique<CByteString>(0);
  }
  auto result = std::make_unique<CByteString>(length);
  std::memcpy(result->data.get(), buffer, static_cast<std::size_t>(length));
  return result;
}

}  // namespace dalvren
