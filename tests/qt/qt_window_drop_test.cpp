// Files dragged onto the real window, offscreen: the drag goes in through the
// window's native side, as the desktop's would, so that it reaches whichever
// control lies under the pointer.
#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_window.h"

namespace {

class QtWindowDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    window_.SetEventSink([this](const WindowEvent& event) { events_.push_back(event); });
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  QString MakeFile(const QString& name) {
    const QString path = folder_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(":00000001FF\r\n");
    return path;
  }

  static std::unique_ptr<QMimeData> Files(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths) {
      urls.push_back(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
  }

  // Where a control lies, in the coordinates of the window's native side.
  QPoint CentreOf(const char* control) const {
    const auto* widget = window_.findChild<QWidget*>(QString::fromLatin1(control));
    return widget->mapTo(&window_, widget->rect().center());
  }

  // Drags `data` to `where` and lets it go; tells whether the window took the
  // drag when it entered.
  bool DragAndDrop(const QMimeData& data, QPoint where) {
    QWindow* native = window_.windowHandle();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &enter);
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &drop);
    return enter.isAccepted();
  }

  std::vector<std::string> DroppedPaths() const {
    std::vector<std::string> paths;
    for (const WindowEvent& event : events_) {
      EXPECT_EQ(event.kind, EventKind::kFileDropped);
      paths.push_back(event.path);
    }
    return paths;
  }

  QTemporaryDir folder_;
  QtWindow window_{std::string()};
  std::vector<WindowEvent> events_;
};

TEST_F(QtWindowDropTest, OneFileDroppedAnywhereChoosesItAndNoTextAreaPastesIt) {
  const QString image = MakeFile(QStringLiteral("image.hex"));
  const auto data = Files({image});
  const std::string path = QDir::toNativeSeparators(image).toStdString();

  EXPECT_TRUE(DragAndDrop(*data, CentreOf("Label1")));
  EXPECT_TRUE(DragAndDrop(*data, CentreOf("debug_box")));
  EXPECT_TRUE(DragAndDrop(*data, CentreOf("tbx4reply")));

  EXPECT_EQ(DroppedPaths(), std::vector<std::string>(3, path));
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), "");
  EXPECT_EQ(window_.Text(TextArea::kTbx4Reply), "");
  for (const char* area : {"debug_box", "tbx4reply"}) {
    EXPECT_EQ(window_.findChild<QPlainTextEdit*>(QString::fromLatin1(area))->toPlainText(), "")
        << area;
  }
}

TEST_F(QtWindowDropTest, APathBeyondAsciiArrivesInTheSystemsNarrowCharacterSet) {
  const QString image =
      MakeFile(QString::fromUtf8("pr\xC3\xBC"
                                 "fung \xE2\x82\xAC.hex"));
  ASSERT_TRUE(DragAndDrop(*Files({image}), CentreOf("Label3")));
  const QByteArray narrow = QDir::toNativeSeparators(image).toLocal8Bit();
  EXPECT_EQ(DroppedPaths(), std::vector<std::string>{narrow.toStdString()});
}

TEST_F(QtWindowDropTest, SeveralFilesAFolderOrNoFileAtAllAreRefused) {
  const QString first = MakeFile(QStringLiteral("a.hex"));
  const QString second = MakeFile(QStringLiteral("b.hex"));
  QMimeData text;
  text.setText(first);
  QMimeData remote;
  remote.setUrls({QUrl(QStringLiteral("https://example.com/image.hex"))});
  QMimeData nothing;

  const auto several = Files({first, second});
  const auto folder = Files({folder_.path()});
  for (const QMimeData* data : {several.get(), folder.get(), &text, &remote, &nothing}) {
    EXPECT_FALSE(DragAndDrop(*data, CentreOf("Label1"))) << data->formats().join(',').toStdString();
    EXPECT_FALSE(DragAndDrop(*data, CentreOf("debug_box")));
  }
  EXPECT_TRUE(events_.empty());
  EXPECT_EQ(window_.findChild<QPlainTextEdit*>(QStringLiteral("debug_box"))->toPlainText(), "");
}

}  // namespace
