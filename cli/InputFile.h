// A file opened for reading, or standard input, taken byte for byte with no
// conversion of any kind.
//
// The reading is shared; opening, reading and closing are the system's
// (cli/posix/InputFile.cpp, cli/windows/InputFile.cpp). On Windows the file
// name is UTF-8, and the descriptor is the file's handle.
#pragma once

#include <cstddef>
#include <memory>
#include <streambuf>
#include <string>

#include "cli/InputBytes.h"
#include "cli/Status.h"

namespace dalvren {

class CInputFile : public std::streambuf {
 public:
  struct Options {
    // Refuse anything but a regular file before a byte is read: a FIFO that
    // nobody writes to would otherwise block for ever.
    bool regularOnly = false;
  };

  // Opens `path` for reading into `*file`; "-" is standard input, which is
  // read but never closed. A directory is refused, and with
  // `options.regularOnly` anything but a regular file. On failure returns a
  // status whose message is the system's reason, and leaves `*file` alone.
  [[nodiscard]] static CStatus Open(const std::string& path,
                                    const Options& options,
                                    std::unique_ptr<CInputFile>* file);

  // Use Open; the key keeps construction to it.
  class Key {
    friend class CInputFile;
    Key() = default;
  };
  CInputFile(Key, int fd, bool owned);
  ~CInputFile() override;

  // Owns a file descriptor.
  CInputFile(const CInputFile&) = delete;
  CInputFile& operator=(const CInputFile&) = delete;

  // Reads the whole file into `*bytes`; meant for a file not yet read as a
  // stream. Fails, with the system's reason or the size, on a read error or
  // when the file holds more than `limit` bytes: a regular file that is too
  // large is refused before it is read, and a stream is never read beyond
  // the limit. Memory is about the file's size for a regular file, at most
  // twice that for a stream.
  [[nodiscard]] CStatus ReadAll(std::size_t limit, CInputBytes* bytes);

  // When this object serves as the buffer of a std::istream, a read error
  // looks to the stream like the end of the input. Returns the first read
  // error, with the system's reason, or success when there was none.
  [[nodiscard]] CStatus ReadStatus() const;

 protected:
  int_type underflow() override;

 private:
  // One read from the system (read(2), retried when interrupted; Windows:
  // ReadFile, where a pipe whose writer closed it ends); records the error.
  long ReadSome(char* into, std::size_t count);
  // The size of a regular file; 0 for anything else, or when it is empty or
  // unknown.
  [[nodiscard]] std::size_t RegularFileSize() const;
  // The failure with the text of the C library's error number `error`.
  [[nodiscard]] static CStatus SystemFailure(int error);

  int fd_;
  bool owned_;
  int error_ = 0;
  static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
  char buffer_[kBufferSize];
};

}  // namespace dalvren
