// Removal of a temporary file when a signal ends the program: Ctrl-C
// (SIGINT), SIGTERM or SIGHUP would otherwise kill the program before any
// destructor runs and leave the file behind.
//
// The first removal registered installs a handler for the three signals
// (each that is not ignored: an ignored one, as under nohup, stays so). The
// handler removes every registered file, then restores the signal's default
// action and raises it again, so that the program still ends by the signal
// and whoever waits for it sees that. It calls only async-signal-safe
// functions and reads the registered paths through lock-free atomics.
//
// The program may hold kSlots registered files at once; beyond them a file
// is left as without this class. Not for use from several threads.
//
// On Windows (cli/windows/RemovalOnSignal.cpp) the events are Ctrl+C,
// Ctrl+Break and the closing of the console, whose handler runs on a thread
// of its own: it removes every registered file and ends the program with
// the status of Ctrl+C, 0xC000013A. A Ctrl+C that the program was started to
// ignore stays ignored there too. Blocking holds the lock the handler takes.
#pragma once

#include <cstddef>
#include <memory>
#ifndef _WIN32
#include <signal.h>
#endif
#include <string>

namespace dalvren {

class CRemovalOnSignal {
 public:
  static constexpr std::size_t kSlots = 4;

  // Installs the handler if it is not installed yet; nothing is registered.
  // Call it before the file is created, and create it with the signals
  // blocked (BlockSignals) until Register is done, so that no signal falls
  // between the two.
  CRemovalOnSignal();

  // Unregisters, without removing the file.
  ~CRemovalOnSignal();

  // Holds a slot the handler reads.
  CRemovalOnSignal(const CRemovalOnSignal&) = delete;
  CRemovalOnSignal& operator=(const CRemovalOnSignal&) = delete;

  // Registers `path` (copied) for removal; a path registered before is
  // replaced.
  void Register(const std::string& path);

  // Unregisters: the file is no longer removed by a signal (it was renamed
  // into place, or removed).
  void Release();

  // Blocks the three signals while it lives, and delivers what arrived
  // meanwhile when it ends.
  class BlockSignals {
   public:
    BlockSignals();
    ~BlockSignals();
    BlockSignals(const BlockSignals&) = delete;
    BlockSignals& operator=(const BlockSignals&) = delete;

   private:
#ifndef _WIN32
    sigset_t saved_{};
#endif
  };

 private:
  // The slot taken, kSlots when none.
  std::size_t slot_ = kSlots;
  std::unique_ptr<char[]> path_;
};

}  // namespace dalvren
