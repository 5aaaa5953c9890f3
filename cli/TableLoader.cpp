#include "cli/TableLoader.h"

#include <cstddef>
#include <functional>
#include <iostream>
#include <istream>
#include <string>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/Plural.h"
#include "cli/SameFile.h"
#include "cli/TableEncoding.h"
#include "core/ExtendedTable.h"

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

// Opens the table of `line` and its encoding, and runs `load` on the stream
// with the text conversion to use (empty without --table-encoding).
CStatus LoadFrom(
    const CCommandLine& line,
    const std::function<void(
        std::istream& in,
        const std::function<void(std::size_t, std::string&)>& convert)>& load) {
  std::unique_ptr<CTableEncoding> encoding;
  if (!line.tableEncoding.empty()) {
    const CTableEncoding::Options options = {
        .lineBreakEscapes = line.tableSyntax == TableSyntax::kExtended};
    if (CStatus status =
            CTableEncoding::Open(line.tableEncoding, options, &encoding);
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
  load(in, convert);
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
            (more > 0 ? " (and " + Plural(more, "more line", "more lines") + ")"
                      : ""));
  }
  return {};
}

// The line standard error gets for `replacement` in the table `table`.
std::string ReplacementNotice(const std::string& table,
                              const CReplacement& replacement) {
  const CReplacement& r = replacement;
  const std::string earlierLine = std::to_string(r.earlierLine);
  const bool forward = r.dictionary == TableDictionary::kForward;
  std::string notice =
      table + ": line " + std::to_string(r.line) + ": " +
      (forward ? "code " + CodeHex(r.key) : "text " + QuotedText(r.key));
  if (r.earlier == r.now) {
    return notice + " is given again (also on line " + earlierLine + ")";
  }
  if (forward) {
    return notice + " was " + QuotedText(r.earlier) + " (line " + earlierLine +
           "), now " + QuotedText(r.now);
  }
  return notice + " was inserted as " + CodeHex(r.earlier) + " (line " +
         earlierLine + "), now as " + CodeHex(r.now);
}

// What dump, insert and roundtrip observe of a load: the text conversion,
// and each replacement said on standard error unless `line.quiet`.
CLoadObserver ConverterObserver(
    const CCommandLine& line,
    const std::function<void(std::size_t, std::string&)>& convert) {
  CLoadObserver observer;
  observer.convertText = convert;
  if (line.quiet) {
    observer.onReplaced = [](std::size_t, TableDictionary) {};
    return observer;
  }
  const std::string table = line.table == "-" ? "standard input" : line.table;
  observer.onReplacement = [table](const CReplacement& replacement) {
    std::cerr << ReplacementNotice(table, replacement) << std::endl;
  };
  return observer;
}

}  // namespace

CStatus LoadTable(const CCommandLine& line, CTableCheck* check,
                  std::unique_ptr<CCodeTable>* table) {
  std::unique_ptr<CCodeTable> loaded;
  CStatus status = LoadFrom(line, [&](std::istream& in, const auto& convert) {
    if (check != nullptr) {
      // The check reports every replacement itself, with the lines involved.
      loaded = check->Run(in, convert);
    } else {
      loaded = Load(in, ConverterObserver(line, convert));
    }
  });
  if (status.IsOk()) *table = std::move(loaded);
  return status;
}

CStatus LoadConverter(const CCommandLine& line,
                      std::unique_ptr<CTableConverter>* converter) {
  if (line.tableSyntax == TableSyntax::kPlain) {
    std::unique_ptr<CCodeTable> table;
    if (CStatus status = LoadTable(line, nullptr, &table); !status.IsOk()) {
      return status;
    }
    *converter = std::make_unique<CTableConverter>(std::move(table));
    return {};
  }
  std::unique_ptr<CExtendedTable> loaded;
  CStatus status = LoadFrom(line, [&](std::istream& in, const auto& convert) {
    loaded = LoadExtended(in, ConverterObserver(line, convert));
  });
  if (status.IsOk()) {
    *converter = std::make_unique<CTableConverter>(std::move(loaded));
  }
  return status;
}

CStatus LoadExtendedChecked(const CCommandLine& line, CTableCheck& check,
                            std::unique_ptr<CExtendedTable>* table) {
  std::unique_ptr<CExtendedTable> loaded;
  CStatus status = LoadFrom(line, [&](std::istream& in, const auto& convert) {
    loaded = LoadExtended(in, check.Observer(convert));
  });
  if (status.IsOk()) *table = std::move(loaded);
  return status;
}

CStatus RefuseTableAsOutput(const CCommandLine& line) {
  if (line.output == "-" || line.table == "-" ||
      !IsSameFile(line.output, line.table)) {
    return {};
  }
  return CStatus::Failure(kExitError, "Output file '" + line.output +
                                          "' is the table file '" + line.table +
                                          "': the output would replace it");
}

CStatus LoadTableAndInput(const CCommandLine& line,
                          std::unique_ptr<CTableConverter>* table,
                          CInputRange* input) {
  if (CStatus status = LoadConverter(line, table); !status.IsOk()) {
    return status;
  }
  return ReadInputRange(line, input);
}

}  // namespace dalvren
