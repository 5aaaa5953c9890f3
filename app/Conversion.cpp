#include "app/Conversion.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

namespace dalvren {

namespace {

// The window shows its refusals; there is no exit status to choose.
CStatus Refusal(const char* message) { return CStatus::Failure(1, message); }

// Takes the bytes a translation writes and appends them to a text as
// hexadecimal digits in rows, as they arrive: the bytes themselves are never
// held whole.
class CHexRowsBuf : public std::streambuf {
 public:
  explicit CHexRowsBuf(std::string& text) : text_(text) {}

  // The bytes received.
  std::uint64_t count = 0;

 protected:
  std::streamsize xsputn(const char* bytes, std::streamsize n) override {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    auto left = static_cast<std::size_t>(n);
    while (left > 0) {
      if (column_ == kHexRowBytes) {
        text_.push_back('\n');
        column_ = 0;
      }
      const std::size_t take = std::min(left, kHexRowBytes - column_);
      const std::size_t at = text_.size();
      text_.resize(at + 2 * take);
      WriteHex({in, take}, text_.data() + at);
      in += take;
      left -= take;
      column_ += take;
    }
    count += static_cast<std::uint64_t>(n);
    return n;
  }

  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }

 private:
  std::string& text_;
  std::size_t column_ = 0;
};

}  // namespace

CStatus ConvertText(const CCodeTable* table, ConvertDirection direction,
                    const std::string& source, const CConvertOptions& options,
                    std::string* text) {
  if (table == nullptr) return Refusal(kNoTableMessage);
  if (source.size() > kMaxByteStringLength) return Refusal(kTooLargeMessage);

  // In text mode the input is the source up to its first zero byte, read
  // where it lies.
  const std::unique_ptr<CByteString> hexInput =
      options.sourceHex ? FromHex(source.c_str()) : nullptr;
  const std::string_view plainInput(source.c_str());
  const std::span<const unsigned char> input =
      hexInput
          ? hexInput->Bytes()
          : std::span(reinterpret_cast<const unsigned char*>(plainInput.data()),
                      plainInput.size());
  const CCodeDictionary& dictionary = direction == ConvertDirection::kRomToDump
                                          ? *table->forward
                                          : *table->reverse;

  std::string result;
  std::uint64_t written = 0;
  if (options.targetHex) {
    // Room for results of up to twice the input's length, so that a large
    // text is not moved again and again as it grows. Reserving pages in no
    // memory: only what is written takes any.
    result.reserve(4 * input.size() + input.size() / kHexRowBytes + 1);
    CHexRowsBuf rows(result);
    std::ostream out(&rows);
    dictionary.Translate(out, input);
    written = rows.count;
  } else {
    dictionary.Translate(result, input);
    written = result.size();
    // A field shows text, which ends at its first zero byte.
    result.resize(std::string_view(result.c_str()).size());
  }
  if (written > kMaxByteStringLength) return Refusal(kTooLargeMessage);
  *text = std::move(result);
  return {};
}

}  // namespace dalvren
