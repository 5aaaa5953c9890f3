// The outcome of an operation of the core or of the whole-ROM layer that
// must say why it failed: ok, or a kind of failure and a message for the
// user. It knows nothing of processes: the programs map a kind to an exit
// status or a message box in one place each. Cheap to return: an ok value
// holds an empty string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace dalvren {

class [[nodiscard]] CError {
 public:
  enum class Kind : std::uint8_t {
    kOk,
    // Input that does not read: a malformed layout, script, patch or table.
    kInvalid,
    // A file that cannot be opened, read or written.
    kIo,
    // The data is well formed but belongs elsewhere: a patch or a script for
    // another ROM.
    kMismatch,
    // The work cannot be done as asked: text that does not fit its space, a
    // target too large for a format.
    kNoRoom,
  };

  // Success.
  CError() = default;

  [[nodiscard]] static CError Invalid(std::string message) {
    return {Kind::kInvalid, std::move(message)};
  }
  [[nodiscard]] static CError Io(std::string message) {
    return {Kind::kIo, std::move(message)};
  }
  [[nodiscard]] static CError Mismatch(std::string message) {
    return {Kind::kMismatch, std::move(message)};
  }
  [[nodiscard]] static CError NoRoom(std::string message) {
    return {Kind::kNoRoom, std::move(message)};
  }

  [[nodiscard]] bool IsOk() const { return kind_ == Kind::kOk; }
  [[nodiscard]] Kind GetKind() const { return kind_; }
  [[nodiscard]] const std::string& Message() const { return message_; }

  // The same failure, its message led by `context` and ": "; success stays
  // success.
  [[nodiscard]] CError WithContext(std::string_view context) const {
    if (IsOk()) return *this;
    return {kind_, std::string(context) + ": " + message_};
  }

 private:
  CError(Kind kind, std::string message)
      : kind_(kind), message_(std::move(message)) {}

  Kind kind_ = Kind::kOk;
  std::string message_;
};

}  // namespace dalvren
