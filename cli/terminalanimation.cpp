#include "cli/terminalanimation.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <string_view>

#include "platform/atomicfile.h"

namespace tintrix {

namespace {

constexpr std::string_view kHideCursor = "\x1b[?25l";
// Resets the colours and styles, shows the cursor, and leaves the line.
constexpr std::string_view kEnd = "\x1b[0m\x1b[?25h\n";

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal) { g_stopSignal = signal; }

// Holds the handlers of SIGINT and SIGTERM while it lives: each notes its signal, and an
// interrupted wait returns at once (no SA_RESTART).
class StopSignals {
 public:
  StopSignals() {
    g_stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    for (int k = 0; k < 2; ++k) sigaction(kSignals[k], &action, &m_old[k]);
  }
  ~StopSignals() {
    for (int k = 0; k < 2; ++k) sigaction(kSignals[k], &m_old[k], nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  static constexpr int kSignals[2] = {SIGINT, SIGTERM};
  struct sigaction m_old[2]{};
};

timespec After(const timespec& start, std::int64_t milliseconds) {
  timespec at = start;
  at.tv_sec += static_cast<time_t>(milliseconds / 1000);
  at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1'000'000;
  if (at.tv_nsec >= 1'000'000'000) {
    at.tv_nsec -= 1'000'000'000;
    ++at.tv_sec;
  }
  return at;
}

Status Write(int fd, std::string_view bytes) {
  if (const int error = WriteAll(fd, bytes)) {
    return Status::IoError("Could not write standard output", std::strerror(error));
  }
  return Status::Ok();
}

}  // namespace

StatusOr<int> PlayOnTerminal(int fd, std::size_t offsets, std::int64_t milliseconds,
                             const MakeFrame& frame) {
  const StopSignals signals;
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  std::string bytes(kHideCursor);
  Status played;
  for (std::int64_t k = 0; g_stopSignal == 0; ++k) {
    bytes += '\r';
    played = frame(static_cast<std::size_t>(k) % offsets, bytes);
    if (played.ok()) played = Write(fd, bytes);
    if (!played.ok()) break;
    bytes.clear();
    // The last frame stays until the time is up.
    const std::int64_t next = std::min((k + 1) * kFrameMilliseconds, milliseconds);
    const timespec wake = After(start, next);
    while (g_stopSignal == 0 &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) != 0) {
    }
    if (next == milliseconds) break;
  }
  const Status ended = Write(fd, kEnd);
  if (!played.ok()) return played;
  if (!ended.ok()) return ended;
  return static_cast<int>(g_stopSignal);
}

}  // namespace tintrix
