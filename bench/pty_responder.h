#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pty_pair.h"

// The far end of a pseudo-terminal, answering "G" to every line of a fixed
// length the instant it is complete, and timing how long the program takes
// from that "G" to the first byte of its next line.
class PtyResponder {
 public:
  explicit PtyResponder(std::size_t line_length);
  ~PtyResponder();

  const std::string& Device() const { return pty_.SlaveName(); }
  // Stops answering and hands over the gaps from each "G" written to the
  // next line's first byte, in order.
  std::vector<std::chrono::nanoseconds> TakeGaps();

 private:
  void Stop();
  void Serve();

  std::size_t line_length_;
  PtyPair pty_;
  int master_ = -1;
  std::atomic<bool> stop_{false};
  std::vector<std::chrono::nanoseconds> gaps_;
  std::thread thread_;
};
