#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace tintrix {

// What kind of failure a Status reports, so that callers can act on it without reading the
// message: the companion picks its exit status from it.
enum class StatusCode {
  kOk,
  kInvalidArgument,  // a value that cannot be used: a colour, a colour count, a name
  kNotFound,         // no such file, or a file that is not what was asked for
  kIoError,          // reading or writing failed; reason() holds the system's words
  kOutOfMemory,      // the work needs more memory than there is
  kUsage,            // a command line that does not say what to do
  kOutOfRange,       // one way of making the result breaks a rule asked of it; another may not
};

// The outcome of an operation that can fail. A failed Status carries a code and a message
// meant for the user, already worded as the program shows it; callers pass it on rather than
// rephrase it. A failure the system reported also keeps the system's own words apart
// (reason(), "No space left on device"), which the message ends with, so that a caller can
// word its own message around them.
class [[nodiscard]] Status {
 public:
  Status() = default;  // success

  static Status Ok() { return Status(); }
  static Status Error(StatusCode code, std::string message) {
    return Status(code, std::move(message), {});
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
  // `what` failed for the system's `reason`: the message reads "WHAT: REASON".
  static Status FromSystem(StatusCode code, const std::string& what, std::string reason) {
    std::string message = what + ": " + reason;
    return Status(code, std::move(message), std::move(reason));
  }
  static Status IoError(const std::string& what, std::string reason) {
    return FromSystem(StatusCode::kIoError, what, std::move(reason));
  }
  static Status OutOfMemory(std::string message) {
    return Error(StatusCode::kOutOfMemory, std::move(message));
  }
  static Status Usage(std::string message) { return Error(StatusCode::kUsage, std::move(message)); }

  bool ok() const { return m_code == StatusCode::kOk; }
  StatusCode code() const { return m_code; }
  const std::string& message() const { return m_message; }
  // The system's words for a failure it reported; empty otherwise.
  const std::string& reason() const { return m_reason; }

 private:
  Status(StatusCode code, std::string message, std::string reason)
      : m_code(code), m_message(std::move(message)), m_reason(std::move(reason)) {}

  StatusCode m_code = StatusCode::kOk;
  std::string m_message;
  std::string m_reason;
};

// A value, or the failed Status that tells why there is none.
template <typename T>
class [[nodiscard]] StatusOr {
 public:
  // NOLINTNEXTLINE(google-explicit-constructor): returned as the value itself.
  StatusOr(T value) : m_value(std::move(value)) {}
  // A failure; `status` must not be ok.
  // NOLINTNEXTLINE(google-explicit-constructor): returned as the status itself.
  StatusOr(Status status) : m_status(std::move(status)) { assert(!m_status.ok()); }

  bool ok() const { return m_value.has_value(); }
  const Status& status() const { return m_status; }

  // The value; only when ok().
  T& value() & { return *m_value; }
  const T& value() const& { return *m_value; }
  T&& value() && { return std::move(*m_value); }
  T* operator->() { return &*m_value; }
  const T* operator->() const { return &*m_value; }
  T& operator*() & { return *m_value; }
  const T& operator*() const& { return *m_value; }

 private:
  Status m_status;
  std::optional<T> m_value;
};

namespace status_internal {
inline const Status& StatusOf(const Status& status) { return status; }
template <typename T>
const Status& StatusOf(const StatusOr<T>& result) {
  return result.status();
}
}  // namespace status_internal

}  // namespace tintrix

// Returns the failed Status of `expression` (a Status or a StatusOr) from the function it
// stands in; goes on when it succeeded.
#define TINTRIX_RETURN_IF_ERROR(expression)                           \
  do {                                                                \
    if (auto&& tintrix_result = (expression); !tintrix_result.ok()) { \
      return ::tintrix::status_internal::StatusOf(tintrix_result);    \
    }                                                                 \
  } while (false)

// Declares `lhs` with the value of the StatusOr `expression`, or returns its failed Status
// from the function it stands in.
#define TINTRIX_ASSIGN_OR_RETURN(lhs, expression) \
  TINTRIX_ASSIGN_OR_RETURN_IMPL(TINTRIX_STATUS_CONCAT(tintrix_or_, __LINE__), lhs, expression)
// The arguments are a name and a declaration, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define TINTRIX_ASSIGN_OR_RETURN_IMPL(result, lhs, expression) \
  auto result = (expression);                                  \
  if (!result.ok()) return result.status();                    \
  lhs = std::move(result).value()
// NOLINTEND(bugprone-macro-parentheses)
#define TINTRIX_STATUS_CONCAT(a, b) TINTRIX_STATUS_CONCAT_INNER(a, b)
#define TINTRIX_STATUS_CONCAT_INNER(a, b) a##b
