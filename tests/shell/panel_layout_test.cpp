// The message panels' layout, in twips: for frames of different sizes the
// panels start under the separator, meet without gap or overlap, and the
// text panels end where the base frame ends.
#include "shell/panel_layout.h"

#include <gtest/gtest.h>

namespace corvane::shell {
namespace {

TEST(PanelLayout, PanelsLieUnderTheSeparatorMeetAndEndWithTheBaseFrame) {
  struct Frame {
    int top, height, separator, pxxHeight;
  };
  for (const Frame f : {Frame{120, 4950, 780, 1650}, Frame{0, 9000, 1500, 1200}, Frame{615, 3015, 450, 2100}}) {
    const PanelLayout layout = LayOutPanels(f.top, f.height, f.separator, f.pxxHeight);
    const int separator = f.top + f.separator;
    const int bottom = f.top + f.height;
    // Just under the separator line: within one pixel of it, never over it.
    for (const int top : {layout.pxx.top, layout.topPanels.top}) {
      EXPECT_GT(top, separator) << f.height;
      EXPECT_LT(top - separator, kTwipsPerPixel) << f.height;
    }
    EXPECT_EQ(layout.msg.top, separator) << f.height;
    // The panels under fPXX start where it ends.
    EXPECT_EQ(layout.lower.top, layout.pxx.top + f.pxxHeight) << f.height;
    EXPECT_EQ(layout.inf.top, layout.pxx.top + f.pxxHeight) << f.height;
    EXPECT_EQ(layout.inf.top + layout.inf.height, bottom) << f.height;
    EXPECT_EQ(layout.msg.top + layout.msg.height, bottom) << f.height;
  }
  for (const int pixels : {0, 1, 37, 1920}) {
    EXPECT_EQ(ToPixels(ToTwips(pixels)), pixels);
    EXPECT_EQ(ToPixels(ToTwips(pixels) + kTwipsPerPixel - 1), pixels);
  }
  EXPECT_EQ(ToTwips(1), 15);
}

}  // namespace
}  // namespace corvane::shell
