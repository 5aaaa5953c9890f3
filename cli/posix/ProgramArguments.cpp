#include "cli/ProgramArguments.h"

namespace dalvren {

CProgramArguments::CProgramArguments(int argc, char** argv)
    : pointers_(argv + (argc > 0 ? 1 : 0), argv + argc) {}

}  // namespace dalvren
