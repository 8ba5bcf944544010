#pragma once

#include <string>
#include <utility>

namespace tintrix {

// The outcome of an operation that can fail. A failed Status carries a message meant for the
// user, already worded as the program shows it; callers pass it on rather than rephrase it.
class Status {
 public:
  Status() = default;  // success

  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !m_failed; }
  const std::string& message() const { return m_message; }

 private:
  explicit Status(std::string message) : m_failed(true), m_message(std::move(message)) {}

  bool m_failed = false;
  std::string m_message;
};

}  // namespace tintrix
