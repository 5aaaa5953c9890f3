// Counts in words live in the core, for the reports both programs write.
#pragma once

#include "core/Plural.h"
