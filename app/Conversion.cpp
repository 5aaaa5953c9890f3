#include "app/Conversion.h"

#include <cstdint>
#include <sstream>

namespace dalvren {

CConvertedText ConvertText(const CCodeTable* table, ConvertDirection direction,
                           const std::string& source, bool sourceHex,
                           bool targetHex) {
  if (table == nullptr) return {{}, kNoTableMessage};
  if (source.size() > kMaxByteStringLength) return {{}, kTooLargeMessage};

  const std::unique_ptr<CByteString> input =
      sourceHex ? FromHex(source.c_str())
                : std::make_unique<CByteString>(source.c_str());
  const CCodeDictionary& dictionary = direction == ConvertDirection::kRomToDump
                                          ? *table->forward
                                          : *table->reverse;

  std::ostringstream out;
  const std::streamoff start = out.tellp();
  dictionary.Translate(out, input->Bytes());
  const std::streamoff written = out.tellp() - start;
  if (static_cast<std::size_t>(written) > kMaxByteStringLength) {
    return {{}, kTooLargeMessage};
  }
  const std::string bytes = std::move(out).str();
  const std::unique_ptr<CByteString> result =
      NewByteString(bytes.data() + start, static_cast<std::int32_t>(written));

  if (targetHex) {
    return {std::string(result->ToHex().get(),
                        2 * static_cast<std::size_t>(result->len)),
            {}};
  }
  // A field shows text, which ends at its first zero byte.
  return {std::string(result->data.get()), {}};
}

}  // namespace dalvren
