// The command's tests run it as a process; the one that compares it with the
// window runs the window offscreen beside it.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
