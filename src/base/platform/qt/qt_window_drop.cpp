// Files dragged onto the window: one file is chosen as the image, as the file
// dialog would choose it; anything else is refused while it is still being
// dragged, so the pointer shows that it will not be taken.
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "platform/shared/dropped_files.h"

namespace {

// The image a drag carries, if it carries exactly one local file. Remote
// URLs and plain text name no file the program could open.
std::optional<std::string> ImageOf(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) {
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) {
      return std::nullopt;
    }
    paths.push_back(FromQ(QDir::toNativeSeparators(url.toLocalFile())));
  }
  return DroppedImage(paths);
}

}  // namespace

void QtWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (ImageOf(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void QtWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (ImageOf(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void QtWindow::dropEvent(QDropEvent* event) {
  const std::optional<std::string> image = ImageOf(event->mimeData());
  if (!image) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  Deliver(WindowEvent{EventKind::kFileDropped, 0, *image});
}
