#include "platform/terminationsignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace tintrix {

namespace {

// The pipe's ends: the handler writes, the event loop reads. -1 while no object lives.
int g_pipe[2] = {-1, -1};

extern "C" void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  // Nothing to do when the pipe is full: signals enough to end the program are waiting.
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal)) {
  // Without a pipe the program could not end on a signal at all: better to fail loudly.
  if (g_pipe[0] != -1 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) std::abort();
  m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                   [this] { ReadPending(); });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kSignals) sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  for (const int number : kSignals) std::signal(number, SIG_DFL);
  m_notifier.reset();
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::ReadPending() {
  char numbers[64];
  for (;;) {
    const ssize_t read = ::read(g_pipe[0], numbers, sizeof numbers);
    if (read <= 0) return;
    for (ssize_t i = 0; i < read; ++i) m_onSignal(static_cast<unsigned char>(numbers[i]));
  }
}

}  // namespace tintrix
