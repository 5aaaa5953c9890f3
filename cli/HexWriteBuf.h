// A stream buffer that writes every byte it receives as hexadecimal text.
#pragma once

#include <cstddef>
#include <streambuf>

#include "cli/WriteBuf.h"

namespace dalvren {

class CHexWriteBuf : public CWriteBuf {
 public:
  // Writes to `sink`, which stays the caller's and must outlive this buffer.
  // The text written for bytes received in any number of pieces is exactly
  // CByteString::ToHex of all of them at once: two upper-case digits per
  // byte, nothing between and nothing after. So output of any size can be
  // rendered without holding it whole. Writing allocates nothing.
  explicit CHexWriteBuf(std::streambuf& sink);

  // Refers to a sink it does not own; one buffer per stream.
  CHexWriteBuf(const CHexWriteBuf&) = delete;
  CHexWriteBuf& operator=(const CHexWriteBuf&) = delete;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf& sink_;
};

}  // namespace dalvren
