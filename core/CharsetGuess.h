// A guess at the character set of a table's texts that are not UTF-8,
// narrowed text by text: a set stays in the running only while it reads
// every text seen so far as plausible text (valid, and free of C1 control
// characters).
//
// The core converts no character set itself: whoever wants the guess hands
// in the conversions (the converter through iconv, the window through its
// toolkit), and the sets tried, their order and the rules stay here.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dalvren {

class CCharsetGuess {
 public:
  // Converts `text` from one character set into UTF-8 in place; false when
  // the text is not valid in that set.
  using Converter = std::function<bool(std::string& text)>;
  // The converter from the set `name`, or an empty function when the caller
  // cannot convert from it.
  using ConverterFor = std::function<Converter(const std::string& name)>;

  // Starts with every set that `converterFor` converts from in the running:
  // EUC-JP, Shift_JIS, CP932 and windows-1252, in this order of preference.
  // EUC-JP comes first because nearly any EUC-JP text also reads as
  // Shift_JIS half-width kana, while Shift_JIS kana and kanji are rarely
  // valid EUC-JP; windows-1252 comes last because it reads almost any bytes
  // at all. An empty `converterFor` tries no set and never guesses.
  explicit CCharsetGuess(const ConverterFor& converterFor);

  // Holds converters, which may own resources of the caller's.
  CCharsetGuess(const CCharsetGuess&) = delete;
  CCharsetGuess& operator=(const CCharsetGuess&) = delete;

  // Takes `text` (a text that is not UTF-8) into account.
  void Observe(const std::string& text);

  // The preferred set that read every observed text, or an empty text when
  // none did (or nothing was observed).
  [[nodiscard]] std::string Guess() const;

  // The names of all sets tried, in order of preference, for messages;
  // empty when none is tried.
  [[nodiscard]] std::string Tried() const;

 private:
  struct Candidate {
    std::string name;
    Converter convert;
    bool viable = true;
  };
  std::vector<Candidate> candidates_;
  bool observed_ = false;
};

}  // namespace dalvren
