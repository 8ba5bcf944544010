#pragma once

#include <string>
#include <utility>

namespace tintrix {

// What kind of failure a Status reports, so that callers can act on it without reading the
// message: the companion picks its exit status from it.
enum class StatusCode {
  kOk,
  kInvalidArgument,  // a value that cannot be used: a colour, a colour count, a name
  kNotFound,         // no such file, or a file that is not what was asked for
  kIoError,          // reading or writing failed; the message names the system's reason
  kOutOfMemory,      // the work needs more memory than there is
  kUsage,            // a command line that does not say what to do
};

// The outcome of an operation that can fail. A failed Status carries a code and a message
// meant for the user, already worded as the program shows it; callers pass it on rather than
// rephrase it.
class [[nodiscard]] Status {
 public:
  Status() = default;  // success

  static Status Ok() { return Status(); }
  static Status Error(StatusCode code, std::string message) {
    return Status(code, std::move(message));
  }
  static Status InvalidArgument(std::string message) {
    return Error(StatusCode::kInvalidArgument, std::move(message));
  }
  static Status NotFound(std::string message) {
    return Error(StatusCode::kNotFound, std::move(message));
  }
  static Status IoError(std::string message) {
    return Error(StatusCode::kIoError, std::move(message));
  }
  static Status OutOfMemory(std::string message) {
    return Error(StatusCode::kOutOfMemory, std::move(message));
  }
  static Status Usage(std::string message) { return Error(StatusCode::kUsage, std::move(message)); }

  bool ok() const { return m_code == StatusCode::kOk; }
  StatusCode code() const { return m_code; }
  const std::string& message() const { return m_message; }

 private:
  Status(StatusCode code, std::string message) : m_code(code), m_message(std::move(message)) {}

  StatusCode m_code = StatusCode::kOk;
  std::string m_message;
};

}  // namespace tintrix
