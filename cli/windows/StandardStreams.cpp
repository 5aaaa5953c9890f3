#include "cli/StandardStreams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <windows.h>

#include "cli/windows/ConsoleBuf.h"

namespace dalvren {

namespace {

// The handle of the standard stream `which` when it is a console; null
// when it is a file, a pipe or nothing at all.
HANDLE ConsoleOf(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      ::GetConsoleMode(handle, &mode) == 0) {
    return nullptr;
  }
  return handle;
}

}  // namespace

CStandardStreams::CStandardStreams() {
  for (std::FILE* stream : {stdin, stdout, stderr}) {
    ::_setmode(::_fileno(stream), _O_BINARY);
  }
  if (const HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) {
    out_ = std::make_unique<CConsoleBuf>(console);
    savedOut_ = std::cout.rdbuf(out_.get());
  }
  if (const HANDLE console = ConsoleOf(STD_ERROR_HANDLE)) {
    err_ = std::make_unique<CConsoleBuf>(console);
    savedErr_ = std::cerr.rdbuf(err_.get());
  }
}

CStandardStreams::~CStandardStreams() {
  if (out_) {
    std::cout.flush();
    std::cout.rdbuf(savedOut_);
  }
  if (err_) {
    std::cerr.flush();
    std::cerr.rdbuf(savedErr_);
  }
}

}  // namespace dalvren
