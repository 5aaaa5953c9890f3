// The converter's arguments, in UTF-8.
//
// POSIX systems hand argv over as the bytes that were typed
// (cli/posix/ProgramArguments.cpp). Windows passes argv in the ANSI code
// page, where a character that the code page lacks becomes "?"; there the
// arguments come from the wide command line instead, converted to UTF-8
// (cli/windows/ProgramArguments.cpp), so that file names and texts arrive
// whole whatever the code page.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace dalvren {

class CProgramArguments {
 public:
  // Takes the arguments of the running program; `argc` and `argv` are
  // main's.
  CProgramArguments(int argc, char** argv);

  // Get points into this object.
  CProgramArguments(const CProgramArguments&) = delete;
  CProgramArguments& operator=(const CProgramArguments&) = delete;

  // The arguments after the program's name, valid while this object lives.
  [[nodiscard]] std::span<const char* const> Get() const { return pointers_; }

 private:
  // Empty where argv is used as it is.
  std::vector<std::string> converted_;
  std::vector<const char*> pointers_;
};

}  // namespace dalvren
