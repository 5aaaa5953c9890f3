#include "rom/RomFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <system_error>
#include <vector>

#include "core/ByteString.h"
#include "core/Plural.h"
#include "core/SpacedHex.h"
#include "rom/Crc32.h"

namespace dalvren {

namespace fs = std::filesystem;

namespace {

// Files are read and copied in blocks of this size.
constexpr std::size_t kBlock = std::size_t{1} << 20;

CError SystemError(int error) { return CError::Io(std::strerror(error)); }

CError Refusal(const fs::file_status& status) {
  if (status.type() == fs::file_type::not_found) {
    return CError::Io("no such file");
  }
  if (fs::is_directory(status)) return CError::Io("it is a folder");
  return CError::Io("it is not a regular file");
}

std::string Bytes(std::uint64_t n) { return Plural(n, "byte", "bytes"); }

// "past the end of the file (95 bytes)"
std::string PastTheEnd(std::uint64_t size) {
  return "past the end of the file (" + Bytes(size) + ")";
}

// Closes a C stream when it goes.
struct CFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

// Copies `count` bytes from `in` to `out` in blocks; false when either
// fails or `in` ends first.
bool CopyBytes(std::istream& in, std::FILE* out, std::uint64_t count,
               std::vector<char>& buffer) {
  while (count > 0) {
    const auto take =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
    if (!in.read(buffer.data(), static_cast<std::streamsize>(take))) {
      return false;
    }
    if (std::fwrite(buffer.data(), 1, take, out) != take) return false;
    count -= take;
  }
  return true;
}

// A new, empty file beside `target`, made only if no file of its name
// exists, so that nothing else is ever overwritten on the way.
CError MakeTempBeside(const fs::path& target, fs::path* temp, CFilePtr* file) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx",
                  static_cast<unsigned long long>(random()));
    fs::path candidate = target;
    candidate.replace_filename("." + target.filename().string() + suffix);
    errno = 0;
    // string(): the path's own characters are wide on Windows, which
    // std::fopen does not take.
    if (std::FILE* made = std::fopen(candidate.string().c_str(), "wbx")) {
      *temp = candidate;
      file->reset(made);
      return {};
    }
    if (errno != EEXIST) return SystemError(errno);
  }
  return CError::Io("no temporary file could be made beside it");
}

// Where the new file goes, refusing a target that must not be replaced.
CError CheckTarget(const std::string& target, fs::path* resolved) {
  std::error_code error;
  const fs::file_status status = fs::status(target, error);
  if (status.type() == fs::file_type::not_found) {
    *resolved = fs::absolute(target, error);
    return {};
  }
  if (error) return CError::Io(error.message());
  if (!fs::is_regular_file(status)) return Refusal(status);
  constexpr fs::perms kWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & kWrite) == fs::perms::none) {
    return CError::Io("it is read-only");
  }
  *resolved = fs::canonical(target, error);
  if (error) return CError::Io(error.message());
  return {};
}

}  // namespace

CError RomFileSize(const std::string& path, std::uint64_t* size) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() != fs::file_type::not_found && error) {
    return CError::Io(error.message());
  }
  if (!fs::is_regular_file(status)) return Refusal(status);
  const std::uintmax_t bytes = fs::file_size(path, error);
  if (error) return CError::Io(error.message());
  *size = bytes;
  return {};
}

CError RomFileStateOf(const std::string& path, CRomFileState* state) {
  CRomFileState now;
  if (CError error = RomFileSize(path, &now.size); !error.IsOk()) return error;
  std::error_code error;
  now.modified = fs::last_write_time(path, error);
  if (error) return CError::Io(error.message());
  std::ifstream in(path, std::ios::binary);
  if (!in) return SystemError(errno);
  std::vector<char> buffer(kBlock);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
         in.gcount() > 0) {
    now.crc = Crc32Update(
        now.crc, {reinterpret_cast<const unsigned char*>(buffer.data()),
                  static_cast<std::size_t>(in.gcount())});
  }
  if (in.bad()) return CError::Io("it cannot be read");
  *state = now;
  return {};
}

