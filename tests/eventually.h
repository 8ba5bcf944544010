#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace tintrix::testing {

// Lets events run until `done` holds, for at most two seconds; tells whether it came to hold.
inline bool Eventually(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 2000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace tintrix::testing
