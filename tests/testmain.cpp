#include <gtest/gtest.h>

#include "tests/testhome.h"

// The main of the test programs that need no window system.
int main(int argc, char** argv) {
  const tintrix::testing::TemporaryHome home;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
