#include <iostream>
#include <memory>
#include <ostream>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/RomFiles.h"
#include "cli/TableCodec.h"
#include "cli/TableLoader.h"
#include "rom/Extract.h"
#include "rom/ScriptReader.h"

namespace dalvren {

namespace {

std::string_view AsText(const CInputBytes& bytes) {
  return {bytes.data.get(), bytes.size};
}

}  // namespace

CStatus RunExtract(const CCommandLine& line) {
  const std::string& layoutPath = line.files[0];
  const std::string& romPath = line.files[1];
  if (CStatus status = CheckWritesApart("-o", line.output,
                                        {line.table, layoutPath, romPath});
      !status.IsOk()) {
    return status;
  }
  std::unique_ptr<CTableConverter> table;
  if (CStatus status = LoadConverter(line, &table); !status.IsOk()) {
    return status;
  }
  CInputBytes layoutFile;
  CInputBytes rom;
  if (CStatus status = ReadWholeFile(layoutPath, "layout file", &layoutFile);
      !status.IsOk()) {
    return status;
  }
  if (CStatus status = ReadWholeFile(romPath, "ROM file", &rom);
      !status.IsOk()) {
    return status;
  }
  const std::string named =
      FileInMessages(layoutPath, "Layout file", "Standard input");
  CScript layout;
  if (CError e = ReadScript(AsText(layoutFile), &layout); !e.IsOk()) {
    return StatusOf(e).WithContext(named);
  }
  if (!layout.strings.empty()) {
    return CStatus::Failure(
        kExitError, named + ": line " + std::to_string(layout.strings[0].line) +
                        ": a layout holds no #STRING: this is a script; "
                        "give the layout it was extracted with");
  }
  std::unique_ptr<COutputFile> output;
  const std::string out =
      FileInMessages(line.output, "output file", "standard output");
  if (CStatus status = COutputFile::Open(line.output, &output);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + out);
  }
  CExtractResult result;
  {
    std::ostream stream(output.get());
    if (CError e = Extract(layout.layout, rom.Bytes(), MakeRomCodec(*table),
                           stream, &result);
        !e.IsOk()) {
      return StatusOf(e).WithContext(named);
    }
    stream.flush();
  }
  if (!line.quiet) {
    const std::string file = layoutPath == "-" ? "standard input" : layoutPath;
    for (const CExtractResult::Note& note : result.notes) {
      std::cerr << file << ':' << note.line << ": " << note.message << '\n';
    }
    std::cerr.flush();
  }
  if (CStatus status = output->Commit(); !status.IsOk()) {
    return status.WithContext("Unable to write " + out);
  }
  return {};
}

}  // namespace dalvren
