#include <span>

#include "cli/ConvertTool.h"

int main(int argc, char** argv) {
  return dalvren::RunConvertTool(std::span<const char* const>(
      argv + 1, static_cast<std::size_t>(argc - 1)));
}
