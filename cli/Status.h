// The outcome of an operation of the converter: ok, or a failure with the
// exit status the program ends with and a message for the user. The core
// and the whole-ROM layer know nothing of processes: their operations that
// must say why they fail return a CError (core/Error.h), which StatusOf
// below maps to an exit status, the one place that does. Cheap to return:
// an ok status holds an empty string.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "cli/ExitStatus.h"
#include "core/Error.h"

namespace dalvren {

class [[nodiscard]] CStatus {
 public:
  // Success.
  CStatus() = default;

  // A failure that ends a program with `exitStatus` (not 0) and tells the
  // user `message`; an empty message when the user was already told.
  [[nodiscard]] static CStatus Failure(int exitStatus, std::string message) {
    return CStatus(exitStatus, std::move(message), false);
  }

  // A command line the program cannot take: kExitError, and the program
  // shows how it is used after the message.
  [[nodiscard]] static CStatus UsageError(std::string message) {
    return CStatus(kExitError, std::move(message), true);
  }

  [[nodiscard]] bool IsOk() const { return exitStatus_ == 0; }
  [[nodiscard]] bool IsUsageError() const { return usage_; }
  // 0 for success.
  [[nodiscard]] int ExitStatus() const { return exitStatus_; }
  [[nodiscard]] const std::string& Message() const { return message_; }

  // The same failure, its message led by `context` and ": " ("Unable to
  // read 'x': No such file or directory"); success stays success.
  [[nodiscard]] CStatus WithContext(std::string_view context) const {
    if (IsOk()) return *this;
    return CStatus(exitStatus_, std::string(context) + ": " + message_, usage_);
  }

 private:
  CStatus(int exitStatus, std::string message, bool usage)
      : exitStatus_(exitStatus), message_(std::move(message)), usage_(usage) {}

  int exitStatus_ = 0;
  std::string message_;
  bool usage_ = false;
};

// The status a failure of the core or the whole-ROM layer ends the
// converter with: kExitNoRoom when the work could not be done as asked (text
// that does not fit, a target too large for a patch format), kExitError for
// anything else; its message as it is.
[[nodiscard]] inline CStatus StatusOf(const CError& error) {
  if (error.IsOk()) return {};
  return CStatus::Failure(
      error.GetKind() == CError::Kind::kNoRoom ? kExitNoRoom : kExitError,
      error.Message());
}

}  // namespace dalvren
