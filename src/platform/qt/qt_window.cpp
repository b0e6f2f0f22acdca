#include "platform/qt/qt_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFutureWatcher>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QString>
#include <QTextOption>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>

#include "app/ui_texts.h"
#include "platform/device_names.h"

namespace {

// The window's layout is given in twips; at the usual 96 dots per inch a pixel
// is 15 of them.
constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

constexpr int kClientWidthTwips = 9624;
constexpr int kClientHeightTwips = 7968;

constexpr const char* kDialogFont = "MS Sans Serif";
constexpr const char* kFixedFont = "Courier New";
constexpr qreal kButtonPoints = 7.8;
constexpr qreal kLabelPoints = 8.0;
constexpr qreal kTextAreaPoints = 9.0;
constexpr qreal kProgressPoints = 7.0;

// The progress band sits in the free strip between the revision row and the
// heading of the communications window.
constexpr int kBandTop = 1600;
constexpr int kBandHeight = 180;

// The port menu's shortcuts are Ctrl+F1..Ctrl+F9 and then Ctrl+F11: Ctrl+F10
// is left alone, as it has always been.
constexpr int kPortCount = 10;

QString ToQ(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString ToQ(const char* text) {
  return QString::fromLocal8Bit(text);
}

std::string FromQ(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The window is laid out for the classic Windows faces. Elsewhere they are
// usually missing, so the closest free faces stand in: a sans serif face for
// the dialog font and a monospace face for the text areas, whose hex lines
// must stay in columns.
void RegisterFontSubstitutes() {
  QFont::insertSubstitutions(
      QString::fromLatin1(kDialogFont),
      {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
       QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("FreeSans")});
  QFont::insertSubstitutions(
      QString::fromLatin1(kFixedFont),
      {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
       QStringLiteral("Courier"), QStringLiteral("Nimbus Mono PS"), QStringLiteral("FreeMono")});
}

QFont MakeFont(const char* family, qreal points, bool bold, QFont::StyleHint hint) {
  QFont font(QString::fromLatin1(family));
  font.setStyleHint(hint);
  font.setPointSizeF(points);
  font.setBold(bold);
  if (hint == QFont::TypeWriter) {
    font.setFixedPitch(true);
  }
  return font;
}

QColor FromBgr(Color color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

// What COMN is on this machine, and whether it is there now.
QString PortHint(int port, const std::string& program_dir) {
  const std::string device = DevicePathForPort(port, program_dir);
#ifdef _WIN32
  bool present = false;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    present = present || info.portName().toStdString() == device;
  }
#else
  const bool present = QFileInfo::exists(QString::fromLocal8Bit(device.c_str()));
#endif
  return QStringLiteral("Com%1 is %2 (%3)")
      .arg(port)
      .arg(QString::fromLocal8Bit(device.c_str()),
           present ? QStringLiteral("present") : QStringLiteral("not present"));
}

QPlainTextEdit* MakeTextArea(QWidget* parent, const char* name, const QRect& geometry) {
  auto* edit = new QPlainTextEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  edit->setReadOnly(true);
  // Read-only, yet the user may still tab in and move about to copy text.
  edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  edit->setFocusPolicy(Qt::StrongFocus);
  edit->setTabChangesFocus(true);
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Long runs of hex have no spaces; they wrap wherever the edge falls.
  edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Nobody edits these areas, and an undo history of a download's worth of
  // appends would only grow.
  edit->setUndoRedoEnabled(false);
  edit->setFont(MakeFont(kFixedFont, kTextAreaPoints, false, QFont::TypeWriter));
  return edit;
}

}  // namespace

QtWindow::QtWindow(QWidget* parent) : QMainWindow(parent) {
  RegisterFontSubstitutes();
  setWindowTitle(ToQ(ui::kWindowCaption));
  BuildControls();
  BuildMenus();
  // The window has one size: the layout was made for it and nothing in it
  // follows a resize.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QtWindow::~QtWindow() = default;

void QtWindow::BuildControls() {
  auto* client = new QWidget(this);
  client->setFixedSize(Px(kClientWidthTwips), Px(kClientHeightTwips));
  setCentralWidget(client);

  const QFont button_font = MakeFont(kDialogFont, kButtonPoints, true, QFont::SansSerif);
  const QFont label_font = MakeFont(kDialogFont, kLabelPoints, false, QFont::SansSerif);

  auto make_button = [&](const char* name, const char* text, const QRect& geometry) {
    auto* button = new QPushButton(ToQ(text), client);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(button_font);
    // Enter presses the focused button, as the platform's users expect.
    button->setAutoDefault(true);
    return button;
  };
  auto make_label = [&](Label which, const char* name, const char* text, const QRect& geometry,
                        const QFont& font) {
    auto* label = new QLabel(client);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(font);
    // File names may hold '<' or '&'; they are shown as they are.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setFocusPolicy(Qt::NoFocus);
    labels_[static_cast<std::size_t>(which)] = label;
    SetCaption(which, text);
    SetTextColor(which, ui::kBlue);
  };

  // Created in tab order, which is also the order the focus chain starts in.
  download_button_ = make_button("Dload_TBX4", ui::kDownloadButton, TwipsRect(360, 720, 2052, 372));
  debug_box_ = MakeTextArea(client, "debug_box", TwipsRect(360, 2040, 8892, 5292));
  debug_box_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  reply_box_ = MakeTextArea(client, "tbx4reply", TwipsRect(360, 7560, 8892, 372));
  reply_box_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  reply_box_->setFrameShape(QFrame::NoFrame);
  file_button_ = make_button("SetFname", ui::kFileButton, TwipsRect(360, 240, 2052, 372));
  revision_button_ = make_button("GetRev", ui::kRevisionButton, TwipsRect(360, 1200, 2052, 372));

  make_label(Label::kLabel1, "Label1", ui::kNoFileSelected, TwipsRect(2640, 240, 5652, 372),
             label_font);
  make_label(Label::kLabel2, "Label2", ui::kRevisionPrompt, TwipsRect(2640, 1200, 5892, 372),
             label_font);
  make_label(Label::kLabel3, "Label3", "", TwipsRect(2640, 720, 5772, 372), label_font);
  make_label(Label::kLabel4, "Label4", ui::kCommsHeading, TwipsRect(360, 1800, 2652, 252),
             button_font);

  QWidget::setTabOrder(download_button_, debug_box_);
  QWidget::setTabOrder(debug_box_, reply_box_);
  QWidget::setTabOrder(reply_box_, file_button_);
  QWidget::setTabOrder(file_button_, revision_button_);

  BuildProgressBand(client);

  debug_pane_ = std::make_unique<TextPane>(debug_box_);
  reply_pane_ = std::make_unique<TextPane>(reply_box_);

  connect(download_button_, &QPushButton::clicked, this,
          [this] { Deliver(WindowEvent{EventKind::kDownloadClicked}); });
  connect(file_button_, &QPushButton::clicked, this,
          [this] { Deliver(WindowEvent{EventKind::kSetFnameClicked}); });
  connect(revision_button_, &QPushButton::clicked, this,
          [this] { Deliver(WindowEvent{EventKind::kGetRevClicked}); });
}

void QtWindow::BuildProgressBand(QWidget* client) {
  progress_bar_ = new QProgressBar(client);
  progress_bar_->setObjectName(QStringLiteral("progress"));
  progress_bar_->setGeometry(TwipsRect(360, kBandTop, 2052, kBandHeight));
  progress_bar_->setTextVisible(false);
  progress_bar_->setRange(0, 1);
  progress_bar_->setValue(0);

  progress_text_ = new QLabel(client);
  progress_text_->setObjectName(QStringLiteral("progress_text"));
  progress_text_->setGeometry(TwipsRect(2640, kBandTop - 30, 6612, kBandHeight + 60));
  progress_text_->setFont(MakeFont(kDialogFont, kProgressPoints, false, QFont::SansSerif));
  progress_text_->setTextFormat(Qt::PlainText);
  progress_text_->setFocusPolicy(Qt::NoFocus);
}

void QtWindow::BuildMenus() {
  QMenu* port_menu = menuBar()->addMenu(ToQ(ui::kPortMenu));
  // Each item tells which device it stands for, looked up afresh each time
  // the menu opens since adapters come and go.
  port_menu->setToolTipsVisible(true);
  connect(port_menu, &QMenu::aboutToShow, this, [this] { UpdatePortHints(); });
  for (int port = 1; port <= kPortCount; ++port) {
    QAction* action = port_menu->addAction(QStringLiteral("Com%1").arg(port));
    action->setObjectName(QStringLiteral("Setcomm%1").arg(port));
    action->setCheckable(true);
    const int key = port < kPortCount ? Qt::Key_F1 + (port - 1) : Qt::Key_F11;
    action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(key)));
    // The handler decides what ends up checked; Qt's own toggle on trigger
    // happens first and is overwritten by it.
    connect(action, &QAction::triggered, this, [this, port] {
      Deliver(WindowEvent{EventKind::kPortChosen, port});
    });
    menu_items_[static_cast<std::size_t>(port)] = action;
  }

  QMenu* options_menu = menuBar()->addMenu(ToQ(ui::kOptionsMenu));
  QAction* ack = options_menu->addAction(ToQ(ui::kAckOption));
  ack->setObjectName(QStringLiteral("TBX4_Ack"));
  ack->setCheckable(true);
  connect(ack, &QAction::triggered, this,
          [this] { Deliver(WindowEvent{EventKind::kAckOptionChosen}); });
  menu_items_[static_cast<std::size_t>(MenuItem::kTBX4_Ack)] = ack;
  UpdatePortHints();
}

void QtWindow::UpdatePortHints() {
  const std::string program_dir = ProgramDirectory();
  for (int port = 1; port <= kPortCount; ++port) {
    const QString hint = PortHint(port, program_dir);
    menu_items_[static_cast<std::size_t>(port)]->setToolTip(hint);
    menu_items_[static_cast<std::size_t>(port)]->setStatusTip(hint);
  }
}

void QtWindow::Deliver(const WindowEvent& event) {
  if (!sink_) {
    return;
  }
  try {
    sink_(event);
  } catch (const std::exception& failure) {
    qWarning("TBX4_Download: event %d failed: %s", static_cast<int>(event.kind), failure.what());
  } catch (...) {
    qWarning("TBX4_Download: event %d failed", static_cast<int>(event.kind));
  }
}

void QtWindow::closeEvent(QCloseEvent* event) {
  Deliver(WindowEvent{EventKind::kUnload});
  event->accept();
}

void QtWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_before_) {
    return;
  }
  shown_before_ = true;
  if (QScreen* where = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    move(frame.topLeft());
  }
  download_button_->setFocus(Qt::OtherFocusReason);
}

