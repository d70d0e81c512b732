// Result types of every layer: a cheap status that is returned, never
// thrown, and a value-or-status wrapper for operations that produce something.
#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

namespace cdsetup::base {

/// Outcome of an operation. Success by default; a failure carries its kind and
/// a message built once, at the failure, with its context (path, entry name).
class [[nodiscard]] Status {
 public:
  enum class Kind {
    kOk,
    kNotFound,       // file, key, section or drive is not there
    kAlreadyExists,  // a directory or file that was to be created exists
    kRefused,        // input refused: too long, unsafe name, not allowed
    kIoError,        // read or write failed, disk full
    kCorrupt,        // data does not follow its format
    kBusy,           // the resource is owned by another process
    kCancelled,      // the user gave up
    kUnsupported,    // the operation is not available here
  };

  Status() = default;

  static Status Ok() { return Status(); }
  static Status NotFound(std::string msg) { return Status(Kind::kNotFound, std::move(msg)); }
  static Status AlreadyExists(std::string msg) {
    return Status(Kind::kAlreadyExists, std::move(msg));
  }
  static Status Refused(std::string msg) { return Status(Kind::kRefused, std::move(msg)); }
  static Status IoError(std::string msg) { return Status(Kind::kIoError, std::move(msg)); }
  static Status Corrupt(std::string msg) { return Status(Kind::kCorrupt, std::move(msg)); }
  static Status Busy(std::string msg) { return Status(Kind::kBusy, std::move(msg)); }
  static Status Cancelled(std::string msg) { return Status(Kind::kCancelled, std::move(msg)); }
  static Status Unsupported(std::string msg) { return Status(Kind::kUnsupported, std::move(msg)); }

  /// Maps an errno value of a failed POSIX call to a status; `context` names
  /// what was being done ("open /x/y").
  static Status FromErrno(int err, const std::string& context);

  bool ok() const { return kind_ == Kind::kOk; }
  Kind kind() const { return kind_; }
  bool IsNotFound() const { return kind_ == Kind::kNotFound; }
  bool IsAlreadyExists() const { return kind_ == Kind::kAlreadyExists; }
  bool IsRefused() const { return kind_ == Kind::kRefused; }
  bool IsIoError() const { return kind_ == Kind::kIoError; }
  bool IsCorrupt() const { return kind_ == Kind::kCorrupt; }
  bool IsBusy() const { return kind_ == Kind::kBusy; }
  const std::string& message() const { return message_; }

  /// The same kind with `context` put before the message ("copy a to b: ...").
  Status WithContext(const std::string& context) const {
    return ok() ? *this : Status(kind_, context + ": " + message_);
  }

  /// "OK", or the kind's name and the message ("not found: C:\x").
  std::string ToString() const;

 private:
  Status(Kind kind, std::string msg) : kind_(kind), message_(std::move(msg)) {}

  Kind kind_ = Kind::kOk;
  std::string message_;
};

/// Drops a result on purpose: `why` says, where it is dropped, why nothing
/// depends on it.
inline void IgnoreResult(const Status& result, const char* why) {
  (void)result;
  (void)why;
}

/// A value, or the status that explains why there is none.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
  /// A result without a value needs a reason: an OK status given here is
  /// taken as the caller's fault, never as a failure that reads "OK".
  Result(Status status)  // NOLINT
      : status_(status.ok() ? Status::Unsupported("a result without a value or a reason")
                            : std::move(status)) {}

  bool ok() const { return value_.has_value(); }
  const Status& status() const { return status_; }
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  /// The value, or `fallback` when there is none.
  T value_or(T fallback) const& { return value_ ? *value_ : std::move(fallback); }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace cdsetup::base
