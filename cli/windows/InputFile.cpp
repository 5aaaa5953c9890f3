// The system side of CInputFile on Windows: file handles, kept in the
// descriptor (a handle's value fits 32 bits), with names in UTF-8.
#include "cli/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

#include "cli/ExitStatus.h"
#include "cli/windows/SystemError.h"
#include "cli/windows/WideText.h"

namespace dalvren {

CStatus CInputFile::Open(const std::string& path, const Options& options,
                         std::unique_ptr<CInputFile>* file) {
  if (path == "-") {
    *file = std::make_unique<CInputFile>(Key(), 0, false);
    return {};
  }
  const std::wstring wide = WideFromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return SystemFailure(ErrnoOf(::GetLastError()));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return SystemFailure(EISDIR);
  }
  // Shared for deleting too, so that -o may replace the file being read.
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return SystemFailure(ErrnoOf(::GetLastError()));
  }
  if (options.regularOnly && ::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return CStatus::Failure(kExitError, "Not a regular file");
  }
  *file = std::make_unique<CInputFile>(Key(), HandleToLong(handle), true);
  return {};
}

CInputFile::~CInputFile() {
  if (owned_) ::CloseHandle(LongToHandle(fd_));
}

long CInputFile::ReadSome(char* into, std::size_t count) {
  const HANDLE handle =
      owned_ ? LongToHandle(fd_) : ::GetStdHandle(STD_INPUT_HANDLE);
  const auto want =
      static_cast<DWORD>(std::min<std::size_t>(count, std::size_t{1} << 30));
  DWORD got = 0;
  if (::ReadFile(handle, into, want, &got, nullptr) != 0) {
    return static_cast<long>(got);
  }
  const DWORD error = ::GetLastError();
  // A pipe whose writer has closed it has ended.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  if (error_ == 0) error_ = ErrnoOf(error);
  return -1;
}

std::size_t CInputFile::RegularFileSize() const {
  const HANDLE handle =
      owned_ ? LongToHandle(fd_) : ::GetStdHandle(STD_INPUT_HANDLE);
  LARGE_INTEGER size{};
  if (::GetFileType(handle) != FILE_TYPE_DISK ||
      ::GetFileSizeEx(handle, &size) == 0 || size.QuadPart <= 0) {
    return 0;
  }
  return static_cast<std::size_t>(size.QuadPart);
}

}  // namespace dalvren