CError ReadRomRange(const std::string& path, std::uint64_t offset,
                    std::optional<std::uint64_t> length, std::string* bytes,
                    CRomFileState* state) {
  CRomFileState now;
  if (CError error = RomFileStateOf(path, &now); !error.IsOk()) return error;
  if (offset > now.size) {
    return CError::Invalid("offset " + OffsetText(offset) + " is " +
                           PastTheEnd(now.size));
  }
  const std::uint64_t count = length.value_or(now.size - offset);
  if (count == 0) {
    return CError::Invalid(length ? "the length is 0: there is nothing to load"
                                  : "offset " + OffsetText(offset) +
                                        " is the end of the file: there is "
                                        "nothing to load");
  }
  if (count > now.size - offset) {
    return CError::Invalid(Bytes(count) + " at offset " + OffsetText(offset) +
                           " reach " + PastTheEnd(now.size));
  }
  if (count > kMaxByteStringLength) {
    return CError::Invalid(Bytes(count) + " are more than the " +
                           Bytes(kMaxByteStringLength) + " a field can hold");
  }
  std::ifstream in(path, std::ios::binary);
  std::string read(static_cast<std::size_t>(count), '\0');
  if (!in || !in.seekg(static_cast<std::streamoff>(offset)) ||
      !in.read(read.data(), static_cast<std::streamsize>(count))) {
    return CError::Io("it cannot be read (did it change while it was read?)");
  }
  *bytes = std::move(read);
  *state = now;
  return {};
}

CError CheckRomWrite(const CRomWrite& write, std::uint64_t* romSize) {
  std::uint64_t size = 0;
  if (CError error = RomFileSize(write.rom, &size); !error.IsOk()) {
    return error;
  }
  const std::uint64_t count = write.bytes.size();
  if (write.offset > size) {
    return CError::Invalid("offset " + OffsetText(write.offset) + " is " +
                           PastTheEnd(size));
  }
  if (count > size - write.offset && !write.grow) {
    return CError::Invalid(Bytes(count) + " at offset " +
                           OffsetText(write.offset) + " would reach " +
                           PastTheEnd(size) +
                           "; let the file grow to write them");
  }
  fs::path target;
  if (CError error = CheckTarget(write.target, &target); !error.IsOk()) {
    return error;
  }
  if (romSize != nullptr) *romSize = size;
  return {};
}

CError WriteRomBytes(const CRomWrite& write) {
  std::uint64_t size = 0;
  if (CError error = CheckRomWrite(write, &size); !error.IsOk()) return error;
  const std::uint64_t count = write.bytes.size();
  fs::path target;
  if (CError error = CheckTarget(write.target, &target); !error.IsOk()) {
    return error;
  }
  std::error_code error;
  const fs::file_status before = fs::status(target, error);
  fs::path temp;
  CFilePtr out;
  if (CError made = MakeTempBeside(target, &temp, &out); !made.IsOk()) {
    return made;
  }
  errno = 0;
  std::ifstream in(write.rom, std::ios::binary);
  std::vector<char> buffer(kBlock);
  const std::uint64_t after = write.offset + count;
  bool ok = in && CopyBytes(in, out.get(), write.offset, buffer) &&
            std::fwrite(write.bytes.data(), 1, write.bytes.size(), out.get()) ==
                write.bytes.size();
  if (ok && after < size) {
    ok = in.seekg(static_cast<std::streamoff>(after)) &&
         CopyBytes(in, out.get(), size - after, buffer);
  }
  const int writeError = errno;
  ok = ok && std::fflush(out.get()) == 0;
  ok = std::fclose(out.release()) == 0 && ok;
  if (ok && fs::exists(before)) {
    fs::permissions(temp, before.permissions(), error);
    ok = !error;
  }
  if (ok) fs::rename(temp, target, error);
  if (!ok || error) {
    fs::remove(temp, error);
    return CError::Io(std::string("it cannot be written: ") +
                      std::strerror(writeError != 0 ? writeError : EIO));
  }
  return {};
}

CError ParseByteCount(std::string_view text, std::uint64_t* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  int base = 10;
  std::string_view digits = text;
  if (digits.size() > 2 && digits[0] == '0' &&
      (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  std::uint64_t parsed = 0;
  const auto [end, error] = std::from_chars(
      digits.data(), digits.data() + digits.size(), parsed, base);
  if (digits.empty() || end != digits.data() + digits.size() ||
      error == std::errc::invalid_argument) {
    return CError::Invalid("\"" + std::string(text) +
                           "\" is no number (decimal, or hexadecimal after "
                           "0x)");
  }
  if (error == std::errc::result_out_of_range) {
    return CError::Invalid("\"" + std::string(text) + "\" is too large");
  }
  *value = parsed;
  return {};
}

}  // namespace dalvren
