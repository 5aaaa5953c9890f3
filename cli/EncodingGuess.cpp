#include "cli/EncodingGuess.h"

#include "cli/TableEncoding.h"

namespace dalvren {

CEncodingGuess::CEncodingGuess() : CCharsetGuess(TableEncodingConverters()) {}

}  // namespace dalvren
