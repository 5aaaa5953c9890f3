// The standard streams made ready for the converter: bytes pass through
// them unchanged, and text on a console shows as the text it is.
//
// Nothing needs doing on POSIX systems (cli/posix/StandardStreams.cpp).
// On Windows (cli/windows/StandardStreams.cpp) the C runtime would write
// each 0A as 0D 0A and end a read at a 1A byte, so the three streams are
// put in binary mode; and a console reads the bytes written to it in its
// own code page, so std::cout and std::cerr, where they go to a console,
// write through its UTF-16 interface instead. Redirected, they stay bytes.
#pragma once

#include <memory>
#include <streambuf>

namespace dalvren {

class CStandardStreams {
 public:
  // Makes the streams ready; main does this before anything is read or
  // written.
  CStandardStreams();
  // Flushes std::cout and std::cerr and gives them back their own buffers,
  // before the static objects of the program go.
  ~CStandardStreams();

  // Holds the buffers std::cout and std::cerr write to.
  CStandardStreams(const CStandardStreams&) = delete;
  CStandardStreams& operator=(const CStandardStreams&) = delete;

 private:
  // Empty unless a console took the stream's place. Only the Windows parts
  // use them.
  std::unique_ptr<std::streambuf> out_;
  std::unique_ptr<std::streambuf> err_;
  [[maybe_unused]] std::streambuf* savedOut_ = nullptr;
  [[maybe_unused]] std::streambuf* savedErr_ = nullptr;
};

}  // namespace dalvren
