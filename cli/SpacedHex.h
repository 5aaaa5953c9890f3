// Bytes as hexadecimal pairs for messages live in the core, for the reports
// both programs write.
#pragma once

#include "core/SpacedHex.h"
