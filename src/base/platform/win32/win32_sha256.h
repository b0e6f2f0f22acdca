#pragma once

#include "platform/digest.h"

// SHA-256 by Windows' own cryptography (bcrypt.dll), so the programs need no
// library of their own for it.
Sha256Maker Win32Sha256();
