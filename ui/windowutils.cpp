#include "ui/windowutils.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
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

bool StartWindowDrag(QWidget* window, const std::function<bool()>& held) {
  QCoreApplication::processEvents();
  // A quick click's release may have been queued behind its press: nothing to move.
  if (!held()) return true;
  QWindow* handle = window->windowHandle();
  return handle != nullptr && handle->startSystemMove();
}

}  // namespace tintrix
