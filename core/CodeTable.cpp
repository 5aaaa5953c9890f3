#include "core/CodeTable.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/TableLineReader.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

// The line that last gave each key of each dictionary, for the earlier line
// of a replacement; kept only when the observer takes replacements.
struct CKeyLines {
  std::unordered_map<std::string, std::size_t> forward;
  std::unordered_map<std::string, std::size_t> reverse;
};

std::string_view View(const CByteString& s) {
  return {s.data.get(), static_cast<std::size_t>(s.len)};
}

void InsertInto(CCodeDictionary& dictionary, TableDictionary which,
                std::size_t number, const CByteString& key,
                const CByteString& value, const CLoadObserver* observer,
                std::unordered_map<std::string, std::size_t>* lines) {
  std::string earlier;
  if (lines != nullptr) {
    if (const CByteString* old = dictionary.Find(key.Bytes())) {
      earlier = View(*old);
    }
  }
  bool replaced = false;
  if (!dictionary.Insert(key, value, replaced)) return;
  std::size_t earlierLine = 0;
  if (lines != nullptr) {
    earlierLine = std::exchange((*lines)[std::string(View(key))], number);
  }
  if (replaced) {
    ReportReplaced(observer, {.line = number,
                              .dictionary = which,
                              .key = View(key),
                              .earlier = earlier,
                              .earlierLine = earlierLine,
                              .now = View(value)});
  }
}

void InsertEntry(CCodeTable& table, std::size_t number, const CByteString& code,
                 const CByteString& text, const CLoadObserver* observer,
                 CKeyLines* lines) {
  if (observer != nullptr && observer->onEntry) {
    observer->onEntry(number, code, text);
  }
  InsertInto(*table.forward, TableDictionary::kForward, number, code, text,
             observer, lines != nullptr ? &lines->forward : nullptr);
  InsertInto(*table.reverse, TableDictionary::kReverse, number, text, code,
             observer, lines != nullptr ? &lines->reverse : nullptr);
}

void HandleLine(CCodeTable& table, std::string_view line, std::size_t number,
                const CLoadObserver* observer, CKeyLines* lines) {
  const auto ignore = [&](LineFault fault) {
    if (observer != nullptr && observer->onIgnored) {
      observer->onIgnored(number, line, fault);
    }
  };
  std::string codeBytes;
  std::string_view rest;
  if (const auto fault = SplitEntryLine(line, codeBytes, rest)) {
    return ignore(*fault);
  }
  const std::unique_ptr<CByteString> code = NewByteString(
      codeBytes.data(), static_cast<std::int32_t>(codeBytes.size()));
  std::string converted;
  if (observer != nullptr && observer->convertText) {
    converted = rest;
    observer->convertText(number, converted);
    rest = converted;
  }
  const std::unique_ptr<CByteString> text =
      NewByteString(rest.data(), static_cast<std::int32_t>(rest.size()));
  InsertEntry(table, number, *code, *text, observer, lines);
}

std::unique_ptr<CCodeTable> LoadWith(std::istream& in,
                                     const CLoadObserver* observer) {
  auto table = std::make_unique<CCodeTable>();
  if (in.fail()) return table;
  CTableLineReader reader(in);
  std::string line;
  line.reserve(kMaxTableLine);
  std::size_t number = 0;
  bool cut = false;
  const auto lines =
      WantsReplacements(observer) ? std::make_unique<CKeyLines>() : nullptr;
  bool first = true;
  while (reader.Next(line, number, cut)) {
    if (cut && observer != nullptr && observer->onCut) observer->onCut(number);
    std::string_view content = line;
    if (std::exchange(first, false) && number == 1 &&
        content.starts_with(kUtf8ByteOrderMark)) {
      content.remove_prefix(kUtf8ByteOrderMark.size());
      if (observer != nullptr && observer->onByteOrderMark) {
        observer->onByteOrderMark();
      }
      if (content.empty()) continue;
    }
    HandleLine(*table, content, number, observer, lines.get());
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
