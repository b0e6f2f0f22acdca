// Builds the window from the layout table: every control at its place, in its
// font, in tab order, and the menus with their shortcuts.
#include <QAction>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextOption>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "platform/shared/port_hints.h"
#include "platform/window_event.h"

namespace {

// Qt scales for high-resolution screens itself: the layout is given to it at
// the classic 96 dots per inch.
constexpr int kLayoutDpi = 96;

int Px(int twips) {
  return ui::TwipsToPixels(twips, kLayoutDpi);
}

QRect ToPixels(const ui::TwipsRect& rect) {
  return QRect(Px(rect.left), Px(rect.top), Px(rect.width), Px(rect.height));
}

// The window is laid out for the classic Windows faces. Elsewhere they are
// usually missing, so the closest free faces stand in: a sans serif face for
// the dialog font and a monospace face for the text areas, whose hex lines
// must stay in columns.
void RegisterFontSubstitutes() {
  QFont::insertSubstitutions(
      QString::fromLatin1(ui::kDialogFace),
      {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
       QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("FreeSans")});
  QFont::insertSubstitutions(
      QString::fromLatin1(ui::kFixedFace),
      {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
       QStringLiteral("Courier"), QStringLiteral("Nimbus Mono PS"), QStringLiteral("FreeMono")});
}

QFont MakeFont(const ui::FontSpec& entry) {
  QFont font(QString::fromLatin1(entry.family));
  font.setStyleHint(entry.fixed_pitch ? QFont::TypeWriter : QFont::SansSerif);
  font.setPointSizeF(entry.points);
  font.setBold(entry.bold);
  font.setFixedPitch(entry.fixed_pitch);
  return font;
}

}  // namespace

QtWindow::QtWindow(std::string settings_dir, QWidget* parent)
    : QMainWindow(parent), settings_dir_(std::move(settings_dir)) {
  RegisterFontSubstitutes();
  setWindowTitle(ToQ(ui::kWindowCaption));
  BuildControls();
  BuildMenus();
  // The window has one size: the layout was made for it and nothing in it
  // follows a resize.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  setAcceptDrops(true);
}

QtWindow::~QtWindow() = default;

void QtWindow::BuildControls() {
  auto* client = new QWidget(this);
  client->setFixedSize(Px(ui::kClientWidthTwips), Px(ui::kClientHeightTwips));
  setCentralWidget(client);

  // Built in tab order, which is also the order the focus chain starts in.
  QWidget* previous = nullptr;
  for (const ui::ControlSpec& entry : ui::kControls) {
    QWidget* widget = BuildControl(client, entry);
    widget->setObjectName(QString::fromLatin1(entry.name));
    widget->setGeometry(ToPixels(entry.rect));
    widget->setFont(MakeFont(entry.font));
    if (widget->focusPolicy() == Qt::NoFocus) {
      continue;
    }
    if (previous == nullptr) {
      first_focus_ = widget;
    } else {
      QWidget::setTabOrder(previous, widget);
    }
    previous = widget;
  }
  BuildProgressBand(client);
}

QWidget* QtWindow::BuildControl(QWidget* client, const ui::ControlSpec& entry) {
  switch (entry.kind) {
    case ui::ControlKind::kButton:
      return BuildButton(client, entry);
    case ui::ControlKind::kLabel:
      return BuildLabel(client, entry);
    case ui::ControlKind::kTextArea:
      break;
  }
  return BuildTextArea(client, entry);
}

QPushButton* QtWindow::BuildButton(QWidget* client, const ui::ControlSpec& entry) {
  auto* button = new QPushButton(ToQ(entry.design_text), client);
  // Enter presses the focused button, as the platform's users expect.
  button->setAutoDefault(true);
  const EventKind click = ClickEvent(entry.button);
  connect(button, &QPushButton::clicked, this, [this, click] { Deliver(WindowEvent{click}); });
  buttons_.at(Index(entry.button)) = button;
  return button;
}

QLabel* QtWindow::BuildLabel(QWidget* client, const ui::ControlSpec& entry) {
  auto* label = new QLabel(client);
  // File names may hold '<' or '&'; they are shown as they are.
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setFocusPolicy(Qt::NoFocus);
  labels_.at(Index(entry.label)) = label;
  SetCaption(entry.label, entry.design_text);
  SetTextColor(entry.label, ui::kLabelDesignColor);
  return label;
}

