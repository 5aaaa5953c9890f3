#include "cli/TableCheck.h"

#include "cli/TableEncoding.h"

namespace dalvren {

CTableCheck::CTableCheck(std::ostream& report)
    : CTableReport(report, TableEncodingConverters()) {}

}  // namespace dalvren
