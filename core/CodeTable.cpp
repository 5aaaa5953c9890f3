#include "core/CodeTable.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "core/TableLineReader.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

void InsertEntry(CCodeTable& table, std::size_t number, const CByteString& code,
                 const CByteString& text, const CLoadObserver* observer) {
  if (observer != nullptr && observer->onEntry) {
    observer->onEntry(number, code, text);
  }
  bool replaced = false;
  if (table.forward->Insert(code, text, replaced) && replaced) {
    ReportReplaced(observer, number, TableDictionary::kForward);
  }
  replaced = false;
  if (table.reverse->Insert(text, code, replaced) && replaced) {
    ReportReplaced(observer, number, TableDictionary::kReverse);
  }
}

void HandleLine(CCodeTable& table, std::string_view line, std::size_t number,
                const CLoadObserver* observer) {
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
  InsertEntry(table, number, *code, *text, observer);
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
    HandleLine(*table, content, number, observer);
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
