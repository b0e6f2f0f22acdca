#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/qt/text_pane.h"
#include "platform/std_text_files.h"
#include "platform/window_event.h"

class QAction;
class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QShowEvent;

// The program's one window, and the Platform the program's logic runs on.
class QtWindow : public QMainWindow, public Platform {
  Q_OBJECT

 public:
  explicit QtWindow(QWidget* parent = nullptr);
  ~QtWindow() override;

  // Hands one event to the sink. Whatever escapes the handler is reported on
  // stderr and stops here: it must never unwind through Qt's event loop.
  void Deliver(const WindowEvent& event);

  // --- Platform ---
  void SetEventSink(std::function<void(const WindowEvent&)> sink) override;
  void SetCaption(Label label, const std::string& caption) override;
  std::string Caption(Label label) override;
  void SetTextColor(Label label, Color color) override;
  std::string Text(TextArea area) override;
  void SetText(TextArea area, const std::string& text) override;
  void AppendText(TextArea area, const std::string& text) override;
  void SetChecked(MenuItem item, bool checked) override;
  void SetProgress(std::size_t done, std::size_t total) override;
  void SetProgressText(const std::string& text, bool problem) override;
  void SetFileToolTip(const std::string& text) override;
  void RunInBackground(std::function<void()> work, std::function<void()> then) override;
  void MessageBox(const std::string& text, Icon icon) override;
  void ShowOpen() override;
  std::string FileName() override;
  void PumpEvents(Clock::time_point deadline) override;
  Clock::time_point Now() override;
  std::string ProgramDirectory() override;
  void OpenForReading(FileHandle handle, const std::string& path) override;
  void OpenForWriting(FileHandle handle, const std::string& path) override;
  std::string ReadLine(FileHandle handle) override;
  bool AtEnd(FileHandle handle) override;
  void WriteLine(FileHandle handle, const std::string& line) override;
  void Close(FileHandle handle) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  static constexpr std::size_t kLabelCount = 4;
  static constexpr std::size_t kMenuItemCount = static_cast<std::size_t>(MenuItem::kTBX4_Ack) + 1;

  void BuildControls();
  void BuildProgressBand(QWidget* client);
  void BuildMenus();
  void UpdatePortHints();
  QLabel* LabelWidget(Label label) const;
  TextPane& Pane(TextArea area);

  std::function<void(const WindowEvent&)> sink_;

  QPushButton* download_button_ = nullptr;
  QPushButton* file_button_ = nullptr;
  QPushButton* revision_button_ = nullptr;
  QPlainTextEdit* debug_box_ = nullptr;
  QPlainTextEdit* reply_box_ = nullptr;
  std::array<QLabel*, kLabelCount> labels_{};
  QProgressBar* progress_bar_ = nullptr;
  QLabel* progress_text_ = nullptr;
  // What the program last set on each label, byte for byte: the label's own
  // text has been through a character set conversion that need not round-trip.
  std::array<std::string, kLabelCount> captions_;
  // Indexed by MenuItem's value; slot 0 is unused.
  std::array<QAction*, kMenuItemCount> menu_items_{};

  std::unique_ptr<TextPane> debug_pane_;
  std::unique_ptr<TextPane> reply_pane_;

  std::string file_name_;
  StdTextFiles files_;
  bool shown_before_ = false;
};
