// The window's layout at the resolutions a bench PC runs at: what the
// backends place from the table stands clear of its neighbours and reaches
// the window's foot, whatever the rounding to whole pixels does.
#include <gtest/gtest.h>

#include <string_view>

#include "ui/layout.h"

namespace {

struct Pixels {
  int top;
  int bottom;  // the first row below
};

Pixels Rows(const ui::TwipsRect& rect, int dpi) {
  const int top = ui::TwipsToPixels(rect.top, dpi);
  return {top, top + ui::TwipsToPixels(rect.height, dpi)};
}

Pixels RowsOf(const char* name, int dpi) {
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (std::string_view(entry.name) == name) {
      return Rows(entry.rect, dpi);
    }
  }
  ADD_FAILURE() << "no control " << name;
  return {0, 0};
}

constexpr int kDpis[] = {96, 120, 144, 168, 192};

TEST(Layout, TheProgressBandStandsClearOfTheRevisionRowAndTheHeading) {
  for (const int dpi : kDpis) {
    const Pixels bar = Rows(ui::kProgressBarRect, dpi);
    const Pixels text = Rows(ui::kProgressTextRect, dpi);
    const Pixels button = RowsOf("GetRev", dpi);
    const Pixels heading = RowsOf("Label4", dpi);
    EXPECT_GE(bar.top - button.bottom, 2) << dpi << " dpi";
    EXPECT_GE(heading.top - bar.bottom, 2) << dpi << " dpi";
    EXPECT_LE(text.bottom, heading.top) << dpi << " dpi";
    EXPECT_GE(text.top, button.top) << dpi << " dpi";
  }
}

TEST(Layout, TheSentCommandLogRunsDownToTheWindowsFoot) {
  for (const int dpi : kDpis) {
    EXPECT_EQ(RowsOf("tbx4reply", dpi).bottom, ui::TwipsToPixels(ui::kClientHeightTwips, dpi))
        << dpi << " dpi";
    EXPECT_LE(RowsOf("debug_box", dpi).bottom, RowsOf("tbx4reply", dpi).top) << dpi << " dpi";
  }
}

}  // namespace
