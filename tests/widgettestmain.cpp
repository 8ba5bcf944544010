#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "tests/testhome.h"

// The main of the widget tests: one QApplication, on the offscreen platform unless the
// environment names another.
int main(int argc, char** argv) {
  const tintrix::testing::TemporaryHome home;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
