// The outcome of an operation of the layers above the core (the converter
// and the window): ok, or a failure with the exit status a program ends with
// and a message for the user. The core's own operations keep their contract
// (an absent pointer, false); callers above it turn those into a status
// where the user must hear of them. Cheap to return: an ok status holds an
// empty string.
#pragma once

#include <string>
#include <string_view>
#include <utility>

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

  // A command line the program cannot take: exit status 2, and the program
  // shows how it is used after the message.
  [[nodiscard]] static CStatus UsageError(std::string message) {
    return CStatus(2, std::move(message), true);
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

}  // namespace dalvren
