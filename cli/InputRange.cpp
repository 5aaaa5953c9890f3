#include "cli/InputRange.h"

#include <cstdint>
#include <string>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "core/HexCodec.h"

namespace dalvren {

namespace {

// A count in a message as the user wrote it, with its decimal value where
// that reads differently ("0x1F00 (7936)"), so that the message can be
// matched with the command line.
std::string AsWritten(const std::string& written, std::uint64_t value) {
  std::string decimal = std::to_string(value);
  if (written.empty() || written == decimal) return decimal;
  return written + " (" + decimal + ")";
}

}  // namespace

CStatus ReadInputRange(const CCommandLine& line, CInputRange* input) {
  const std::string named =
      FileInMessages(line.input, "input file", "standard input");
  {
    std::unique_ptr<CInputFile> file;
    if (CStatus status = CInputFile::Open(line.input, {}, &file);
        !status.IsOk()) {
      return status.WithContext("Unable to open " + named);
    }
    if (CStatus status = file->ReadAll(kMaxByteStringLength, &input->bytes);
        !status.IsOk()) {
      return status.WithContext("Unable to read " + named);
    }
  }
  std::span<const unsigned char> all = input->bytes.Bytes();
  if (line.hexIn) {
    input->decoded = FromHex(input->bytes.data.get());
    input->bytes = CInputBytes();
    all = input->decoded->Bytes();
  }

  const std::uint64_t size = all.size();
  const std::uint64_t offset = line.offset.value_or(0);
  if (offset > size) {
    return CStatus::Failure(kExitError, "Offset " +
                                            AsWritten(line.offsetText, offset) +
                                            " is past the end of the input (" +
                                            std::to_string(size) + " bytes)");
  }
  const std::uint64_t length = line.length.value_or(size - offset);
  if (length > size - offset) {
    return CStatus::Failure(kExitError,
                            "Range of " + AsWritten(line.lengthText, length) +
                                " bytes at offset " +
                                AsWritten(line.offsetText, offset) +
                                " reaches past the end of the input (" +
                                std::to_string(size) + " bytes)");
  }
  input->range = all.subspan(offset, length);
  return {};
}

}  // namespace dalvren
