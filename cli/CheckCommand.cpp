#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/ExtendedCheck.h"
#include "cli/TableCheck.h"
#include "cli/TableLoader.h"

namespace dalvren {

CStatus RunCheck(const CCommandLine& line) {
  CTableCheck check(std::cout);
  if (line.tableSyntax == TableSyntax::kExtended) {
    std::unique_ptr<CExtendedTable> table;
    if (CStatus status = LoadExtendedChecked(line, check, &table);
        !status.IsOk()) {
      return status;
    }
    FinishExtendedCheck(check, *table, std::cout);
  } else {
    std::unique_ptr<CCodeTable> table;
    if (CStatus status = LoadTable(line, &check, &table); !status.IsOk()) {
      return status;
    }
  }
  if (CStatus flushed = FlushStandardOutput(); !flushed.IsOk()) {
    return flushed;
  }
  const bool found = !check.Clean() || (line.strict && check.Warned());
  return found ? CStatus::Failure(kExitCheckFound, "") : CStatus();
}

}  // namespace dalvren
