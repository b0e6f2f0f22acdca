#include "e2e/e2e_harness.h"

#include "qt_loop.h"

EndToEnd::EndToEnd()
    : program(dir.Path().string()),
      window(program.Window()),
      comm1(program.Comm1()),
      dld(program.Dld()) {}

void EndToEnd::Start(const std::string& image_bytes, bool ack_required) {
  const std::string image = dir.Write("image.hex", image_bytes);
  dir.Write("tbx4_dld.ini",
            "1,\"" + image + "\"," + (ack_required ? "#TRUE#" : "#FALSE#") + "\r\n");
  program.Start();
}

void EndToEnd::RunFor(std::chrono::milliseconds period) {
  RunEventLoopFor(period);
}
