#include "driver_windows.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

#include "platform/win32/win32_text.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

using std::chrono::steady_clock;

// A 32-bit top-down bitmap whose pixels can be read directly.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<const std::uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  std::uint32_t At(int index) const { return pixels_[index]; }
  int Size() const { return width_ * height_; }

 private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  const std::uint32_t* pixels_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

long long Difference(const Canvas& a, const Canvas& b) {
  long long sum = 0;
  for (int i = 0; i < a.Size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(static_cast<int>((a.At(i) >> shift) & 0xFF) -
                      static_cast<int>((b.At(i) >> shift) & 0xFF));
    }
  }
  return sum;
}

// The box's icon control: a visible static of the icon kind with an icon.
HWND IconControl(HWND box) {
  for (HWND child : Children(box)) {
    const auto style = GetWindowLongW(child, GWL_STYLE);
    RECT rect{};
    GetClientRect(child, &rect);
    if (IsClass(child, L"Static") && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        rect.right > 0 && rect.bottom > 0 && SendMessageW(child, STM_GETICON, 0, 0) != 0) {
      return child;
    }
  }
  return nullptr;
}

HWND ControlAt(HWND main, const ui::TwipsRect& place, const wchar_t* window_class) {
  const auto dpi = static_cast<int>(GetDpiForWindow(main));
  const int left = ui::TwipsToPixels(place.left, dpi);
  const int top = ui::TwipsToPixels(place.top, dpi);
  for (HWND child : Children(main)) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    if (std::abs(rect.left - left) <= 2 && std::abs(rect.top - top) <= 2 &&
        IsClass(child, window_class)) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline = steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (done())
      return true;
    if (steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

HWND WaitFor(const std::function<HWND()>& find, double seconds) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = find()) != nullptr; }, seconds);
  return found;
}

std::wstring TextOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool IsClass(HWND window, const wchar_t* name) {
  return _wcsicmp(ClassOf(window).c_str(), name) == 0;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND MainWindow() {
  return FindWindowW(nullptr, WideFromNarrow(ui::kWindowCaption).c_str());
}

HWND ButtonWithText(HWND main, const std::string& text) {
  for (HWND child : Children(main)) {
    if (IsClass(child, L"Button") && TextOf(child) == WideFromNarrow(text))
      return child;
  }
  return nullptr;
}

HWND ControlNamed(HWND main, const std::string& name) {
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (name != entry.name)
      continue;
    const wchar_t* const window_class = entry.kind == ui::ControlKind::kLabel      ? L"Static"
                                        : entry.kind == ui::ControlKind::kTextArea ? L"Edit"
                                                                                   : L"Button";
    return ControlAt(main, entry.rect, window_class);
  }
  return nullptr;
}

HWND MessageBoxWindow() {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
    if (TextOf(box) == WideFromNarrow(ui::kMessageBoxTitle) && IsWindowVisible(box))
      return box;
  }
  return nullptr;
}

std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  for (HWND child : Children(box)) {
    if (IsClass(child, L"Static")) {
      const std::wstring candidate = TextOf(child);
      if (candidate.size() > text.size())
        text = candidate;
    }
  }
  return text;
}

// Under Wine a box in another process does not share its icon handles with
// this one, so the icon is told by its looks: each of the system's icons is
// drawn as the box draws it, on the box's own background, and the one closest
// to what the screen shows is it.
std::string MessageBoxIcon(HWND box) {
  HWND control = IconControl(box);
  if (control == nullptr)
    return "none";
  RECT rect;
  GetClientRect(control, &rect);
  MapWindowPoints(control, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  Canvas shown(width, height);
  HDC screen = GetDC(nullptr);
  BitBlt(shown.Dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);

  const std::uint32_t background = shown.At(0);
  const std::array<std::pair<const char*, LPCSTR>, 4> icons = {{
      {"exclamation", IDI_EXCLAMATION},
      {"error", IDI_HAND},
      {"information", IDI_ASTERISK},
      {"question", IDI_QUESTION},
  }};
  std::string closest = "unknown";
  long long least = std::numeric_limits<long long>::max();
  for (const auto& [name, id] : icons) {
    Canvas drawn(width, height);
    HBRUSH brush = CreateSolidBrush(
        RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    const RECT all = {0, 0, width, height};
    FillRect(drawn.Dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn.Dc(), 0, 0, LoadIconA(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
    if (const long long difference = Difference(shown, drawn); difference < least) {
      least = difference;
      closest = name;
    }
  }
  return closest;
}

std::string MessageBoxButtons(HWND box) {
  std::string buttons;
  for (HWND child : Children(box)) {
    if (!IsClass(child, L"Button") || !IsWindowVisible(child))
      continue;
    const int id = GetDlgCtrlID(child);
    const std::string name = id == IDOK       ? "ok"
                             : id == IDCANCEL ? "cancel"
                             : id == IDYES    ? "yes"
                             : id == IDNO     ? "no"
                                              : "id" + std::to_string(id);
    buttons += (buttons.empty() ? "" : ",") + name;
  }
  return buttons;
}

HWND OtherDialogOf(HWND main) {
  HWND dialog = nullptr;
  while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
    if (GetWindow(dialog, GW_OWNER) == main && IsWindowVisible(dialog) &&
        TextOf(dialog) != WideFromNarrow(ui::kMessageBoxTitle)) {
      return dialog;
    }
  }
  return nullptr;
}
