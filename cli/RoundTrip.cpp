#include "cli/RoundTrip.h"

#include <algorithm>
#include <ostream>
#include <streambuf>

#include "cli/CountingBuf.h"
#include "cli/Plural.h"
#include "cli/SpacedHex.h"
#include "cli/WriteBuf.h"

namespace dalvren {

namespace {

// Collects what is written to it in a string, without the copy that
// std::ostringstream::str() makes of a text as large as a whole dump.
class CStringSink : public CWriteBuf {
 public:
  explicit CStringSink(std::string& text) : text_(text) {}

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::string& text_;
};

// Compares what is written to it with the expected bytes as it arrives, and
// keeps only the first difference and the bytes written from there on.
class CCompareSink : public CWriteBuf {
 public:
  explicit CCompareSink(std::span<const unsigned char> expected)
      : expected_(expected) {}

  std::uint64_t count = 0;
  bool mismatch = false;
  std::uint64_t at = 0;
  std::string from;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto size = static_cast<std::uint64_t>(n);
    std::uint64_t i = 0;
    if (!mismatch) {
      const std::uint64_t comparable =
          count < expected_.size() ? std::min(size, expected_.size() - count)
                                   : 0;
      const unsigned char* want = expected_.data() + count;
      while (i < comparable && static_cast<unsigned char>(s[i]) == want[i]) {
        ++i;
      }
      if (i < size) {
        mismatch = true;
        at = count + i;
      }
    }
    if (mismatch) {
      for (; i < size && from.size() <= CRoundTrip::kContext; ++i) {
        from += s[i];
      }
    }
    count += size;
    return n;
  }

 private:
  std::span<const unsigned char> expected_;
};

// The bytes around a difference, the one at the difference in brackets.
std::string Context(const std::string& before, const std::string& from) {
  std::string shown = SpacedHex(before);
  if (!shown.empty()) shown += ' ';
  if (from.empty()) return shown + "[end]";
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about the
  // temporaries of "[" + ... + "]" once they are inlined.
  shown += '[';
  shown += SpacedHex(from.substr(0, 1));
  shown += ']';
  if (from.size() > 1) {
    shown += ' ';
    shown += SpacedHex(from.substr(1));
  }
  return shown;
}

// Passes what is written to it on to two stream buffers.
class CTeeSink : public CWriteBuf {
 public:
  CTeeSink(std::streambuf& first, std::streambuf& second)
      : first_(first), second_(second) {}

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    first_.sputn(s, n);
    second_.sputn(s, n);
    return n;
  }

 private:
  std::streambuf& first_;
  std::streambuf& second_;
};

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

}  // namespace

CRoundTrip::CRoundTrip(const CTableConverter& table,
                       std::span<const unsigned char> range,
                       std::uint64_t firstOffset, const Options& options)
    : tokens(options.tokens),
      extended(table.Extended() != nullptr),
      switches(extended && table.Extended()->HasSwitches()),
      bytesIn(range.size()) {
  std::string text;
  CTableConverter::DumpOptions dump;
  dump.tokens = tokens;
  {
    dump.onSkip = [&](std::size_t offset) {
      if (skipped < kOffsetsListed) firstSkips.push_back(firstOffset + offset);
      ++skipped;
    };
    CStringSink sink(text);
    std::ostream out(&sink);
    // The sink fails only by throwing (out of memory), which a stream would
    // swallow, leaving a short text to be reported as the table's fault.
    out.exceptions(std::ios::badbit);
    table.Dump(out, range, dump);
  }

  CTableConverter::InsertOptions insert;
  insert.tokens = tokens;
  insert.optimal = options.optimal;
  CCompareSink compare(range);
  std::string bytes;
  {
    CStringSink kept(bytes);
    CTeeSink both(compare, kept);
    std::ostream out(extended ? static_cast<std::streambuf*>(&both)
                              : static_cast<std::streambuf*>(&compare));
    out.exceptions(std::ios::badbit);
    const CStatus status = table.Insert(out, AsBytes(text), insert);
    if (!status.IsOk()) insertError = status.Message();
  }
  reinserted = compare.count;
  differs =
      compare.mismatch || compare.count != range.size() || !insertError.empty();
  if (extended) {
    std::string again;
    {
      CStringSink sink(again);
      std::ostream out(&sink);
      out.exceptions(std::ios::badbit);
      dump.onSkip = nullptr;
      table.Dump(out, AsBytes(bytes), dump);
    }
    const auto [textAt, againAt] =
        std::mismatch(text.begin(), text.end(), again.begin(), again.end());
    sameScript = textAt == text.end() && againAt == again.end();
    if (!sameScript) {
      scriptDifference = TextPosition(
          AsBytes(text), static_cast<std::size_t>(textAt - text.begin()));
    }
  }
  if (!differs) {
    skippedBefore = skipped;
    return;
  }
  const std::uint64_t at = compare.mismatch ? compare.at : compare.count;
  firstDifference = firstOffset + at;
  const std::uint64_t start = at > kContext ? at - kContext : 0;
  const auto slice = [&](std::uint64_t from, std::uint64_t count) {
    const auto* data = reinterpret_cast<const char*>(range.data()) + from;
    return std::string(data, static_cast<std::size_t>(count));
  };
  before = slice(start, at - start);
  inputFrom =
      at < range.size()
          ? slice(at, std::min<std::uint64_t>(kContext + 1, range.size() - at))
          : "";
  reinsertedFrom = compare.from;
  // The bytes skipped before the difference came back in place; counting
  // them again costs a second dump, but only when the round trip failed.
  CTableConverter::DumpOptions counting;
  counting.onSkip = [&](std::size_t offset) {
    if (offset < at) ++skippedBefore;
  };
  CCountingBuf nowhere;
  std::ostream discard(&nowhere);
  table.Dump(discard, range, counting);
}

void CRoundTrip::Print(std::ostream& out) const {
  out << "bytes in:              " << bytesIn << '\n';
  out << "decoded through codes: " << bytesIn - skipped;
  if (bytesIn > 0) {
    // Rounded down, so that 100.0% means that nothing at all was skipped.
    const std::uint64_t permille = (bytesIn - skipped) * 1000 / bytesIn;
    out << " (" << permille / 10 << '.' << permille % 10 << "%)";
  }
  out << '\n';
  out << "skipped:               " << skipped;
  for (std::size_t i = 0; i < firstSkips.size(); ++i) {
    out << (i > 0                         ? ", "
            : skipped > firstSkips.size() ? ", first at offsets "
            : skipped > 1                 ? ", at offsets "
                                          : ", at offset ")
        << firstSkips[i];
  }
  if (tokens && skipped > 0) out << "; written as <$XX> tokens";
  out << '\n';
  if (tokens) {
    out << "recovered by tokens:   " << skippedBefore << " of " << skipped
        << (differs && skipped > skippedBefore
                ? " (those before the first difference)"
                : "")
        << '\n';
  }
  out << "re-inserted:           " << Plural(reinserted, "byte", "bytes")
      << ", " << (differs ? "not identical" : "identical") << '\n';
  if (!insertError.empty())
    out << "insert failed:         " << insertError << '\n';
  if (extended) {
    out << "dumped again:          "
        << (sameScript ? "the same script"
                       : "another script, from " + scriptDifference + " on")
        << '\n';
  }
  if (!differs) return;
  out << "first difference at offset " << OffsetText(firstDifference) << ":\n";
  out << "  input:       " << Context(before, inputFrom) << '\n';
  out << "  re-inserted: " << Context(before, reinsertedFrom) << '\n';
}

}  // namespace dalvren
