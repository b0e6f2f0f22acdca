#pragma once

#include <string>

// The unit's end of the pseudo-terminal, plus a slave descriptor of our own:
// while any slave descriptor is open the master never reports a hang-up, so
// the program may close and reopen the port freely, and the raw settings stay.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string path;

  ~Terminal() { Close(); }

  void Close();
};

// Opens a raw pseudo-terminal at 4800 baud whose master side never blocks.
// On failure returns false and says why in `error`.
bool OpenTerminal(Terminal& terminal, std::string& error);
