#pragma once

#include <cstddef>
#include <cstdint>

// The window's controls and menu items as the program names them. Every
// backend and the program's logic refer to them by these values; the layout
// table (ui/layout.h) says where each one stands and how it looks.

// The labels keep the window's own names; the role names beside them say what
// each one shows, and are the ones the code uses.
enum class Label {
  kLabel1,
  kLabel2,
  kLabel3,
  kLabel4,
  kCount,
  kFileName = kLabel1,      // the chosen image's path
  kRevision = kLabel2,      // the unit's firmware revision
  kStatus = kLabel3,        // the download's status line
  kCommsHeading = kLabel4,  // the heading over the communications window
};
enum class TextArea { kDebugBox, kTbx4Reply, kCount };
enum class Button { kDload_TBX4, kSetFname, kGetRev, kCount };

// The port items carry their port number as their value, so that Com N is
// MenuItem(N); the option comes after them.
enum class MenuItem {
  kSetcomm1 = 1,
  kSetcomm2,
  kSetcomm3,
  kSetcomm4,
  kSetcomm5,
  kSetcomm6,
  kSetcomm7,
  kSetcomm8,
  kSetcomm9,
  kSetcomm10,
  kTBX4_Ack,
  kAssignDevices,  // which device each port stands for
  kEnd,            // one past the last item
};

enum class Icon { kNone, kExclamation };

// Colour in 0x00BBGGRR form.
using Color = std::uint32_t;

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 10;

static_assert(static_cast<int>(MenuItem::kSetcomm1) == kFirstPort,
              "Com N must be MenuItem(N): the port menu converts between them");
static_assert(static_cast<int>(MenuItem::kSetcomm10) == kLastPort,
              "every port of the menu needs an item, and no more");

constexpr MenuItem PortItem(int port) {
  return static_cast<MenuItem>(port);
}

constexpr bool IsPortItem(MenuItem item) {
  return item >= MenuItem::kSetcomm1 && item <= MenuItem::kSetcomm10;
}

// For tables indexed by a control's value.
template <typename Enum>
constexpr std::size_t Index(Enum value) {
  return static_cast<std::size_t>(value);
}

template <typename Enum>
constexpr std::size_t CountOf() {
  return static_cast<std::size_t>(Enum::kCount);
}

inline constexpr std::size_t kMenuItemSlots = static_cast<std::size_t>(MenuItem::kEnd);
