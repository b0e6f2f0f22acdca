// The command's tests run it as a process; the one that compares it with the
// window runs the window offscreen beside it. Only the tests of the flash
// record keep one: the others would leave theirs in the build folder.
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  setenv("TBX4_NO_RECORD", "1", 1);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