QPlainTextEdit* QtWindow::BuildTextArea(QWidget* client, const ui::ControlSpec& entry) {
  auto* edit = new QPlainTextEdit(client);
  edit->setReadOnly(true);
  // Read-only, yet the user may still tab in and move about to copy text.
  edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  edit->setFocusPolicy(Qt::StrongFocus);
  edit->setTabChangesFocus(true);
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Long runs of hex have no spaces; they wrap wherever the edge falls.
  edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setVerticalScrollBarPolicy(entry.vertical_scroll_bar ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAlwaysOff);
  if (!entry.border) {
    edit->setFrameShape(QFrame::NoFrame);
  }
  // Nobody edits these areas, and an undo history of a download's worth of
  // appends would only grow.
  edit->setUndoRedoEnabled(false);
  // A file dropped on an area is the window's to take as the image, not the
  // area's to paste as text.
  edit->setAcceptDrops(false);
  edit->viewport()->setAcceptDrops(false);
  // The font first: the pane measures the width in characters.
  edit->setFont(MakeFont(entry.font));
  areas_.at(Index(entry.area)) = edit;
  panes_.at(Index(entry.area)) = std::make_unique<TextPane>(edit);
  return edit;
}

void QtWindow::BuildProgressBand(QWidget* client) {
  progress_bar_ = new QProgressBar(client);
  progress_bar_->setObjectName(QStringLiteral("progress"));
  progress_bar_->setGeometry(ToPixels(ui::kProgressBarRect));
  progress_bar_->setTextVisible(false);
  progress_bar_->setRange(0, 1);
  progress_bar_->setValue(0);

  progress_text_ = new QLabel(client);
  progress_text_->setObjectName(QStringLiteral("progress_text"));
  progress_text_->setGeometry(ToPixels(ui::kProgressTextRect));
  progress_text_->setFont(MakeFont(ui::kProgressFont));
  progress_text_->setTextFormat(Qt::PlainText);
  progress_text_->setFocusPolicy(Qt::NoFocus);

  progress_timer_.setSingleShot(true);
  progress_timer_.setInterval(ProgressBand::kBatchDelayMs);
  connect(&progress_timer_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

void QtWindow::BuildMenus() {
  QMenu* port_menu = nullptr;
  for (const ui::MenuSpec& menu_spec : ui::kMenus) {
    QMenu* menu = menuBar()->addMenu(ToQ(menu_spec.caption));
    for (std::size_t i = 0; i < menu_spec.item_count; ++i) {
      const ui::MenuItemSpec& entry = ui::kMenuItems.at(menu_spec.first_item + i);
      if (entry.separator_before) {
        menu->addSeparator();
      }
      menu_items_.at(Index(entry.item)) = BuildMenuItem(menu, entry);
      if (IsPortItem(entry.item)) {
        port_menu = menu;
      }
    }
  }
  // Each port item tells which device it stands for, looked up afresh each
  // time the menu opens since adapters come and go.
  port_menu->setToolTipsVisible(true);
  connect(port_menu, &QMenu::aboutToShow, this, [this] { UpdatePortHints(); });
  UpdatePortHints();
}

QAction* QtWindow::BuildMenuItem(QMenu* menu, const ui::MenuItemSpec& entry) {
  QAction* action = menu->addAction(ToQ(entry.caption));
  action->setObjectName(QString::fromLatin1(entry.name));
  action->setCheckable(entry.checkable);
  if (entry.ctrl_function_key > 0) {
    const int key = Qt::Key_F1 + (entry.ctrl_function_key - 1);
    action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(key)));
  }
  // The handler decides what ends up checked; Qt's own toggle on trigger
  // happens first and is overwritten by it.
  const WindowEvent event = ChoiceEvent(entry.item);
  connect(action, &QAction::triggered, this, [this, event] { Deliver(event); });
  return action;
}

void QtWindow::SetDeviceLister(SerialDeviceLister lister) {
  device_lister_ = std::move(lister);
  UpdatePortHints();
}

void QtWindow::UpdatePortHints() {
  const std::array<std::string, kLastPort> hints = PortHints(settings_dir_, device_lister_());
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const QString hint = ToQ(hints.at(static_cast<std::size_t>(port - kFirstPort)));
    QAction* item = menu_items_.at(Index(PortItem(port)));
    item->setToolTip(hint);
    item->setStatusTip(hint);
  }
}
