#include "e2e/e2e_harness.h"

#include <QApplication>
#include <QEventLoop>

#include <sys/resource.h>

BoxAnswerer::BoxAnswerer() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr && box->isVisible()) {
      boxes_.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
      box->accept();
    }
  });
  timer_.start();
}

EndToEnd::EndToEnd()
    : window(dir.Path().string()),
      comm1(dir.Path().string(), [this] { window.Deliver({EventKind::kSerialNotification}); }),
      dld(window, comm1) {
  window.SetEventSink([this](const WindowEvent& event) { dld.Dispatch(event); });
}

void EndToEnd::Start(const std::string& image_bytes, bool ack_required) {
  const std::string image = dir.Write("image.hex", image_bytes);
  dir.Write("tbx4_dld.ini",
            "1,\"" + image + "\"," + (ack_required ? "#TRUE#" : "#FALSE#") + "\r\n");
  window.show();
  window.Deliver({EventKind::kLoad});
}

void EndToEnd::RunFor(std::chrono::milliseconds period) {
  QEventLoop loop;
  QTimer::singleShot(period, &loop, &QEventLoop::quit);
  loop.exec();
}

std::chrono::microseconds ProcessCpuTime() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto micros = [](const timeval& t) {
    return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
  };
  return micros(usage.ru_utime) + micros(usage.ru_stime);
}
