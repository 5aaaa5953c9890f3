// Small helpers shared by the tests of the translation core and its users.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "core/CodeTable.h"

namespace dalvren::test {

// The bytes of a string, for handing to the core.
inline std::span<const unsigned char> AsBytes(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

// The contents of a byte string as std::string (zero bytes kept).
inline std::string Contents(const CByteString& s) {
  return std::string(s.data.get(), static_cast<std::size_t>(s.len));
}

inline std::unique_ptr<CByteString> MakeString(std::string_view s) {
  return NewByteString(s.data(), static_cast<std::int32_t>(s.size()));
}

// "41 42 0A" -> the three bytes; for writing byte sequences readably.
inline std::string Hex(std::string_view digits) {
  std::string out;
  int pending = -1;
  for (char c : digits) {
    if (c == ' ') continue;
    const int v = (c >= '0' && c <= '9')   ? c - '0'
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                           : c - 'a' + 10;
    if (pending < 0) {
      pending = v;
    } else {
      out.push_back(static_cast<char>(pending * 16 + v));
      pending = -1;
    }
  }
  return out;
}

// Inserts `key` -> `value` and reports whether the dictionary accepted it.
inline bool Put(CCodeDictionary& dict, std::string_view key,
                std::string_view value) {
  return dict.Insert(*MakeString(key), *MakeString(value));
}

// As Put, and appends the line a replacement was once told by (the notice
// and a line feed) to `notices` when the key already held a value.
inline bool PutNoting(CCodeDictionary& dict, std::string_view key,
                      std::string_view value, std::string& notices) {
  bool replaced = false;
  const bool stored =
      dict.Insert(*MakeString(key), *MakeString(value), replaced);
  if (stored && replaced) (notices += kReplacingNotice) += '\n';
  return stored;
}

// An observer that appends that line to `notices` for each replacement.
inline CLoadObserver NoticeObserver(std::string& notices) {
  CLoadObserver observer;
  observer.onReplaced = [&notices](std::size_t, TableDictionary) {
    (notices += kReplacingNotice) += '\n';
  };
  return observer;
}

inline std::string TranslateToString(const CCodeDictionary& dict,
                                     std::string_view input) {
  std::ostringstream out;
  dict.Translate(out, AsBytes(input));
  return out.str();
}

inline std::unique_ptr<CCodeTable> LoadFromString(const std::string& file) {
  std::istringstream in(file);
  return Load(in);
}

}  // namespace dalvren::test
