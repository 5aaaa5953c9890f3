// The report of the check command: the core's table report (core/
// TableReport.h), with the character set of texts that are not UTF-8
// guessed through iconv.
#pragma once

#include <ostream>

#include "core/TableReport.h"

namespace dalvren {

class CTableCheck : public CTableReport {
 public:
  // Reports go to `report`, which stays the caller's.
  explicit CTableCheck(std::ostream& report);
};

}  // namespace dalvren
