#include "ui/windowutils.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <ostream>

// Points in failure messages as (x, y), not as their bytes. Beside QPoint, for gtest to find.
void PrintTo(const QPoint& point, std::ostream* os) {
  *os << '(' << point.x() << ", " << point.y() << ')';
}

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

// The screens of this test's offscreen platform (tests/twoscreens.json): 1024 x 768 at the
// origin and, right of it and lower, 1280 x 1024 at (1024, 120).
struct Placement {
  int screen;
  QSize window;
  QPoint topCentre;  // where PlaceAtTopCentre puts the window
  QPoint centre;     // where CentreOnScreen puts it
};
constexpr Placement kPlacements[] = {
    {0, {270, 70}, {377, 0}, {377, 349}},
    {0, {271, 71}, {376, 0}, {376, 348}},  // half a pixel left over goes right and down
    {1, {270, 70}, {1529, 120}, {1529, 597}},
    {1, {1280, 1024}, {1024, 120}, {1024, 120}},
    {0, {1200, 900}, {-88, 0}, {-88, -66}},  // larger than the screen: overhangs it evenly
};

TEST(WindowPlacement, TopCentreAndCentreOfTheWindowsScreen) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(screens.size(), 2) << "runs on QT_QPA_PLATFORM=offscreen:configfile=FILE, FILE "
                                  "being tests/twoscreens.json (as ctest runs it)";
  ASSERT_EQ(screens[1]->geometry(), QRect(1024, 120, 1280, 1024));
  for (const Placement& placement : kPlacements) {
    SCOPED_TRACE(::testing::Message()
                 << "screen " << placement.screen << ", window " << placement.window.width()
                 << " x " << placement.window.height());
    QWidget window;
    window.setScreen(screens[placement.screen]);
    window.setFixedSize(placement.window);
    PlaceAtTopCentre(&window);
    EXPECT_EQ(window.pos(), placement.topCentre);
    CentreOnScreen(&window);
    EXPECT_EQ(window.pos(), placement.centre);
  }
}

TEST(WindowPlacement, TopmostStaysWhereItIs) {
  QWidget window;
  window.move(40, 30);
  MakeTopmost(&window);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window.pos(), QPoint(40, 30));
}

}  // namespace
}  // namespace tintrix
