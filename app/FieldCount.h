// What a field holds, counted from its field text (framework/FieldText.h)
// without making its bytes: the count FieldCount (app/Conversion.h) gives
// for the field's bytes.
#pragma once

#include <QStringView>
#include <cstdint>

namespace dalvren {

// In hex mode the bytes a conversion would read (FieldInputSize); else the
// characters (core/Utf8.h) of the field's bytes up to the first zero byte.
[[nodiscard]] std::uint64_t CountFieldText(QStringView text, bool hex);

}  // namespace dalvren
