// UTF-8, the converter's text everywhere, and UTF-16, the text of Windows'
// own interfaces: file names, the command line, the console.
#pragma once

#include <string>
#include <string_view>

namespace dalvren {

// `text` in UTF-16; a byte that begins no UTF-8 character becomes U+FFFD.
[[nodiscard]] std::wstring WideFromUtf8(std::string_view text);

// `text` in UTF-8; a lone surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromWide(std::wstring_view text);

}  // namespace dalvren
