// Tests of the message panels' layout arithmetic, in twips.
#include "shell/panel_layout.h"

#include <gtest/gtest.h>

namespace corvane::shell {
namespace {

TEST(PanelLayout, PanelsLieUnderTheSeparatorAndFillTheBaseFrame) {
  // Base frame from 120 to 5070 twips, separator 780 twips down, VER/SCH
  // panel 1650 twips high.
  const PanelLayout layout = LayOutPanels(120, 4950, 780, 1650);
  EXPECT_EQ(layout.pxx.top, 120 + 780 + 3);
  EXPECT_EQ(layout.lower.top, 903 + 1650);
  EXPECT_EQ(layout.inf.top, 903 + 1650);
  EXPECT_EQ(layout.inf.height, (120 + 4950) - (903 + 1650));
  EXPECT_EQ(layout.topPanels.top, 903);
  EXPECT_EQ(layout.msg.top, 900);
  EXPECT_EQ(layout.msg.height, 4950 - 780);
  // The text panel under fPXX ends exactly where the base frame ends.
  EXPECT_EQ(layout.inf.top + layout.inf.height, 120 + 4950);
  EXPECT_EQ(ToPixels(ToTwips(37)), 37);
  EXPECT_EQ(ToPixels(14), 0);
}

}  // namespace
}  // namespace corvane::shell
