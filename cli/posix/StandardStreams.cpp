#include "cli/StandardStreams.h"

namespace dalvren {

// The streams are bytes already, and a terminal shows UTF-8 as it comes.
CStandardStreams::CStandardStreams() = default;

CStandardStreams::~CStandardStreams() = default;

}  // namespace dalvren
