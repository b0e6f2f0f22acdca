#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include "platform/shared/device_choices.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_menus.h"
#include "platform/win32/win32_progress_band.h"
#include "platform/win32/win32_text_area.h"
#include "platform/window.h"

// The program's window over the Win32 API, built from the layout table. It
// only maps the Window operations onto controls; the pump it is given sleeps
// on its messages and on the thread's other handles.
class Win32Window final : public Window {
 public:
  // The program's icon, by its resource number in the executable.
  static constexpr int kIconResource = 1;
  // How often, at most, what the program set reaches the text areas and
  // the band. Under Wine each batch costs the window some 1,500 calls into
  // the system (the themed scroll bars of the areas above all), ten
  // milliseconds of CPU and more; a download at 4800 baud sends six lines a
  // second, and this shows every third.
  static constexpr std::chrono::milliseconds kShowInterval{400};

  // Creates the window hidden, sized and centred for the monitor it opens on.
  // settings_dir is where the port menu's hints and the device dialog find
  // the ports/comN assignments.
  explicit Win32Window(Win32EventPump& pump, std::string settings_dir = {});
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  // Shows the window with the focus on the first control of the tab order.
  void Show(int show_command = SW_SHOWNORMAL);
  HWND Handle() const { return window_; }

  // Hands one event to the sink. Whatever escapes the handler is reported to
  // the debugger's output and stops here.
  void Deliver(const WindowEvent& event);
  // Whether the shut-down has been delivered: the window is done with.
  bool Closed() const { return closed_; }

  // What the controls hold, for whoever inspects the window.
  std::string Text(TextArea area) const;
  int AreaColumns(TextArea area) const { return areas_.at(Index(area))->Columns(); }
  bool Checked(MenuItem item) const { return menus_.Checked(item); }
  bool Enabled(MenuItem item) const { return menus_.Enabled(item); }
  HACCEL Accelerators() const { return menus_.Accelerators(); }
  Color TextColor(Label label) const { return label_colors_.at(Index(label)); }
  Color ProgressTextColor() const { return band_.TextColor(); }
  const Win32Controls& Controls() const { return controls_; }

  // Where the port hints and the device dialog learn which devices are
  // present (by default, from the system).
  void SetDeviceLister(SerialDeviceLister lister) { device_lister_ = std::move(lister); }

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

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Build();
  bool HandleCommand(int id);
  LRESULT ColorStatic(HDC dc, HWND control);
  void FitToDpi(int dpi, const RECT* suggested);
  void OnActivate(WPARAM wparam);
  void OnTimer(UINT_PTR timer);
  void ShowSoon();
  void ShowIfDue();
  void ShowWaiting();

  static constexpr UINT_PTR kShowTimerId = 1;
  void OnDropFiles(HDROP drop);
  // The port menu's hints (win32_window_ports.cpp).
  void OnMenuPopup(HMENU popup);
  void OnMenuSelect(WPARAM wparam, LPARAM lparam);
  void ShutDown();
  void PressFocusedButton();

  Win32EventPump& pump_;
  HWND window_ = nullptr;
  EventSink sink_;
  Win32Controls controls_;
  Win32Menus menus_;
  Win32ProgressBand band_;
  std::array<std::unique_ptr<Win32TextArea>, CountOf<TextArea>()> areas_;
  // What the program last set on each label, byte for byte: the control's own
  // text has been through a character set conversion that need not round-trip.
  std::array<std::string, CountOf<Label>()> captions_;
  std::array<Color, CountOf<Label>()> label_colors_{};
  // The text areas and the band reach their controls together, in batches:
  // at the start of a pass of the pump, which is where the program has just
  // sent its next line, and from a timer when no pass comes.
  bool show_waiting_ = false;
  Clock::time_point last_shown_{};
  HWND last_focus_ = nullptr;
  std::string last_chosen_;
  bool closed_ = false;
  std::string settings_dir_;
  SerialDeviceLister device_lister_;
  std::array<std::string, kLastPort> port_hints_;
};
