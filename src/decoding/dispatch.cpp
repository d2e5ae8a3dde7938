// Choosing the decoder of a message by its label.
#include <algorithm>
#include <array>

#include "decoding/decoders.h"

namespace corvane::decoding {

namespace {

constexpr std::string_view kAtisRequestLabel = "B9";
constexpr std::string_view kSquitterLabel = "SQ";
constexpr std::array<std::string_view, 16> kFlightDataLabels = {"23", "26", "2A", "2T", "30", "31", "41", "42",
                                                                "43", "44", "46", "47", "4H", "4G", "5U", "80"};

bool IsFlightDataLabel(std::string_view label) {
  return std::find(kFlightDataLabels.begin(), kFlightDataLabels.end(), label) != kFlightDataLabels.end();
}

}  // namespace

bool HasDecoder(std::string_view label) {
  return label == kAtisRequestLabel || label == kSquitterLabel || IsFlightDataLabel(label);
}

void DispatchLabel(std::string_view label, std::string_view text, bool show, DecoderOutput& out) {
  // The captions are cleared with the panels so that a panel shown again by a
  // message that fills only part of it (a VER line without SCH) never shows
  // values left over from an earlier message.
  if (show) {
    out.panels.visible.fill(false);
    for (std::string& caption : out.panels.captions) {
      caption.clear();
    }
  }
  out.DecodedBlock.clear();

  bool handled = false;
  if (label == kAtisRequestLabel) {
    handled = DecodeAtisRequest(label, text, show, out);
  } else if (label == kSquitterLabel) {
    handled = DecodeSquitter(label, text, show, out);
  } else if (IsFlightDataLabel(label)) {
    handled = DecodeFlightData(label, text, show, out);
  }

  if (show && !handled && !text.empty()) {
    out.panels.msgText.assign(text);
    out.panels.Visible(Panel::fMSG) = true;
  }
}

}  // namespace corvane::decoding
