// Character-set conversions made up for tests of the guess at a table's
// character set, so that they need no converter of the system.
#pragma once

#include <map>
#include <string>

#include "core/CharsetGuess.h"

namespace dalvren::test {

// Conversions from the sets named in `unreadable` only: a set reads a text
// that holds none of the bytes its entry lists, and makes it `output`.
inline CCharsetGuess::ConverterFor FakeSets(
    const std::map<std::string, std::string>& unreadable,
    const std::string& output = "ok") {
  return [unreadable, output](const std::string& name) {
    const auto it = unreadable.find(name);
    if (it == unreadable.end()) return CCharsetGuess::Converter();
    const std::string bad = it->second;
    return CCharsetGuess::Converter([bad, output](std::string& text) {
      if (text.find_first_of(bad) != std::string::npos) return false;
      text = output;
      return true;
    });
  };
}

}  // namespace dalvren::test
