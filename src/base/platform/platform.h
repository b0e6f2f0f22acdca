#pragma once

#include <string>

#include "platform/background_work.h"
#include "platform/digest.h"
#include "platform/text_files.h"
#include "platform/time_source.h"
#include "platform/window.h"

// The narrow interfaces that the program's logic runs on, each with one job,
// the directory the program lives in, and the one its settings live in. A
// backend provides the window, the background work and the digest; the files
// and the clock are the same everywhere.
struct Platform {
  Window& window;
  TextFiles& files;
  TimeSource& clock;
  BackgroundWork& background;
  std::string program_dir;   // of the executable, without a trailing separator
  std::string settings_dir;  // holds tbx4_dld.ini and ports/ (see state/settings_folder.h)
  Sha256Maker sha256;        // the image check's digest, made on any thread
};
