#include "platform/terminationsignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tintrix {

namespace {

// The pipe's ends: the handler writes, the event loop reads. -1 while no object lives. The
// handler may run in any thread, so the end it writes is read once, atomically.
std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  // Nothing to do when the pipe is full: signals enough to end the program are waiting.
  if (const int end = g_writeEnd.load(); end != -1) {
    [[maybe_unused]] const ssize_t written = write(end, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal)) {
  int ends[2] = {-1, -1};
  if (g_readEnd != -1 || pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    // The signals keep their default, ending the program at once: the fade is still stored
    // within a second of every change.
    qWarning("tintrix: cannot watch for termination signals: %s", std::strerror(errno));
    return;
  }
  g_readEnd = ends[0];
  g_writeEnd.store(ends[1]);
  m_notifier = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
  QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                   [this] { ReadPending(); });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kSignals) sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (m_notifier == nullptr) return;
  for (const int number : kSignals) std::signal(number, SIG_DFL);
  m_notifier.reset();
  close(g_writeEnd.exchange(-1));
  close(g_readEnd);
  g_readEnd = -1;
}

void TerminationSignals::ReadPending() {
  char numbers[64];
  for (;;) {
    const ssize_t read = ::read(g_readEnd, numbers, sizeof numbers);
    if (read <= 0) return;
    for (ssize_t i = 0; i < read; ++i) m_onSignal(static_cast<unsigned char>(numbers[i]));
  }
}

}  // namespace tintrix
