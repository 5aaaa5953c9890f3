// A file opened for reading, or standard input, taken byte for byte with no
// conversion of any kind.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <streambuf>
#include <string>

namespace dalvren {

// Bytes read whole, followed by one zero byte so that they can also be read
// as terminated text.
struct CInputBytes {
  [[nodiscard]] std::span<const unsigned char> Bytes() const {
    return {reinterpret_cast<const unsigned char*>(data.get()), size};
  }

  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

class CInputFile : public std::streambuf {
 public:
  // Opens `path` for reading; "-" is standard input, which is read but never
  // closed. A directory is refused. With `regularOnly` anything but a regular
  // file is refused as well, before a byte is read: a FIFO nobody writes to
  // would otherwise block forever. Returns null and sets `reason` to the
  // system's reason when the file cannot be opened.
  [[nodiscard]] static std::unique_ptr<CInputFile> Open(const std::string& path,
                                                        bool regularOnly,
                                                        std::string& reason);

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

  // Reads the rest of the file into `bytes`. Returns false and sets `reason`
  // on a read error, or when the file holds more than `limit` bytes; a
  // regular file that is too large is refused before it is read, and a
  // stream is never read beyond the limit. Memory is about the file's size
  // for a regular file, at most twice that for a stream.
  [[nodiscard]] bool ReadAll(CInputBytes& bytes, std::size_t limit,
                             std::string& reason);

  // When this object serves as the buffer of a std::istream, a read error
  // looks to the stream like the end of the input. Returns the system's
  // reason for the first read error, or an empty text when there was none.
  [[nodiscard]] std::string Error() const;

 protected:
  int_type underflow() override;

 private:
  // One read(2), retried when interrupted; records the error.
  long ReadSome(char* into, std::size_t count);

  int fd_;
  bool owned_;
  int error_ = 0;
  static constexpr std::size_t kBufferSize = 64 * 1024;
  char buffer_[kBufferSize];
};

}  // namespace dalvren
