#include "app/Conversion.h"

#include <cstdint>
#include <sstream>

namespace dalvren {

namespace {

// The window shows its refusals; there is no exit status to choose.
CStatus Refusal(const char* message) { return CStatus::Failure(1, message); }

}  // namespace

CStatus ConvertText(const CCodeTable* table, ConvertDirection direction,
                    const std::string& source, const CConvertOptions& options,
                    std::string* text) {
  if (table == nullptr) return Refusal(kNoTableMessage);
  if (source.size() > kMaxByteStringLength) return Refusal(kTooLargeMessage);

  const std::unique_ptr<CByteString> input =
      options.sourceHex ? FromHex(source.c_str())
                        : std::make_unique<CByteString>(source.c_str());
  const CCodeDictionary& dictionary = direction == ConvertDirection::kRomToDump
                                          ? *table->forward
                                          : *table->reverse;

  std::ostringstream out;
  const std::streamoff start = out.tellp();
  dictionary.Translate(out, input->Bytes());
  const std::streamoff written = out.tellp() - start;
  if (static_cast<std::size_t>(written) > kMaxByteStringLength) {
    return Refusal(kTooLargeMessage);
  }
  const std::string bytes = std::move(out).str();
  const std::unique_ptr<CByteString> result =
      NewByteString(bytes.data() + start, static_cast<std::int32_t>(written));

  if (options.targetHex) {
    text->assign(result->ToHex().get(),
                 2 * static_cast<std::size_t>(result->len));
  } else {
    // A field shows text, which ends at its first zero byte.
    text->assign(result->data.get());
  }
  return {};
}

}  // namespace dalvren
