#include "cli/RomSearch.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "core/ByteString.h"

namespace dalvren {

namespace {

std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

CStatus SearchRom(
    const CCommandLine& line,
    const std::function<CError(std::istream& in,
                               const CRomSearchOptions& options)>& search) {
  const std::string named =
      FileInMessages(line.input, "ROM file", "standard input");
  constexpr std::uint64_t kLimit = kMaxByteStringLength;
  const auto tooLarge = [&named](const std::string& size) {
    return CStatus::Failure(kExitError,
                            "Unable to read " + named + ": larger than " +
                                std::to_string(kLimit) + " bytes" + size +
                                ", the most one run can search");
  };
  if (line.input != "-") {
    // A ROM too large is refused before a single hit is written.
    std::error_code error;
    const auto status = std::filesystem::status(line.input, error);
    if (!error && std::filesystem::is_regular_file(status)) {
      const std::uintmax_t size = std::filesystem::file_size(line.input, error);
      if (!error && size > kLimit) {
        return tooLarge(" (" + std::to_string(size) + " bytes)");
      }
    }
  }
  std::unique_ptr<CInputFile> file;
  if (CStatus status = CInputFile::Open(line.input, {}, &file);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  std::istream in(file.get());
  const CError error =
      search(in, {.context = line.context.value_or(32), .limit = kLimit});
  // The file hides a read error from the stream as the end of the input.
  if (CStatus status = file->ReadStatus(); !status.IsOk()) {
    return status.WithContext("Unable to read " + named);
  }
  if (error.GetKind() == CError::Kind::kNoRoom) return tooLarge("");
  if (!error.IsOk()) {
    return CStatus::Failure(kExitError,
                            "Unable to read " + named + ": " + error.Message());
  }
  return {};
}

std::string HitOffset(std::uint64_t offset) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llX",
                static_cast<unsigned long long>(offset));
  return text;
}

std::string ContextText(
    const CHitBytes& hit,
    const std::function<std::string(std::span<const unsigned char>)>& dump) {
  const std::span<const unsigned char> rest(
      hit.match.data(), hit.match.size() + hit.after.size());
  return OneLine(dump(hit.before) + dump(rest));
}

}  // namespace dalvren
