// The outcome of an operation whose failure matters: success, or a failure
// with its reason in words (for the log, a pop-up's caller and the tests).
// Both types are [[nodiscard]], so a failure cannot be dropped unseen; a
// caller that means to ignore one says so with a cast to void and a comment.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kestrova::platform {

class [[nodiscard]] Status {
 public:
  // Success.
  Status() = default;

  // A failure; an empty reason is given a general one, so that every failure
  // says something.
  static Status Failure(std::string reason) {
    Status status;
    status.failed_ = true;
    status.reason_ = reason.empty() ? std::string("failed") : std::move(reason);
    return status;
  }

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  // Empty on success.
  const std::string& Reason() const { return reason_; }

 private:
  bool failed_ = false;
  std::string reason_;
};

// A value, or the failure that prevented it.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor): a value is a success
  // `failure` must not be a success: a success without a value is taken as
  // a failure with a general reason.
  Result(Status failure)  // NOLINT(google-explicit-constructor): a failure converts as well
      : status_(failure.Ok() ? Status::Failure({}) : std::move(failure)) {}

  bool Ok() const { return value_.has_value(); }
  explicit operator bool() const { return Ok(); }
  const std::string& Reason() const { return status_.Reason(); }
  const Status& GetStatus() const { return status_; }

  // Only when Ok().
  T& Value() & { return *value_; }
  const T& Value() const& { return *value_; }
  T&& Value() && { return std::move(*value_); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace kestrova::platform
