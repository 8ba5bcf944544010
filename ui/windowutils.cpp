#include "ui/windowutils.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tintrix {

namespace {

QScreen* ScreenOf(QWidget* window) {
  QScreen* screen = window->screen();
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

void MakeTopmost(QWidget* window) {
  if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    // Changing the flags hides a shown window; show it again where it was.
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible) window->show();
  }
  window->raise();
  window->activateWindow();
}

void PlaceAtTopCentre(QWidget* window) {
  const QRect screen = ScreenOf(window)->geometry();
  const int width = window->frameGeometry().width();
  window->move(screen.x() + (screen.width() - width) / 2, screen.y());
}

void CentreOnScreen(QWidget* window) {
  const QRect screen = ScreenOf(window)->geometry();
  const QSize size = window->frameGeometry().size();
  window->move(screen.x() + (screen.width() - size.width()) / 2,
               screen.y() + (screen.height() - size.height()) / 2);
}

namespace {

// Centres its window again at the first sign of a frame, then goes.
class CentreWhenFramed final : public QObject {
 public:
  explicit CentreWhenFramed(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != m_window) return false;
    if (event->type() == QEvent::Show && !m_timed) {
      m_timed = true;
      QTimer::singleShot(1000, this, &QObject::deleteLater);
    }
    const bool placing = event->type() == QEvent::Show || event->type() == QEvent::Move ||
                         event->type() == QEvent::Resize;
    if (placing && m_window->isVisible() && m_window->frameGeometry() != m_window->geometry()) {
      m_window->removeEventFilter(this);
      CentreOnScreen(m_window);
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* m_window;
  bool m_timed = false;
};

}  // namespace

void CentreOnScreenOnceFramed(QWidget* window) {
  CentreOnScreen(window);
  new CentreWhenFramed(window);  // owned by the window
}

bool StartWindowDrag(QWidget* window, const std::function<bool()>& held) {
  QCoreApplication::processEvents();
  // A quick click's release may have been queued behind its press: nothing to move.
  if (!held()) return true;
  QWindow* handle = window->windowHandle();
  return handle != nullptr && handle->startSystemMove();
}

}  // namespace tintrix
