// The core's guess at the character set of a table's texts that are not
// UTF-8 (core/CharsetGuess.h), through iconv.
#pragma once

#include "core/CharsetGuess.h"

namespace dalvren {

class CEncodingGuess : public CCharsetGuess {
 public:
  // Tries every set the core prefers that the C library's iconv knows.
  CEncodingGuess();
};

}  // namespace dalvren
