#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/RoundTrip.h"
#include "cli/TableLoader.h"

namespace dalvren {

CStatus RunRoundTrip(const CCommandLine& line) {
  std::unique_ptr<CTableConverter> table;
  CInputRange input;
  if (CStatus status = LoadTableAndInput(line, &table, &input);
      !status.IsOk()) {
    return status;
  }
  const CRoundTrip trip(
      *table, input.range, line.offset.value_or(0),
      {.tokens = line.unknown == UnknownBytes::kHex, .optimal = line.optimal});
  trip.Print(std::cout);
  if (CStatus flushed = FlushStandardOutput(); !flushed.IsOk()) {
    return flushed;
  }
  return trip.Kept() ? CStatus() : CStatus::Failure(kExitDiffers, "");
}

}  // namespace dalvren
