// A guess at the character set of a table's texts that are not UTF-8,
// narrowed text by text: a set stays in the running only while it reads
// every text seen so far as plausible text (valid, and free of C1 control
// characters).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/TableEncoding.h"

namespace dalvren {

class CEncodingGuess {
 public:
  // Starts with every set it knows in the running: EUC-JP, Shift_JIS,
  // CP932 and windows-1252, in this order of preference. EUC-JP comes first
  // because nearly any EUC-JP text also reads as Shift_JIS half-width kana,
  // while Shift_JIS kana and kanji are rarely valid EUC-JP; windows-1252
  // comes last because it reads almost any bytes at all.
  CEncodingGuess();

  // Owns iconv descriptors.
  CEncodingGuess(const CEncodingGuess&) = delete;
  CEncodingGuess& operator=(const CEncodingGuess&) = delete;

  // Takes `text` (a text that is not UTF-8) into account.
  void Observe(const std::string& text);

  // The preferred set that read every observed text, or an empty text when
  // none did (or nothing was observed).
  [[nodiscard]] std::string Guess() const;

  // The names of all sets tried, in order of preference, for messages.
  [[nodiscard]] std::string Tried() const;

 private:
  struct Candidate {
    std::unique_ptr<CTableEncoding> encoding;
    bool viable = true;
  };
  std::vector<Candidate> candidates_;
  bool observed_ = false;
};

}  // namespace dalvren
