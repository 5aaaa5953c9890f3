#include "cli/RemovalOnSignal.h"

#include <atomic>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace dalvren {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler reads: a path, or null. A path stays allocated until its
// slot is null again.
std::atomic<const char*> gPaths[CRemovalOnSignal::kSlots];
static_assert(std::atomic<const char*>::is_always_lock_free,
              "the handler may read only lock-free atomics");

bool gInstalled = false;

sigset_t Signals() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int signal : kSignals) ::sigaddset(&set, signal);
  return set;
}

extern "C" void RemoveAndRaise(int signal) {
  for (auto& path : gPaths) {
    if (const char* p = path.load()) ::unlink(p);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  // Blocked while its handler runs: it ends the program once this returns.
  ::raise(signal);
}

void Install() {
  if (gInstalled) return;
  gInstalled = true;
  struct sigaction action {};
  action.sa_handler = RemoveAndRaise;
  // One signal's removal is not interrupted by another's.
  action.sa_mask = Signals();
  for (const int signal : kSignals) {
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) != 0) continue;
    if (old.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace

CRemovalOnSignal::CRemovalOnSignal() { Install(); }

CRemovalOnSignal::~CRemovalOnSignal() { Release(); }

void CRemovalOnSignal::Register(const std::string& path) {
  Release();
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (gPaths[i].load() != nullptr) continue;
    path_ = std::make_unique<char[]>(path.size() + 1);
    std::memcpy(path_.get(), path.c_str(), path.size() + 1);
    gPaths[i].store(path_.get());
    slot_ = i;
    return;
  }
}

void CRemovalOnSignal::Release() {
  if (slot_ == kSlots) return;
  // The slot is emptied before the path is freed: the handler never reads
  // freed memory.
  gPaths[slot_].store(nullptr);
  slot_ = kSlots;
  path_.reset();
}

CRemovalOnSignal::BlockSignals::BlockSignals() {
  const sigset_t set = Signals();
  ::sigprocmask(SIG_BLOCK, &set, &saved_);
}

CRemovalOnSignal::BlockSignals::~BlockSignals() {
  ::sigprocmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace dalvren
