#include "core/CodeTable.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace dalvren {

namespace {

// Splits a table file into the lines the loader handles: ends at LF or CR,
// never longer than kMaxTableLine, empty lines dropped. Reads the stream in
// large blocks so that huge files and endless lines cost linear time and a
// bounded amount of memory.
class TableLineReader {
 public:
  explicit TableLineReader(std::istream& in) : in_(in) {}
  TableLineReader(const TableLineReader&) = delete;
  TableLineReader& operator=(const TableLineReader&) = delete;

  // Fills `line` with the next non-empty line and `number` with the physical
  // line it came from; `cut` is true when the line stopped at the length
  // limit rather than at a line end. Returns false at the end of the input.
  bool Next(std::string& line, std::size_t& number, bool& cut) {
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

 private:
  // Whether more characters of the same line follow: a line of exactly the
  // limit that then ends is whole, not cut.
  bool NextIsContent() {
    if (pos_ == end_ && !Refill()) return false;
    return block_[pos_] != '\n' && block_[pos_] != '\r';
  }

  bool Refill() {
    if (!in_) return false;
    in_.read(block_, sizeof block_);
    pos_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
  }

  std::istream& in_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t physical_ = 1;
  bool afterCr_ = false;
  char block_[64 * 1024];
};

void InsertEntry(CCodeTable& table, std::size_t number, const CByteString& code,
                 const CByteString& text, const CLoadObserver* observer) {
  if (observer != nullptr && observer->onEntry) {
    observer->onEntry(number, code, text);
  }
  // Without an observer that takes them, replacements are the dictionaries'
  // own "Replacing old value" lines.
  if (observer == nullptr || !observer->onReplaced) {
    table.forward->Insert(code, text);
    table.reverse->Insert(text, code);
    return;
  }
  bool replaced = false;
  if (table.forward->Insert(code, text, replaced) && replaced) {
    observer->onReplaced(number, TableDictionary::kForward);
  }
  replaced = false;
  if (table.reverse->Insert(text, code, replaced) && replaced) {
    observer->onReplaced(number, TableDictionary::kReverse);
  }
}

void HandleLine(CCodeTable& table, std::string_view line, std::size_t number,
                const CLoadObserver* observer) {
  const auto ignore = [&](LineFault fault) {
    if (observer != nullptr && observer->onIgnored) {
      observer->onIgnored(number, line, fault);
    }
  };
  // The "=" is looked for as in terminated text: a zero byte hides the rest.
  const std::string_view searched = line.substr(0, line.find('\0'));
  const std::size_t equals = searched.find('=');
  if (equals == std::string_view::npos) return ignore(LineFault::kNoEquals);
  if (!IsHexDigit(line[0])) return ignore(LineFault::kCodeNotHex);
  if (equals % 2 != 0) return ignore(LineFault::kOddCodeLength);

  CByteString code(static_cast<std::int32_t>(equals / 2));
  for (std::size_t i = 0; i < equals; i += 2) {
    code.data[i / 2] = static_cast<char>(HexPairValue(line[i], line[i + 1]));
  }
  std::string_view rest = line.substr(equals + 1);
  std::string converted;
  if (observer != nullptr && observer->convertText) {
    converted = rest;
    observer->convertText(number, converted);
    rest = converted;
  }
  const std::unique_ptr<CByteString> text =
      NewByteString(rest.data(), static_cast<std::int32_t>(rest.size()));
  InsertEntry(table, number, code, *text, observer);
}

std::unique_ptr<CCodeTable> LoadWith(std::istream& in,
                                     const CLoadObserver* observer) {
  auto table = std::make_unique<CCodeTable>();
  if (in.fail()) return table;
  TableLineReader reader(in);
  std::string line;
  line.reserve(kMaxTableLine);
  std::size_t number = 0;
  bool cut = false;
  while (reader.Next(line, number, cut)) {
    if (cut && observer != nullptr && observer->onCut) observer->onCut(number);
    HandleLine(*table, line, number, observer);
  }
  return table;
}

}  // namespace

CCodeTable::CCodeTable()
    : forward(std::make_unique<CCodeDictionary>()),
      reverse(std::make_unique<CCodeDictionary>()) {}

std::unique_ptr<CCodeTable> Load(std::istream& in) {
  return LoadWith(in, nullptr);
}

std::unique_ptr<CCodeTable> Load(std::istream& in,
                                 const CLoadObserver& observer) {
  return LoadWith(in, &observer);
}

}  // namespace dalvren
