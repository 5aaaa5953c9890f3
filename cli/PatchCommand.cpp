#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/OutputFile.h"
#include "cli/RomFiles.h"
#include "rom/Patch.h"

namespace dalvren {

namespace {

// Reads the two files of `line`, runs `make` on them and writes what it
// made to -o, in full or not at all.
template <typename Make>
CStatus TwoFilesToOne(const CCommandLine& line, std::string_view firstKind,
                      std::string_view secondKind, Make&& make) {
  if (CStatus status = CheckWritesApart("-o", line.output, line.files);
      !status.IsOk()) {
    return status;
  }
  CInputBytes first;
  CInputBytes second;
  if (CStatus status = ReadWholeFile(line.files[0], firstKind, &first);
      !status.IsOk()) {
    return status;
  }
  if (CStatus status = ReadWholeFile(line.files[1], secondKind, &second);
      !status.IsOk()) {
    return status;
  }
  std::string made;
  if (CStatus status = make(first.Bytes(), second.Bytes(), &made);
      !status.IsOk()) {
    return status;
  }
  first = CInputBytes();
  second = CInputBytes();
  const std::string named =
      FileInMessages(line.output, "output file", "standard output");
  std::unique_ptr<COutputFile> output;
  if (CStatus status = COutputFile::Open(line.output, &output);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  output->sputn(made.data(), static_cast<std::streamsize>(made.size()));
  if (CStatus status = output->Commit(); !status.IsOk()) {
    return status.WithContext("Unable to write " + named);
  }
  return {};
}

}  // namespace

CStatus RunDiff(const CCommandLine& line) {
  bool bps = false;
  (void)PatchFormatOf(line.output, bps);
  return TwoFilesToOne(
      line, "original ROM file", "new ROM file",
      [bps](std::span<const unsigned char> original,
            std::span<const unsigned char> changed, std::string* patch) {
        return StatusOf(MakePatch(bps ? PatchFormat::kBps : PatchFormat::kIps,
                                  original, changed, patch));
      });
}

CStatus RunPatch(const CCommandLine& line) {
  const std::string named =
      FileInMessages(line.files[0], "Patch file", "Standard input");
  return TwoFilesToOne(
      line, "patch file", "original ROM file",
      [&named](std::span<const unsigned char> patch,
               std::span<const unsigned char> original, std::string* result) {
        return StatusOf(ApplyPatch(patch, original, result)).WithContext(named);
      });
}

}  // namespace dalvren