void QtWindow::SetEventSink(std::function<void(const WindowEvent&)> sink) {
  sink_ = std::move(sink);
}

QLabel* QtWindow::LabelWidget(Label label) const {
  return labels_.at(static_cast<std::size_t>(label));
}

void QtWindow::SetCaption(Label label, const std::string& caption) {
  captions_.at(static_cast<std::size_t>(label)) = caption;
  LabelWidget(label)->setText(ToQ(caption));
}

std::string QtWindow::Caption(Label label) {
  return captions_.at(static_cast<std::size_t>(label));
}

void QtWindow::SetTextColor(Label label, Color color) {
  QLabel* widget = LabelWidget(label);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, FromBgr(color));
  widget->setPalette(palette);
}

TextPane& QtWindow::Pane(TextArea area) {
  return area == TextArea::kDebugBox ? *debug_pane_ : *reply_pane_;
}

std::string QtWindow::Text(TextArea area) {
  return Pane(area).Text();
}

void QtWindow::SetText(TextArea area, const std::string& text) {
  Pane(area).SetText(text);
}

void QtWindow::AppendText(TextArea area, const std::string& text) {
  Pane(area).Append(text);
}

void QtWindow::SetChecked(MenuItem item, bool checked) {
  menu_items_.at(static_cast<std::size_t>(item))->setChecked(checked);
}

