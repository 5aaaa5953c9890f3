// What a field holds, counted from its field text (framework/FieldText.h)
// without making its bytes.
#pragma once

#include <QStringView>
#include <cstdint>

namespace dalvren {

// In hex mode the number of bytes a conversion would read from the field
// (FieldInputBytes, app/Conversion.h); else the number of characters
// (core/Utf8.h) of what it would read, the field's bytes up to the first
// zero byte.
[[nodiscard]] std::uint64_t CountFieldText(QStringView text, bool hex);

}  // namespace dalvren
