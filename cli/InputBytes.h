// A whole input read into memory.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace dalvren {

// Bytes read whole, followed by one zero byte so that they can also be read
// as terminated text.
struct CInputBytes {
  [[nodiscard]] std::span<const unsigned char> Bytes() const {
    return {reinterpret_cast<const unsigned char*>(data.get()), size};
  }

  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

}  // namespace dalvren
