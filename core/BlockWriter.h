// Output gathered and handed to a stream in large writes: one stream call per
// code written would cost more than the translation itself.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace dalvren {

// How much output the core gathers before it hands it to a stream.
inline constexpr std::size_t kOutputBlock = std::size_t{64} * 1024;

class CBlockWriter {
 public:
  explicit CBlockWriter(std::ostream& out) : out_(out) {
    block_.reserve(kOutputBlock);
  }
  ~CBlockWriter() { Flush(); }
  CBlockWriter(const CBlockWriter&) = delete;
  CBlockWriter& operator=(const CBlockWriter&) = delete;

  void Append(std::string_view bytes) {
    block_.append(bytes);
    if (block_.size() >= kOutputBlock) Flush();
  }
  void Append(char byte) {
    block_.push_back(byte);
    if (block_.size() >= kOutputBlock) Flush();
  }
  // Hands on what is gathered, before the caller writes to the stream itself.
  void Flush() {
    out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
    block_.clear();
  }

 private:
  std::ostream& out_;
  std::string block_;
};

}  // namespace dalvren
