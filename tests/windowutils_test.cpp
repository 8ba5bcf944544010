#include "ui/windowutils.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace tintrix {
namespace {

TEST(StartWindowDrag, AReleaseQueuedBehindThePressMovesNothing) {
  QWidget window;
  window.show();
  bool releaseSeen = false;
  QTimer::singleShot(0, &window, [&] { releaseSeen = true; });  // stands for the queued release
  // Events run first; once they show the button up, there is nothing for the system to move
  // (and nothing for the caller to follow). Offscreen, the system refuses any move.
  EXPECT_TRUE(StartWindowDrag(&window, [&] { return !releaseSeen; }));
  EXPECT_TRUE(releaseSeen);
  EXPECT_FALSE(StartWindowDrag(&window, [] { return true; }));
}

TEST(WindowPlacement, TopCentreAndCentre) {
  QWidget window;
  window.setFixedSize(270, 70);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  PlaceAtTopCentre(&window);
  EXPECT_EQ(window.pos(), QPoint(screen.x() + (screen.width() - 270) / 2, screen.y()));
  CentreOnScreen(&window);
  EXPECT_EQ(window.pos(), QPoint(screen.x() + (screen.width() - 270) / 2,
                                 screen.y() + (screen.height() - 70) / 2));
  MakeTopmost(&window);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window.pos(), QPoint(screen.x() + (screen.width() - 270) / 2,
                                 screen.y() + (screen.height() - 70) / 2));
}

}  // namespace
}  // namespace tintrix
