#include "cli/TableLoader.h"

#include <cstddef>
#include <functional>
#include <istream>
#include <string>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/TableEncoding.h"

namespace dalvren {

namespace {

// Converts the texts of a table as it loads, and remembers the lines whose
// text does not convert: the load cannot stop midway, so the failure is
// reported once it is over.
struct CTextConversion {
  void operator()(std::size_t line, std::string& text) {
    const CStatus status = encoding->Convert(text);
    if (status.IsOk()) return;
    if (failures++ == 0) {
      firstLine = line;
      firstError = status.Message();
    }
  }

  CTableEncoding* encoding = nullptr;
  std::size_t failures = 0;
  std::size_t firstLine = 0;
  std::string firstError;
};

}  // namespace

CStatus LoadTable(const CCommandLine& line, CTableCheck* check,
                  std::unique_ptr<CCodeTable>* table) {
  std::unique_ptr<CTableEncoding> encoding;
  if (!line.tableEncoding.empty()) {
    if (CStatus status = CTableEncoding::Open(line.tableEncoding, &encoding);
        !status.IsOk()) {
      return status;
    }
  }
  const std::string named = "table file '" + line.table + "'";
  std::unique_ptr<CInputFile> file;
  if (CStatus status =
          CInputFile::Open(line.table, {.regularOnly = true}, &file);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  std::istream in(file.get());
  CTextConversion conversion;
  conversion.encoding = encoding.get();
  std::function<void(std::size_t, std::string&)> convert;
  if (encoding) {
    convert = [&conversion](std::size_t number, std::string& text) {
      conversion(number, text);
    };
  }
  std::unique_ptr<CCodeTable> loaded;
  if (check != nullptr) {
    // The check reports every replacement itself, with the lines involved.
    loaded = check->Run(in, convert);
  } else {
    CLoadObserver observer;
    observer.convertText = convert;
    if (line.quiet) observer.onReplaced = [](std::size_t, TableDictionary) {};
    loaded = Load(in, observer);
  }
  if (CStatus status = file->ReadStatus(); !status.IsOk()) {
    return status.WithContext("Unable to read " + named);
  }
  if (conversion.failures > 0) {
    const std::size_t more = conversion.failures - 1;
    return CStatus::Failure(
        kExitError,
        "Line " + std::to_string(conversion.firstLine) + " of " + named +
            " does not convert from " + line.tableEncoding + ": " +
            conversion.firstError +
            (more > 0 ? " (and " + std::to_string(more) +
                            (more == 1 ? " more line)" : " more lines)")
                      : ""));
  }
  *table = std::move(loaded);
  return {};
}

CStatus LoadTableAndInput(const CCommandLine& line,
                          std::unique_ptr<CCodeTable>* table,
                          CInputRange* input) {
  if (CStatus status = LoadTable(line, nullptr, table); !status.IsOk()) {
    return status;
  }
  return ReadInputRange(line, input);
}

}  // namespace dalvren
