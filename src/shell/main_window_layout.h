// The main window's layout, in pixels, named so that positions are worked
// out from each other and cannot drift apart.
#pragma once

#include <QRect>

namespace corvane::shell::layout {

// Window layout in pixels: the base frame with the aircraft list beside it,
// the buttons under both, a margin around and between everything.
inline constexpr int kMargin = 8;
inline constexpr QRect kBaseFrame{kMargin, kMargin, 470, 330};
inline constexpr int kSeparator = 52;
inline constexpr int kListWidth = 166;
inline constexpr QRect kPlanes{kBaseFrame.right() + 1 + kMargin, kMargin, kListWidth, kBaseFrame.height()};
inline constexpr int kWindowWidth = kPlanes.right() + 1 + kMargin;
inline constexpr int kButtonTop = kBaseFrame.bottom() + 1 + kMargin;
inline constexpr int kButtonHeight = 28;
inline constexpr int kWindowHeight = kButtonTop + kButtonHeight + 10;
inline constexpr int kButtonWidth = 80;
inline constexpr int kCancelLeft = kWindowWidth - kMargin - kButtonWidth;
inline constexpr int kConfigLeft = kCancelLeft - kMargin - kButtonWidth;
// Without the aircraft list the window loses the list and the margin before it.
inline constexpr int kNarrowing = kListWidth + kMargin;
static_assert(kWindowWidth == 660 && kWindowHeight == 384 && kPlanes.left() == 486);

}  // namespace corvane::shell::layout
