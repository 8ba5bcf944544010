#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

namespace tintrix {

// Turns the system's requests to end the program (SIGTERM, as a logout or shutdown sends it,
// SIGHUP and SIGINT) into a call of `onSignal` from the event loop, where anything may be
// done, instead of the default of ending at once. A signal handler itself may do almost
// nothing: it only writes the signal's number into a pipe that the event loop watches.
//
// One object at a time per process; while it lives it owns the three signals' handling, and
// when it goes their default handling is restored. When it cannot make its pipe (or another
// object lives), it says so on standard error and leaves the signals' default handling. `onSignal`
// runs in the thread that made the object, once for each signal received, with the signal's number.
class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void(int)> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // The signals handled, in the order they are installed.
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

 private:
  void ReadPending();

  std::function<void(int)> m_onSignal;
  std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace tintrix
