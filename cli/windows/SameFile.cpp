#include "cli/SameFile.h"

#include <windows.h>

#include "cli/windows/WideText.h"

namespace dalvren {

namespace {

// The volume and file index of `path` in `*info`; false when it cannot be
// opened (it does not exist) or is a device, which has none.
bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  // No access asked for, so that a file open elsewhere is seen all the
  // same; backup semantics open a folder too.
  const HANDLE handle = ::CreateFileW(
      WideFromUtf8(path).c_str(), 0,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(handle, info) != 0;
  ::CloseHandle(handle);
  return known;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  return Identify(a, &first) && Identify(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace dalvren
