#include "app/Conversion.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "core/Utf8.h"

namespace dalvren {

namespace {

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

// Appends what a translation writes to a text.
class CAppendBuf : public std::streambuf {
 public:
  explicit CAppendBuf(std::string& text) : text_(text) {}

 protected:
  std::streamsize xsputn(const char* bytes, std::streamsize n) override {
    text_.append(bytes, static_cast<std::size_t>(n));
    return n;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    text_.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  std::string& text_;
};

// Counts what a translation skips: bytes, or for a text source the
// characters that lose a byte (core/Utf8.h). Skips arrive in order.
class CSkipCounter {
 public:
  CSkipCounter(std::span<const unsigned char> input, bool text)
      : input_(input), text_(text) {}

  void Skipped(std::size_t offset) {
    std::size_t at = offset;
    if (text_) {
      at = Utf8CharAt(input_, offset).start;
      if (count_ > 0 && at == last_) return;
      last_ = at;
    }
    if (count_++ == 0) first_ = at;
  }

  void Fill(CConvertReport& report) const {
    report.skipped = count_;
    report.firstOffset = first_;
    if (!text_ || count_ == 0) return;
    const auto before = input_.first(first_);
    const auto lineStart = std::find(before.rbegin(), before.rend(), '\n');
    report.firstLine = 1 + static_cast<std::uint64_t>(
                               std::count(before.begin(), before.end(), '\n'));
    std::size_t at = static_cast<std::size_t>(before.rend() - lineStart);
    report.firstColumn = 1;
    while (at < first_) {
      at += Utf8CharLength(input_.subspan(at));
      ++report.firstColumn;
    }
  }

 private:
  std::span<const unsigned char> input_;
  bool text_;
  std::uint64_t count_ = 0;
  std::size_t first_ = 0;
  std::size_t last_ = 0;
};

// Translates `input` through `dictionary` into `*text` as the target field
// shows it (see ConvertText); returns the bytes the translation wrote.
std::uint64_t Translate(const CCodeDictionary& dictionary,
                        std::span<const unsigned char> input, bool targetHex,
                        const CTranslateHooks& hooks, std::string* text) {
  std::string result;
  std::uint64_t written = 0;
  if (targetHex) {
    // Room for results of up to twice the input's length, so that a large
    // text is not moved again and again as it grows. Reserving pages in no
    // memory: only what is written takes any.
    result.reserve(4 * input.size() + input.size() / kHexRowBytes + 1);
    CHexRowsBuf rows(result);
    std::ostream out(&rows);
    dictionary.Translate(out, input, hooks);
    written = rows.count;
  } else {
    CAppendBuf append(result);
    std::ostream out(&append);
    dictionary.Translate(out, input, hooks);
    written = result.size();
    // A field shows text, which ends at its first zero byte.
    result.resize(std::string_view(result.c_str()).size());
  }
  *text = std::move(result);
  return written;
}

}  // namespace

std::string FieldInputBytes(const std::string& source, bool hex) {
  if (!hex) return std::string(source.c_str());
  const std::unique_ptr<CByteString> bytes = FromHex(source.c_str());
  return {bytes->data.get(), static_cast<std::size_t>(bytes->len)};
}

std::string HexRows(std::span<const unsigned char> bytes) {
  std::string text;
  CHexRowsBuf rows(text);
  rows.sputn(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return text;
}

CError ConvertText(const CCodeTable* table, ConvertDirection direction,
                   const std::string& source, const CConvertOptions& options,
                   std::string* text, CConvertReport* report) {
  if (table == nullptr) return CError::Invalid(kNoTableMessage);
  if (source.size() > kMaxByteStringLength) {
    return CError::NoRoom(kTooLargeMessage);
  }

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
  CSkipCounter skips(input, !options.sourceHex);
  CTranslateHooks hooks;
  hooks.onSkip = [&skips](std::size_t offset, unsigned char, std::string&) {
    skips.Skipped(offset);
  };
  std::string result;
  const std::uint64_t written =
      Translate(dictionary, input, options.targetHex, hooks, &result);
  if (written > kMaxByteStringLength) return CError::NoRoom(kTooLargeMessage);
  *text = std::move(result);
  if (report != nullptr) {
    *report = CConvertReport();
    report->read = input.size();
    report->written = written;
    skips.Fill(*report);
  }
  return {};
}

}  // namespace dalvren
