#include "cli/recorded_serial.h"

#include "platform/platform_error.h"

namespace cli {

void RecordedSerial::SetPortOpen(bool open) {
  try {
    ForwardingSerial::SetPortOpen(open);
  } catch (const PlatformError& error) {
    if (open) {
      // "cannot open COM1 (/dev/ttyUSB0): the device cannot be opened: <the
      // driver's reason>": the port number is the core's, the same for every
      // unit, so only the driver's own words are kept.
      const std::string what = error.what();
      const std::size_t last = what.rfind(": ");
      open_failure_ = last == std::string::npos ? what : what.substr(last + 2);
    }
    throw;
  }
}

}  // namespace cli
