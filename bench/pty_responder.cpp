#include "pty_responder.h"

#include <stdexcept>

#include <poll.h>
#include <unistd.h>

using Steady = std::chrono::steady_clock;

PtyResponder::PtyResponder(std::size_t line_length) : line_length_(line_length) {
  master_ = pty_.Master();
  gaps_.reserve(200000);
  thread_ = std::thread([this] { Serve(); });
}

PtyResponder::~PtyResponder() {
  Stop();
}

void PtyResponder::Stop() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
}

std::vector<std::chrono::nanoseconds> PtyResponder::TakeGaps() {
  Stop();  // the serving thread owns the gaps until it has ended
  return std::move(gaps_);
}

void PtyResponder::Serve() {
  std::size_t received = 0;
  Steady::time_point answered{};
  char buffer[4096];
  while (!stop_) {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, 50) <= 0) {
      continue;
    }
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) {
      continue;
    }
    if (received == 0 && answered != Steady::time_point{}) {
      gaps_.push_back(Steady::now() - answered);
    }
    received += static_cast<std::size_t>(count);
    if (received >= line_length_) {
      received -= line_length_;
      if (write(master_, "G", 1) == 1) {
        answered = Steady::now();
      }
    }
  }
}
