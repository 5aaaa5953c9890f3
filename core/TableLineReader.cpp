#include "core/TableLineReader.h"

#include "core/HexCodec.h"

namespace dalvren {

bool CTableLineReader::Next(std::string& line, std::size_t& number, bool& cut) {
  line.clear();
  for (;;) {
    if (pos_ == end_ && !Refill()) {
      if (line.empty()) return false;
      number = physical_;
      cut = false;
      return true;
    }
    const char c = block_[pos_++];
    if (c == '\n' || c == '\r') {
      // The LF of a CR LF pair ends the same physical line as its CR.
      const bool sameEnd = c == '\n' && afterCr_;
      afterCr_ = c == '\r';
      if (line.empty()) {
        if (!sameEnd) ++physical_;
        continue;
      }
      number = physical_;
      cut = false;
      ++physical_;
      return true;
    }
    afterCr_ = false;
    line.push_back(c);
    if (line.size() == kMaxTableLine && NextIsContent()) {
      number = physical_;
      cut = true;
      return true;
    }
  }
}

bool CTableLineReader::NextIsContent() {
  if (pos_ == end_ && !Refill()) return false;
  return block_[pos_] != '\n' && block_[pos_] != '\r';
}

bool CTableLineReader::Refill() {
  if (!in_) return false;
  in_.read(block_, sizeof block_);
  pos_ = 0;
  end_ = static_cast<std::size_t>(in_.gcount());
  return end_ > 0;
}

std::optional<LineFault> SplitEntryLine(std::string_view line,
                                        std::string& code,
                                        std::string_view& text) {
  const std::size_t zero = line.find('\0');
  const std::size_t equals = line.substr(0, zero).find('=');
  if (equals == std::string_view::npos) {
    return zero != std::string_view::npos &&
                   line.find('=', zero) != std::string_view::npos
               ? LineFault::kZeroBeforeEquals
               : LineFault::kNoEquals;
  }
  if (!IsHexDigit(line[0])) return LineFault::kCodeNotHex;
  if (equals % 2 != 0) return LineFault::kOddCodeLength;
  code.clear();
  for (std::size_t i = 0; i < equals; i += 2) {
    code.push_back(static_cast<char>(HexPairValue(line[i], line[i + 1])));
  }
  text = line.substr(equals + 1);
  return std::nullopt;
}

}  // namespace dalvren