void QtWindow::SetProgress(std::size_t done, std::size_t total) {
  // QProgressBar counts in int; scale a huge image down rather than wrap.
  const std::size_t scale = std::max<std::size_t>(1, total / std::numeric_limits<int>::max() + 1);
  progress_bar_->setRange(0, static_cast<int>(std::max<std::size_t>(total / scale, 1)));
  progress_bar_->setValue(static_cast<int>(done / scale));
}

void QtWindow::SetProgressText(const std::string& text, bool problem) {
  progress_text_->setText(ToQ(text));
  QPalette palette = progress_text_->palette();
  palette.setColor(QPalette::WindowText, problem
                                             ? FromBgr(ui::kRed)
                                             : QApplication::palette().color(QPalette::WindowText));
  progress_text_->setPalette(palette);
}

void QtWindow::SetFileToolTip(const std::string& text) {
  LabelWidget(Label::kLabel1)->setToolTip(ToQ(text));
}

void QtWindow::RunInBackground(std::function<void()> work, std::function<void()> then) {
  // The watcher belongs to the window: if the window goes first, `then` never
  // runs against it.
  auto* watcher = new QFutureWatcher<void>(this);
  connect(watcher, &QFutureWatcher<void>::finished, this, [watcher, then = std::move(then)] {
    watcher->deleteLater();
    then();
  });
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void QtWindow::MessageBox(const std::string& text, Icon icon) {
  QMessageBox box(this);
  box.setWindowTitle(ToQ(ui::kMessageBoxTitle));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQ(text));
  box.setIcon(icon == Icon::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void QtWindow::ShowOpen() {
  const QString chosen = QFileDialog::getOpenFileName(this);
  if (!chosen.isEmpty()) {
    file_name_ = FromQ(QDir::toNativeSeparators(chosen));
  }
}

std::string QtWindow::FileName() {
  return file_name_;
}

void QtWindow::PumpEvents(Clock::time_point deadline) {
  const Clock::time_point now = Clock::now();
  if (deadline <= now) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // Rounded up, so the wake-up never comes before the deadline.
  const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
  const auto longest = std::chrono::milliseconds(std::numeric_limits<int>::max());
  // The timer only has to wake the wait below; a handler run inside it may
  // pump again with a timer of its own.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(std::min(remaining, longest));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  wake.stop();
}

Clock::time_point QtWindow::Now() {
  return Clock::now();
}

std::string QtWindow::ProgramDirectory() {
  return FromQ(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

void QtWindow::OpenForReading(FileHandle handle, const std::string& path) {
  files_.OpenForReading(handle, path);
}

void QtWindow::OpenForWriting(FileHandle handle, const std::string& path) {
  files_.OpenForWriting(handle, path);
}

std::string QtWindow::ReadLine(FileHandle handle) {
  return files_.ReadLine(handle);
}

bool QtWindow::AtEnd(FileHandle handle) {
  return files_.AtEnd(handle);
}

void QtWindow::WriteLine(FileHandle handle, const std::string& line) {
  files_.WriteLine(handle, line);
}

void QtWindow::Close(FileHandle handle) {
  files_.Close(handle);
}
