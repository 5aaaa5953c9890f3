// The number of an entry of an extended table (core/ExtendedTable.h) as its
// sections' dictionaries hold it: the value of a code or a word is the id of
// its entry, kBytes bytes, little-endian. The one place that packs and
// unpacks them.
//
// Invariant: a value read as an id is exactly kBytes long; every value of a
// section's `codes` and `words` is. Reading any other checks in debug and
// sanitizer builds (assert).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/ByteString.h"

namespace dalvren {

class CEntryId {
 public:
  static constexpr std::size_t kBytes = 4;

  explicit constexpr CEntryId(std::uint32_t index) : index_(index) {}

  // The id a dictionary value holds, from its bytes as the compiled forms
  // give them back, or from the value itself.
  [[nodiscard]] static CEntryId Of(std::string_view value);
  [[nodiscard]] static CEntryId Of(const CByteString& value);

  // The entry's index in the table's `entries`.
  [[nodiscard]] constexpr std::uint32_t Index() const { return index_; }

  // The dictionary value that stands for this id.
  [[nodiscard]] CByteString Value() const;

  friend constexpr bool operator==(CEntryId, CEntryId) = default;

 private:
  std::uint32_t index_;
};

}  // namespace dalvren
