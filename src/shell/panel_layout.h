// Where the message panels go, in twips: every panel lies over the base
// frame, under its separator line. Kept apart from the widgets so that the
// arithmetic is checked on its own.
#pragma once

namespace corvane::shell {

// 15 twips make one pixel.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int ToPixels(int twips) { return twips / kTwipsPerPixel; }
inline constexpr int ToTwips(int pixels) { return pixels * kTwipsPerPixel; }

struct PanelGeometry {
  int top = 0;
  int height = 0;  // 0: the panel keeps its own height
};

struct PanelLayout {
  PanelGeometry pxx;        // VER and SCH
  PanelGeometry lower;      // ETA, REL, MTR and WXR, under fPXX
  PanelGeometry inf;        // fills the rest of the base frame
  PanelGeometry topPanels;  // ATIS request and squitter
  PanelGeometry msg;        // the raw text, from the separator down
};

// baseTop/baseHeight: the base frame; separator: the separator line's
// position inside it; pxxHeight: the VER/SCH panel's own height.
PanelLayout LayOutPanels(int baseTop, int baseHeight, int separator, int pxxHeight);

}  // namespace corvane::shell
