#pragma once

#include <array>
#include <cstddef>

#include "ui/controls.h"
#include "ui/texts.h"

// The window as data: what every backend builds, and where. Places are in
// twips (1/1440 inch) as the window was designed; a backend converts them at
// the screen's resolution. Nothing moves when the window changes size.
namespace ui {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kClientWidthTwips = 9624;
inline constexpr int kClientHeightTwips = 7968;
inline constexpr int kTwipsPerInch = 1440;

// Twips to pixels at `dpi` dots per inch, to the nearest pixel: at 96 DPI a
// pixel is 15 twips.
constexpr int TwipsToPixels(int twips, int dpi) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

struct FontSpec {
  const char* family;
  double points;
  bool bold;
  bool fixed_pitch;
};

inline constexpr const char* kDialogFace = "MS Sans Serif";
inline constexpr const char* kFixedFace = "Courier New";
inline constexpr FontSpec kButtonFont = {kDialogFace, 7.8, true, false};  // also Label4
inline constexpr FontSpec kLabelFont = {kDialogFace, 8.0, false, false};
inline constexpr FontSpec kTextAreaFont = {kFixedFace, 9.0, false, true};
inline constexpr FontSpec kProgressFont = {kDialogFace, 7.0, false, false};

enum class ControlKind { kButton, kLabel, kTextArea };

// One control. Exactly one of button, label and area applies, by kind.
struct ControlSpec {
  const char* name;
  ControlKind kind;
  const char* design_text;
  TwipsRect rect;
  FontSpec font;
  Button button = Button::kCount;
  Label label = Label::kCount;
  TextArea area = TextArea::kCount;
  bool vertical_scroll_bar = false;
  bool border = true;
};

// In tab order: the focus chain follows this table, and the window starts
// with the focus on its first entry. Labels take no focus.
inline constexpr std::array<ControlSpec, 9> kControls = {{
    {"Dload_TBX4",
     ControlKind::kButton,
     kDownloadButton,
     {360, 720, 2052, 372},
     kButtonFont,
     Button::kDload_TBX4},
    {"debug_box",
     ControlKind::kTextArea,
     "",
     {360, 2040, 8892, 5292},
     kTextAreaFont,
     Button::kCount,
     Label::kCount,
     TextArea::kDebugBox,
     true},
    // One line high: it shows the message sent last. It has no border, and
    // runs down to the window's foot: the 372 twips it was drawn with left a
    // sliver of 2 pixels of window below it, and its scroll arrows less room
    // than the text has.
    {"tbx4reply",
     ControlKind::kTextArea,
     "",
     {360, 7560, 8892, kClientHeightTwips - 7560},
     kTextAreaFont,
     Button::kCount,
     Label::kCount,
     TextArea::kTbx4Reply,
     true,
     false},
    {"SetFname",
     ControlKind::kButton,
     kFileButton,
     {360, 240, 2052, 372},
     kButtonFont,
     Button::kSetFname},
    {"Label1",
     ControlKind::kLabel,
     kNoFileSelected,
     {2640, 240, 5652, 372},
     kLabelFont,
     Button::kCount,
     Label::kLabel1},
    {"GetRev",
     ControlKind::kButton,
     kRevisionButton,
     {360, 1200, 2052, 372},
     kButtonFont,
     Button::kGetRev},
    {"Label2",
     ControlKind::kLabel,
     kRevisionPrompt,
     {2640, 1200, 5892, 372},
     kLabelFont,
     Button::kCount,
     Label::kLabel2},
    {"Label3",
     ControlKind::kLabel,
     "",
     {2640, 720, 5772, 372},
     kLabelFont,
     Button::kCount,
     Label::kLabel3},
    {"Label4",
     ControlKind::kLabel,
     kCommsHeading,
     {360, 1800, 2652, 252},
     kButtonFont,
     Button::kCount,
     Label::kLabel4},
}};

// Every label starts blue; buttons and text areas keep the toolkit's colours.
inline constexpr Color kLabelDesignColor = kBlue;

// The progress band sits in the free strip between the revision row and the
// heading of the communications window (1572 to 1800 twips): a bar under the
// buttons, a line of text beside it. The bar keeps two pixels at 96 DPI (30
// twips) clear of the button above and of the heading below, whose text a
// face without internal leading draws from its very top; the text ends where
// the heading begins.
inline constexpr TwipsRect kProgressBarRect = {360, 1605, 2052, 165};
inline constexpr TwipsRect kProgressTextRect = {2640, 1570, 6612, 230};

// A menu item's shortcut: Ctrl and a function key, or none (0).
struct MenuItemSpec {
  MenuItem item;
  const char* name;
  const char* caption;
  int ctrl_function_key;
  bool checkable;
  bool separator_before;
};

struct MenuSpec {
  const char* caption;
  std::size_t first_item;  // index into kMenuItems
  std::size_t item_count;
};

// Ctrl+F1..Ctrl+F9 for Com1..Com9 and Ctrl+F11 for Com10: Ctrl+F10 is left
// alone, as it has always been.
inline constexpr std::array<MenuItemSpec, 12> kMenuItems = {{
    {MenuItem::kSetcomm1, "Setcomm1", "Com1", 1, true, false},
    {MenuItem::kSetcomm2, "Setcomm2", "Com2", 2, true, false},
    {MenuItem::kSetcomm3, "Setcomm3", "Com3", 3, true, false},
    {MenuItem::kSetcomm4, "Setcomm4", "Com4", 4, true, false},
    {MenuItem::kSetcomm5, "Setcomm5", "Com5", 5, true, false},
    {MenuItem::kSetcomm6, "Setcomm6", "Com6", 6, true, false},
    {MenuItem::kSetcomm7, "Setcomm7", "Com7", 7, true, false},
    {MenuItem::kSetcomm8, "Setcomm8", "Com8", 8, true, false},
    {MenuItem::kSetcomm9, "Setcomm9", "Com9", 9, true, false},
    {MenuItem::kSetcomm10, "Setcomm10", "Com10", 11, true, false},
    {MenuItem::kAssignDevices, "AssignDevices", kAssignDevicesItem, 0, false, true},
    {MenuItem::kTBX4_Ack, "TBX4_Ack", kAckOption, 0, true, false},
}};

inline constexpr std::array<MenuSpec, 2> kMenus = {{
    {kPortMenu, 0, 11},
    {kOptionsMenu, 11, 1},
}};

static_assert(kMenus.back().first_item + kMenus.back().item_count == kMenuItems.size(),
              "every menu item belongs to a menu");
static_assert(kMenuItems.size() + 1 == kMenuItemSlots,
              "every MenuItem value but the unused 0 has an entry");
static_assert(kControls.size() == CountOf<Button>() + CountOf<Label>() + CountOf<TextArea>(),
              "every button, label and text area has its place, and nothing else");

}  // namespace ui
