// TBX4_Download: loads firmware into a TBX4 unit over a serial line.
#include "programs/qt_run.h"

int main(int argc, char** argv) {
  return RunQtProgram(argc, argv);
}
