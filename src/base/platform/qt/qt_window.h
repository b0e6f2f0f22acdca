#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>
#include <string>

#include "platform/qt/qt_serial_devices.h"
#include "platform/qt/text_pane.h"
#include "platform/shared/progress_band.h"
#include "platform/window.h"
#include "ui/layout.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The program's window over Qt Widgets, built from the layout table. It only
// maps the Window operations onto widgets. Final: building the controls sets
// their captions and colours through the Window operations, from the
// constructor.
class QtWindow final : public QMainWindow, public Window {
 public:
  // settings_dir is where the port menu's hints look for ports/comN links.
  explicit QtWindow(std::string settings_dir, QWidget* parent = nullptr);
  ~QtWindow() override;

  // Hands one event to the sink. Whatever escapes the handler is reported on
  // stderr and stops here.
  void Deliver(const WindowEvent& event);

  // Every byte a text area holds, for whoever inspects the window.
  std::string Text(TextArea area) const;

  // Where the device dialog and the port hints learn which devices are
  // present (by default, from the system). The hints follow at once.
  void SetDeviceLister(SerialDeviceLister lister);

  // --- Window ---
  void SetEventSink(EventSink sink) override;
  void SetCaption(Label label, const std::string& caption) override;
  std::string Caption(Label label) override;
  void SetTextColor(Label label, Color color) override;
  void SetText(TextArea area, const std::string& text) override;
  void AppendText(TextArea area, const std::string& text) override;
  void SetChecked(MenuItem item, bool checked) override;
  void SetEnabled(MenuItem item, bool enabled) override;
  void SetCommandsEnabled(bool enabled) override;
  void SetProgress(std::size_t done, std::size_t total) override;
  void SetProgressText(const std::string& text, bool problem) override;
  void SetFileToolTip(const std::string& text) override;
  void MessageBox(const std::string& text, Icon icon) override;
  std::optional<std::string> ShowOpen() override;
  std::optional<PortDevices> ChooseDevices(const PortDevices& current) override;
  void PumpEvents(Clock::time_point deadline) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // A file dropped anywhere on the window chooses the image
  // (qt_window_drop.cpp).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildControl(QWidget* client, const ui::ControlSpec& entry);
  QPushButton* BuildButton(QWidget* client, const ui::ControlSpec& entry);
  QLabel* BuildLabel(QWidget* client, const ui::ControlSpec& entry);
  QPlainTextEdit* BuildTextArea(QWidget* client, const ui::ControlSpec& entry);
  void BuildProgressBand(QWidget* client);
  void BuildMenus();
  QAction* BuildMenuItem(QMenu* menu, const ui::MenuItemSpec& entry);
  void UpdatePortHints();
  QLabel* LabelWidget(Label label) const;
  // Hands the band's latest value and text to the widgets, if they changed.
  void ShowProgress();
  void ProgressChanged(bool first_of_batch);

  std::string settings_dir_;
  EventSink sink_;

  std::array<QPushButton*, CountOf<Button>()> buttons_{};
  std::array<QLabel*, CountOf<Label>()> labels_{};
  std::array<QPlainTextEdit*, CountOf<TextArea>()> areas_{};
  std::array<std::unique_ptr<TextPane>, CountOf<TextArea>()> panes_;
  QProgressBar* progress_bar_ = nullptr;
  QLabel* progress_text_ = nullptr;
  ProgressBand progress_;
  QTimer progress_timer_;
  bool progress_problem_shown_ = false;
  QWidget* first_focus_ = nullptr;
  // What the program last set on each label, byte for byte: the label's own
  // text has been through a character set conversion that need not round-trip.
  std::array<std::string, CountOf<Label>()> captions_;
  std::array<QAction*, kMenuItemSlots> menu_items_{};

  SerialDeviceLister device_lister_ = PresentSerialDevices;
  bool shown_before_ = false;
};
