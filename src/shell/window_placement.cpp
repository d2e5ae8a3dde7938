// Placing a window beside another within the anchor's screen.
#include "shell/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvane::shell {

namespace {

int ClampInto(int start, int length, int low, int high) {
  return length >= high - low ? low : std::clamp(start, low, high - length);
}

}  // namespace

QRect PlaceBeside(const QRect& anchor, const QSize& size, const QRect& available) {
  const int width = std::min(size.width(), available.width());
  const int height = std::min(size.height(), available.height());
  int left = anchor.right() + 1 + kBesideGap;
  if (left + width > available.right() + 1) {
    const int onTheLeft = anchor.left() - kBesideGap - width;
    left = onTheLeft >= available.left() ? onTheLeft : left;
  }
  left = ClampInto(left, width, available.left(), available.right() + 1);
  const int top = ClampInto(anchor.top(), height, available.top(), available.bottom() + 1);
  return {left, top, width, height};
}

// The frame's decorations are kept out of the size handed to resize().
void MoveBeside(QWidget& window, const QWidget& anchor) {
  const QScreen* screen = anchor.screen();
  if (screen == nullptr) {
    return;
  }
  const QSize decorations = window.frameGeometry().size() - window.geometry().size();
  const QRect frame = PlaceBeside(anchor.frameGeometry(), window.size() + decorations, screen->availableGeometry());
  window.resize(frame.size() - decorations);
  window.move(frame.topLeft());
}

}  // namespace corvane::shell
