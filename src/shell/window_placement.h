// Where a window opens beside another: to its right when it fits on the
// screen's available area, else to its left, and always kept inside that
// area, so that a window opened from one screen never lands off its edge.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace corvane::shell {

// The gap between the anchor's frame and the window placed beside it.
inline constexpr int kBesideGap = 2;

// The frame rectangle for a window of `size` beside `anchor` (a frame
// rectangle), within `available` (the anchor's screen, without panels).
QRect PlaceBeside(const QRect& anchor, const QSize& size, const QRect& available);

// Moves and sizes `window` beside `anchor` on the anchor's screen.
void MoveBeside(QWidget& window, const QWidget& anchor);

}  // namespace corvane::shell
