#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/InputRange.h"
#include "cli/RoundTrip.h"
#include "cli/TableLoader.h"

namespace dalvren {

CStatus RunRoundTrip(const CCommandLine& line) {
  std::unique_ptr<CTableConverter> table;
  if (CStatus status = LoadConverter(line, &table); !status.IsOk()) {
    return status;
  }
  CInputRange input;
  if (CStatus status = ReadInputRange(line, &input); !status.IsOk()) {
    return status;
  }
  const CRoundTrip trip(
      *table, input.range, line.offset.value_or(0),
      {.tokens = line.unknown == UnknownBytes::kHex, .optimal = line.optimal});
  trip.Print(std::cout);
  std::cout.flush();
  if (!std::cout) {
    return CStatus::Failure(kExitError, "Unable to write standard output");
  }
  return trip.Kept() ? CStatus() : CStatus::Failure(kExitDiffers, "");
}

}  // namespace dalvren
