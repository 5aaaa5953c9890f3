// Where converted bytes go: standard output, or a file that appears complete
// or not at all.
//
// A file is written to a temporary file beside it and renamed into place by
// Commit, so a failed run never leaves a partial file, and an existing file
// is replaced only by a complete new one (which may therefore also be the
// input). A symbolic link is followed and its target replaced. An existing
// path that is neither a regular file nor a directory (a device such as
// /dev/null, a FIFO) cannot be replaced and is written directly.
// SIGINT, SIGTERM or SIGHUP while the temporary file exists remove it before
// they end the program (cli/RemovalOnSignal.h).
//
// The buffering is shared; the files are the system's (cli/posix/,
// cli/windows/OutputFile.cpp). On Windows the path is UTF-8, the temporary
// file replaces the target by the rename that overwrites, Ctrl+C, Ctrl+Break
// or closing the console remove it, a read-only file is refused, a device
// such as NUL is written directly, and "-" goes through std::cout, so that a
// console shows the text as text.
#pragma once

#include <cstddef>
#include <memory>
#include <streambuf>
#include <string>

#include "cli/RemovalOnSignal.h"
#include "cli/Status.h"

namespace dalvren {

class COutputFile : public std::streambuf {
 public:
  // Prepares writing to `path` into `*file`; "-" is standard output, which
  // is written but never closed. Fails, with the system's reason and
  // leaving `*file` alone, when the file or its temporary file cannot be
  // created: a missing or unwritable folder, a directory, an existing file
  // without write permission.
  [[nodiscard]] static CStatus Open(const std::string& path,
                                    std::unique_ptr<COutputFile>* file);

  // Use Open; the key keeps construction to it.
  class Key {
    friend class COutputFile;
    Key() = default;
  };
  COutputFile(Key, int fd, bool owned);

  // Removes the temporary file unless Commit succeeded.
  ~COutputFile() override;

  // Owns a file descriptor and possibly a temporary file.
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;

  // Writes out what is buffered; for a file, also makes it durable, gives it
  // the permissions of the file it replaces (or the usual ones for a new
  // file) and renames it into place. Fails, with the system's reason, when
  // any write so far failed or this last step fails; the temporary file is
  // removed then and an existing file stays as it was.
  [[nodiscard]] CStatus Commit();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Writes `count` bytes to the descriptor; false (error recorded) on
  // failure. After one failure nothing more is written.
  bool WriteOut(const char* bytes, std::size_t count);
  bool FlushBuffer();

  int fd_;
  bool owned_;
  int error_ = 0;
  // Empty when writing directly.
  std::string tempPath_;
  std::string finalPath_;
  // The permissions the final file gets.
  unsigned mode_ = 0;
  // Set while the temporary file exists.
  std::unique_ptr<CRemovalOnSignal> removal_;
  static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
  char buffer_[kBufferSize];
};

}  // namespace dalvren
