#include "cli/ProgramArguments.h"

// Also declares CommandLineToArgvW (shellapi.h, which needs it first).
#include <windows.h>

#include "cli/windows/WideText.h"

namespace dalvren {

CProgramArguments::CProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    // Out of memory this early: the code page's arguments are better than
    // none.
    pointers_.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    return;
  }
  for (int i = 1; i < count; ++i) converted_.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(static_cast<HLOCAL>(wide));
  for (const std::string& argument : converted_) {
    pointers_.push_back(argument.c_str());
  }
}

}  // namespace dalvren
