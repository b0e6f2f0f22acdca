#pragma once

#include <QObject>
#include <functional>

#include "platform/background_work.h"

// Work on Qt's thread pool; what follows it runs on the owner's thread.
class QtBackgroundWork final : public BackgroundWork {
 public:
  // If the owner goes first, what follows the work never runs.
  explicit QtBackgroundWork(QObject* owner) : owner_(owner) {}
  void Run(std::function<void()> work, std::function<void()> then) override;

 private:
  QObject* owner_;
};
