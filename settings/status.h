// The result of an operation that can fail: success, or a one-line reason.
#pragma once

#include <string>
#include <utility>

namespace vantix {

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return {}; }
  static Status Error(std::string reason) { return Status(std::move(reason)); }
  // Another writer held the folder lock for longer than this one would wait;
  // nothing was written. The caller may try again later.
  static Status LockBusy(std::string reason) {
    Status status(std::move(reason));
    status.lock_busy_ = true;
    return status;
  }

  bool ok() const { return !failed_; }
  bool lock_busy() const { return lock_busy_; }
  explicit operator bool() const { return ok(); }
  const std::string& reason() const { return reason_; }

 private:
  explicit Status(std::string reason) : failed_(true), reason_(std::move(reason)) {}
  bool failed_ = false;
  bool lock_busy_ = false;
  std::string reason_;
};

}  // namespace vantix
