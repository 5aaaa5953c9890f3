// Command maps: plain tables from a command or control number to the member
// function that handles it, searched in order.
#pragma once

#include <cstddef>

namespace dalvren {

template <class T>
struct CCommandEntry {
  unsigned id;
  void (T::*handler)();
};

// Calls the handler of `id` in `map` on `target`; false when none handles it.
template <class T, std::size_t N>
bool DispatchCommand(T& target, const CCommandEntry<T> (&map)[N], unsigned id) {
  for (const CCommandEntry<T>& entry : map) {
    if (entry.id == id) {
      (target.*entry.handler)();
      return true;
    }
  }
  return false;
}

}  // namespace dalvren
