#include "core/CharsetGuess.h"

namespace dalvren {

namespace {

// Whether converted UTF-8 holds a C1 control character (U+0080 to U+009F).
// No table means one, but EUC-JP and others map stray bytes 80 to 9F to them,
// which would make Shift_JIS kana look like valid EUC-JP.
bool HasC1Control(const std::string& utf8) {
  for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const auto next = static_cast<unsigned char>(utf8[i + 1]);
    if (lead == 0xC2 && next >= 0x80 && next <= 0x9F) return true;
  }
  return false;
}

}  // namespace

CCharsetGuess::CCharsetGuess(const ConverterFor& converterFor) {
  if (!converterFor) return;
  for (const char* name : {"EUC-JP", "Shift_JIS", "CP932", "windows-1252"}) {
    // A caller that cannot convert from one of them simply guesses among the
    // rest.
    if (Converter convert = converterFor(name)) {
      candidates_.push_back({name, std::move(convert), true});
    }
  }
}

void CCharsetGuess::Observe(const std::string& text) {
  observed_ = true;
  for (Candidate& candidate : candidates_) {
    if (!candidate.viable) continue;
    std::string copy = text;
    candidate.viable = candidate.convert(copy) && !HasC1Control(copy);
  }
}

std::string CCharsetGuess::Guess() const {
  if (!observed_) return {};
  for (const Candidate& candidate : candidates_) {
    if (candidate.viable) return candidate.name;
  }
  return {};
}

std::string CCharsetGuess::Tried() const {
  std::string names;
  for (std::size_t i = 0; i < candidates_.size(); ++i) {
    if (i > 0) names += i + 1 == candidates_.size() ? " or " : ", ";
    names += candidates_[i].name;
  }
  return names;
}

}  // namespace dalvren
