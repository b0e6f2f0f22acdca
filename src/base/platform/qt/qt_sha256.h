#pragma once

#include "platform/digest.h"

// SHA-256 by Qt's QCryptographicHash. Qt Core only, so the command line has
// it as well as the window.
Sha256Maker QtSha256();
