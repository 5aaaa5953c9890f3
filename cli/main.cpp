#include "cli/ConvertTool.h"
#include "cli/ProgramArguments.h"
#include "cli/StandardStreams.h"

int main(int argc, char** argv) {
  const dalvren::CStandardStreams streams;
  const dalvren::CProgramArguments arguments(argc, argv);
  return dalvren::RunConvertTool(arguments.Get());
}
