// Every way the greedy translation can work, for tests that give each of
// them the same inputs and expect the same output: the walk of the compiled
// trie alone, the automaton alone in blocks small enough to put many block
// boundaries into short inputs, and the walk handing over to the automaton
// at once or after a while.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/CodeDictionary.h"

namespace dalvren::test {

struct CTranslatePath {
  std::string name;
  CTranslateTuning tuning;
};

inline std::vector<CTranslatePath> TranslatePaths() {
  using Path = CTranslateTuning::Path;
  std::vector<CTranslatePath> paths;
  paths.push_back({"adaptive", {}});
  CTranslateTuning walk;
  walk.path = Path::kWalk;
  paths.push_back({"walk", walk});
  for (const std::size_t block : {1, 2, 3, 5, 64 * 1024}) {
    CTranslateTuning automaton;
    automaton.path = Path::kAutomaton;
    automaton.block = block;
    automaton.blockPerLongestKey = 0;
    paths.push_back(
        {"automaton, blocks of " + std::to_string(block), automaton});
  }
  CTranslateTuning atOnce;
  atOnce.rereadPerByte = 0;
  atOnce.rereadSlack = 0;
  atOnce.block = 2;
  atOnce.blockPerLongestKey = 0;
  paths.push_back({"hand-over at the first byte read again", atOnce});
  CTranslateTuning later;
  later.rereadPerByte = 1;
  later.rereadSlack = 6;
  later.block = 3;
  later.blockPerLongestKey = 1;
  paths.push_back({"hand-over after a while", later});
  return paths;
}

// The translation of `input` along `path`, with `hooks` unless null.
inline std::string TranslateOn(const CCodeDictionary& dict,
                               std::string_view input,
                               const CTranslatePath& path,
                               const CTranslateHooks* hooks = nullptr) {
  std::ostringstream out;
  dict.Translate(
      out, {reinterpret_cast<const unsigned char*>(input.data()), input.size()},
      hooks, path.tuning);
  return out.str();
}

}  // namespace dalvren::test
