// A stream buffer that shows UTF-8 on a Windows console as the text it is.
//
// A console reads the bytes written to it in its own code page (437 or 932,
// say), which garbles UTF-8; written as UTF-16 through WriteConsoleW, the
// same text shows whatever the code page. A character cut at the end of a
// write waits for its remaining bytes; a byte that begins no character
// shows as U+FFFD.
#pragma once

#include <cstddef>
#include <streambuf>

namespace dalvren {

class CConsoleBuf : public std::streambuf {
 public:
  // Writes to `console`, a console output handle that stays open while
  // this buffer lives.
  explicit CConsoleBuf(void* console);

  // Buffers text for one console.
  CConsoleBuf(const CConsoleBuf&) = delete;
  CConsoleBuf& operator=(const CConsoleBuf&) = delete;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes every whole character buffered and keeps a cut one for later;
  // false when the console refused the text.
  bool WriteWhole();

  void* console_;
  static constexpr std::size_t kBufferSize = 4096;
  char buffer_[kBufferSize];
};

}  // namespace dalvren
