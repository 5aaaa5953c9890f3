#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/DropReport.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/Plural.h"
#include "cli/RomFiles.h"
#include "cli/TableCodec.h"
#include "cli/TableLoader.h"
#include "rom/Build.h"
#include "rom/LayoutText.h"
#include "rom/Patch.h"
#include "rom/ScriptReader.h"

namespace dalvren {

namespace {

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

// What insert said about the changed texts, unless -q: dropped characters
// and notes, by their place in the script.
void ReportInsert(const CCommandLine& line, std::string_view file,
                  const CBuildResult& result) {
  if (line.quiet) return;
  for (const CBuildResult::Note& n : result.notes) {
    std::cerr << file << ':' << n.line << ':' << n.column
              << ": note: " << n.message << '\n';
  }
  ReportDrops(std::cerr, file, result.drops);
  std::cerr.flush();
}

void ReportNoRoom(std::string_view file, const CBuildResult& result) {
  for (const CBuildResult::NoRoom& n : result.noRoom) {
    std::cerr << file << ':' << n.line << ": the string at "
              << HexOffset(n.offset) << " needs "
              << Plural(n.needed, "byte", "bytes") << ", " << n.available
              << " available in reach";
    if (!n.reason.empty()) std::cerr << " (" << n.reason << ")";
    std::cerr << '\n';
  }
  std::cerr.flush();
}

void PrintStats(const CBuildResult& result) {
  for (const CBuildResult::BlockStats& b : result.blocks) {
    std::cerr << b.name << " (line " << b.line << "): " << b.changed << " of "
              << Plural(b.strings, "string", "strings") << " changed, "
              << b.moved << " moved; " << Plural(b.bytesBefore, "byte", "bytes")
              << " used before, " << b.bytesAfter << " after; "
              << Plural(b.freed, "byte", "bytes") << " freed, " << b.freedUsed
              << " of them used, " << b.freed - b.freedUsed << " left\n";
  }
  std::cerr << "#FREE: " << result.freeUsed << " of "
            << Plural(result.freeTotal, "byte", "bytes") << " used, "
            << result.freeTotal - result.freeUsed << " left\n";
  std::cerr.flush();
}

// Reads the table, the script and the ROM, and builds the new ROM into
// `*rom`, and with --patch a copy of the original into `*original`.
CStatus BuildFromFiles(const CCommandLine& line, CInputBytes* rom,
                       std::string* original, CBuildResult* result) {
  const std::string& scriptPath = line.files[0];
  std::unique_ptr<CTableConverter> table;
  if (CStatus status = LoadConverter(line, &table); !status.IsOk()) {
    return status;
  }
  const std::string named =
      FileInMessages(scriptPath, "Script file", "Standard input");
  CScript script;
  {
    // The file is read whole, then let go of before the ROM is read, so
    // that both are never held besides the script's strings.
    CInputBytes file;
    if (CStatus status = ReadWholeFile(scriptPath, "script file", &file);
        !status.IsOk()) {
      return status;
    }
    if (CError e = ReadScript({file.data.get(), file.size}, &script);
        !e.IsOk()) {
      return StatusOf(e).WithContext(named);
    }
  }
  if (CStatus status = ReadWholeFile(line.files[1], "ROM file", rom);
      !status.IsOk()) {
    return status;
  }
  const std::span<unsigned char> bytes(
      reinterpret_cast<unsigned char*>(rom->data.get()), rom->size);
  if (!line.patch.empty()) original->assign(rom->data.get(), rom->size);
  const CError built =
      Build(script, bytes, MakeRomCodec(*table), {.force = line.force}, result);
  const std::string file = scriptPath == "-" ? "standard input" : scriptPath;
  ReportInsert(line, file, *result);
  if (built.GetKind() == CError::Kind::kNoRoom) {
    ReportNoRoom(file, *result);
    return StatusOf(built).WithContext("Nothing written");
  }
  if (built.GetKind() == CError::Kind::kMismatch) {
    return CStatus::Failure(kExitError, named + ": " + built.Message() +
                                            " (--force builds anyway)");
  }
  if (!built.IsOk()) return StatusOf(built).WithContext(named);
  if (line.strict && !result->drops.empty()) {
    return CStatus::Failure(kExitDrops, "Nothing written: " +
                                            Plural(result->drops.size(),
                                                   "character", "characters") +
                                            " dropped, and --strict is given");
  }
  return {};
}

// Writes `bytes` to `path` in full, or leaves it as it was.
CStatus WriteWhole(const std::string& path, std::string_view bytes,
                   std::unique_ptr<COutputFile>* file) {
  const std::string named =
      FileInMessages(path, "output file", "standard output");
  if (CStatus status = COutputFile::Open(path, file); !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  (*file)->sputn(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return {};
}

}  // namespace

CStatus RunBuild(const CCommandLine& line) {
  const std::vector<std::string> inputs = {line.table, line.files[0],
                                           line.files[1]};
  if (CStatus status = CheckWritesApart("-o", line.output, inputs);
      !status.IsOk()) {
    return status;
  }
  if (!line.patch.empty()) {
    std::vector<std::string> others = inputs;
    others.push_back(line.output);
    if (CStatus status = CheckWritesApart("--patch", line.patch, others);
        !status.IsOk()) {
      return status;
    }
  }
  CInputBytes rom;
  std::string original;
  CBuildResult result;
  if (CStatus status = BuildFromFiles(line, &rom, &original, &result);
      !status.IsOk()) {
    return status;
  }
  std::string patch;
  if (!line.patch.empty()) {
    bool bps = false;
    (void)PatchFormatOf(line.patch, bps);
    if (CError e = MakePatch(bps ? PatchFormat::kBps : PatchFormat::kIps,
                             AsBytes(original), rom.Bytes(), &patch);
        !e.IsOk()) {
      return StatusOf(e).WithContext("Nothing written");
    }
  }
  std::unique_ptr<COutputFile> romFile;
  std::unique_ptr<COutputFile> patchFile;
  if (CStatus status =
          WriteWhole(line.output, {rom.data.get(), rom.size}, &romFile);
      !status.IsOk()) {
    return status;
  }
  if (!line.patch.empty()) {
    if (CStatus status = WriteWhole(line.patch, patch, &patchFile);
        !status.IsOk()) {
      return status;
    }
    if (CStatus status = patchFile->Commit(); !status.IsOk()) {
      return status.WithContext("Unable to write patch file '" + line.patch +
                                "'");
    }
  }
  if (CStatus status = romFile->Commit(); !status.IsOk()) {
    return status.WithContext(
        "Unable to write " +
        FileInMessages(line.output, "output file", "standard output"));
  }
  if (line.stats) PrintStats(result);
  return {};
}

}  // namespace dalvren
