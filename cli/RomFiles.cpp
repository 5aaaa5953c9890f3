#include "cli/RomFiles.h"

#include <memory>

#include "cli/CommandLine.h"
#include "cli/InputFile.h"
#include "cli/SameFile.h"
#include "core/ByteString.h"

namespace dalvren {

CStatus ReadWholeFile(const std::string& path, std::string_view kind,
                      CInputBytes* bytes) {
  const std::string named = FileInMessages(path, kind, "standard input");
  std::unique_ptr<CInputFile> file;
  if (CStatus status = CInputFile::Open(path, {}, &file); !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  if (CStatus status = file->ReadAll(kMaxByteStringLength, bytes);
      !status.IsOk()) {
    return status.WithContext("Unable to read " + named);
  }
  return {};
}

CStatus CheckWritesApart(std::string_view option, const std::string& output,
                         const std::vector<std::string>& inputs) {
  if (output == "-") return {};
  for (const std::string& input : inputs) {
    if (input != "-" && IsSameFile(input, output)) {
      std::string message(option);
      message += " '" + output + "' is '";
      message += input;
      message +=
          "', which this command reads: write the result to another "
          "file";
      return CStatus::UsageError(std::move(message));
    }
  }
  return {};
}

}  // namespace dalvren
