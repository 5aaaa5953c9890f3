#include "core/EntryId.h"

#include <cassert>

namespace dalvren {

CEntryId CEntryId::Of(std::string_view value) {
  assert(value.size() == kBytes);
  std::uint32_t index = 0;
  for (std::size_t i = 0; i < kBytes; ++i) {
    index |= static_cast<std::uint32_t>(static_cast<unsigned char>(value[i]))
             << (8 * i);
  }
  return CEntryId(index);
}

CEntryId CEntryId::Of(const CByteString& value) {
  return Of(
      std::string_view(value.data.get(), static_cast<std::size_t>(value.len)));
}

CByteString CEntryId::Value() const {
  CByteString value(static_cast<std::int32_t>(kBytes));
  for (std::size_t i = 0; i < kBytes; ++i) {
    value.data[i] = static_cast<char>((index_ >> (8 * i)) & 0xFF);
  }
  return value;
}

}  // namespace dalvren
