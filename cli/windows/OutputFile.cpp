// The system side of COutputFile on Windows: file handles, kept in the
// descriptor (a handle's value fits 32 bits), a temporary file made with
// CREATE_NEW beside the target, and MoveFileExW with
// MOVEFILE_REPLACE_EXISTING, which puts it in the target's place in one
// step. Standard output goes through std::cout, whose buffer shows text on a
// console (cli/StandardStreams.h).
#include "cli/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <random>
#include <windows.h>

#include "cli/ExitStatus.h"
#include "cli/windows/SystemError.h"
#include "cli/windows/WideText.h"

namespace dalvren {

namespace {

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

CStatus Failure(int error) {
  return CStatus::Failure(kExitError, std::strerror(error));
}

CStatus LastFailure() { return Failure(ErrnoOf(::GetLastError())); }

// What stands at a path that -o names.
struct CExisting {
  enum class Kind { kNothing, kFile, kDevice } kind = Kind::kNothing;
  // For a file: its full path, links followed.
  std::wstring finalPath;
};

// Looks at `path`; fails for a folder, a read-only file (replacing it would
// bypass that), or a path that cannot be examined.
CStatus Examine(const std::wstring& path, CExisting* existing) {
  const HANDLE handle =
      ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A missing folder fails when the temporary file is made, as on Linux.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {};
    }
    return Failure(ErrnoOf(error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  CStatus status;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    existing->kind = CExisting::Kind::kDevice;
  } else if (::GetFileInformationByHandle(handle, &info) == 0) {
    status = LastFailure();
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    status = Failure(EISDIR);
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    status = Failure(EACCES);
  } else {
    existing->kind = CExisting::Kind::kFile;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(
        handle, final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
      final.resize(length);
      length = ::GetFinalPathNameByHandleW(handle, final.data(),
                                           static_cast<DWORD>(final.size()), 0);
    }
    final.resize(length < final.size() ? length : 0);
    existing->finalPath = final.empty() ? path : final;
  }
  ::CloseHandle(handle);
  return status;
}

// ".NAME." and 16 hexadecimal digits.
std::wstring TemporaryName(const std::wstring& base) {
  static std::mt19937_64 random(std::random_device{}());
  wchar_t digits[17];
  ::swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(random()));
  return L"." + base + L"." + digits;
}

}  // namespace

CStatus COutputFile::Open(const std::string& path,
                          std::unique_ptr<COutputFile>* file) {
  if (path == "-") {
    *file = std::make_unique<COutputFile>(Key(), 1, false);
    return {};
  }
  const std::wstring wide = WideFromUtf8(path);
  CExisting existing;
  if (CStatus status = Examine(wide, &existing); !status.IsOk()) return status;
  if (existing.kind == CExisting::Kind::kDevice) {
    const HANDLE device = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return LastFailure();
    *file = std::make_unique<COutputFile>(Key(), HandleToLong(device), true);
    return {};
  }
  const std::wstring target =
      existing.kind == CExisting::Kind::kFile ? existing.finalPath : wide;
  // Beside the target, so that the rename stays within one volume.
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos
                                  ? std::wstring()
                                  : target.substr(0, slash + 1);
  const std::wstring base =
      slash == std::wstring::npos ? target : target.substr(slash + 1);
  auto removal = std::make_unique<CRemovalOnSignal>();
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::wstring name;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS;
       ++attempt) {
    name = folder + TemporaryName(base);
    // Ctrl+C waits until the new file is registered for removal.
    const CRemovalOnSignal::BlockSignals blocked;
    // Shared for deleting, so that Ctrl+C can remove it while it is open.
    handle = ::CreateFileW(name.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    if (handle != INVALID_HANDLE_VALUE) removal->Register(Utf8FromWide(name));
  }
  if (handle == INVALID_HANDLE_VALUE) return Failure(ErrnoOf(error));
  auto made = std::make_unique<COutputFile>(Key(), HandleToLong(handle), true);
  made->removal_ = std::move(removal);
  made->tempPath_ = Utf8FromWide(name);
  made->finalPath_ = Utf8FromWide(target);
  *file = std::move(made);
  return {};
}

COutputFile::~COutputFile() {
  if (owned_ && fd_ != -1) ::CloseHandle(LongToHandle(fd_));
  if (!tempPath_.empty()) ::DeleteFileW(WideFromUtf8(tempPath_).c_str());
}

bool COutputFile::WriteOut(const char* bytes, std::size_t count) {
  if (!owned_ && count > 0 && error_ == 0) {
    errno = 0;
    const auto n = static_cast<std::streamsize>(count);
    if (std::cout.rdbuf()->sputn(bytes, n) != n) {
      error_ = errno != 0 ? errno : EIO;
    }
    return error_ == 0;
  }
  while (count > 0 && error_ == 0) {
    const auto chunk =
        static_cast<DWORD>(std::min<std::size_t>(count, std::size_t{1} << 30));
    DWORD wrote = 0;
    if (::WriteFile(LongToHandle(fd_), bytes, chunk, &wrote, nullptr) == 0) {
      error_ = ErrnoOf(::GetLastError());
      break;
    }
    bytes += wrote;
    count -= wrote;
  }
  return error_ == 0;
}

CStatus COutputFile::Commit() {
  FlushBuffer();
  errno = 0;
  if (!owned_ && error_ == 0 && std::cout.rdbuf()->pubsync() != 0) {
    error_ = errno != 0 ? errno : EIO;
  }
  const HANDLE handle = LongToHandle(fd_);
  // Durable before it replaces anything, so that a crash right after the
  // rename cannot leave an empty file where a good one stood.
  if (error_ == 0 && !tempPath_.empty() && ::FlushFileBuffers(handle) == 0) {
    error_ = ErrnoOf(::GetLastError());
  }
  if (owned_) {
    if (::CloseHandle(handle) == 0 && error_ == 0) {
      error_ = ErrnoOf(::GetLastError());
    }
    fd_ = -1;
  }
  if (error_ == 0 && !tempPath_.empty()) {
    if (::MoveFileExW(
            WideFromUtf8(tempPath_).c_str(), WideFromUtf8(finalPath_).c_str(),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
      error_ = ErrnoOf(::GetLastError());
    } else {
      removal_.reset();
      tempPath_.clear();
    }
  }
  if (error_ != 0) return Failure(error_);
  return {};
}

}  // namespace dalvren
