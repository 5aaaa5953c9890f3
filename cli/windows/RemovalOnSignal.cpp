// Removal of temporary files when Ctrl+C, Ctrl+Break or the closing of the
// console ends the program. Windows runs a console control handler on a
// thread of its own, so the registered paths are guarded by a lock instead
// of being read through atomics; blocking "signals" holds that lock.
#include "cli/RemovalOnSignal.h"

#include <mutex>
#include <windows.h>

#include "cli/windows/WideText.h"

namespace dalvren {

namespace {

// Recursive: Register runs while BlockSignals holds it.
std::recursive_mutex gLock;
// Guarded by gLock; an empty path is a free slot.
std::wstring gPaths[CRemovalOnSignal::kSlots];
bool gInstalled = false;

BOOL WINAPI RemoveAndEnd(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT &&
      event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  const std::lock_guard<std::recursive_mutex> lock(gLock);
  // The files are open for writing, shared for deleting: each goes when
  // the process ends and closes it.
  for (const std::wstring& path : gPaths) {
    if (!path.empty()) ::DeleteFileW(path.c_str());
  }
  // Ended here, with the lock held, rather than by the default handler
  // after returning: meanwhile the main thread could make another
  // temporary file, or run the program's exit with its files half written.
  ::TerminateProcess(::GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  return TRUE;
}

}  // namespace

CRemovalOnSignal::CRemovalOnSignal() {
  const std::lock_guard<std::recursive_mutex> lock(gLock);
  if (gInstalled) return;
  gInstalled = true;
  ::SetConsoleCtrlHandler(RemoveAndEnd, TRUE);
}

CRemovalOnSignal::~CRemovalOnSignal() { Release(); }

void CRemovalOnSignal::Register(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(gLock);
  Release();
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (!gPaths[i].empty()) continue;
    gPaths[i] = WideFromUtf8(path);
    slot_ = i;
    return;
  }
}

void CRemovalOnSignal::Release() {
  const std::lock_guard<std::recursive_mutex> lock(gLock);
  if (slot_ == kSlots) return;
  gPaths[slot_].clear();
  slot_ = kSlots;
}

CRemovalOnSignal::BlockSignals::BlockSignals() { gLock.lock(); }

CRemovalOnSignal::BlockSignals::~BlockSignals() { gLock.unlock(); }

}  // namespace dalvren
