// A deliberately plain ROM-to-text converter, the yardstick for
// dalvren-convert's whole-process speed: the table in a std::map, and at each
// position every code length tried from the longest down.
//
// Usage: naive_convert TABLE INPUT OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/support/NaiveLongestMatch.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: naive_convert TABLE INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream tableFile(argv[1]);
  std::map<std::string, std::string> table;
  for (std::string line; std::getline(tableFile, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals == std::string::npos || equals == 0 || equals % 2 != 0) continue;
    std::string code;
    for (std::size_t i = 0; i < equals; i += 2) {
      code.push_back(
          static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
    }
    table[code] = line.substr(equals + 1);
  }
  std::ifstream inputFile(argv[2], std::ios::binary);
  const std::string input((std::istreambuf_iterator<char>(inputFile)),
                          std::istreambuf_iterator<char>());
  const std::string output = dalvren::test::NaiveLongestMatch(table, input);
  std::ofstream(argv[3], std::ios::binary) << output;
  return 0;
}
