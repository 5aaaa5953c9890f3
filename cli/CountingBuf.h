// A stream buffer that counts the bytes written through it.
#pragma once

#include <cstdint>
#include <streambuf>

#include "cli/WriteBuf.h"

namespace dalvren {

class CCountingBuf : public CWriteBuf {
 public:
  // Passes everything on to `sink`, which stays the caller's and must
  // outlive this buffer; with no sink, everything is swallowed and only
  // counted.
  explicit CCountingBuf(std::streambuf* sink = nullptr) : sink_(sink) {}

  // Refers to a sink it does not own; one buffer per stream.
  CCountingBuf(const CCountingBuf&) = delete;
  CCountingBuf& operator=(const CCountingBuf&) = delete;

  // The bytes the sink took (all of them, without a sink).
  std::uint64_t count = 0;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf* sink_;
};

}  // namespace dalvren
