// The result of an operation that can fail: success, or a one-line reason.
#pragma once

#include <string>
#include <utility>

namespace vantix {

class Status {
 public:
  Status() = default;
  static Status Ok() { return {}; }
  static Status Error(std::string reason) { return Status(std::move(reason)); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& reason() const { return reason_; }

 private:
  explicit Status(std::string reason) : failed_(true), reason_(std::move(reason)) {}
  bool failed_ = false;
  std::string reason_;
};

}  // namespace vantix
