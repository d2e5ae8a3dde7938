// The label dispatch and the three label decoders. Each decoder appends its
// readable lines (each ending in CR LF) to the decoded block and, when the
// message is the one on display, fills its panels in the panel state.
#pragma once

#include <string>
#include <string_view>

#include "decoding/panel_state.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::decoding {

// Where the decoders write: the decoded block, the panel state, and the
// tables they explain airport codes with.
struct DecoderOutput {
  std::string& DecodedBlock;
  PanelState& panels;
  const reference::ReferenceTables& tables;
};

// Hides every panel and clears its captions when show is set, empties the
// decoded block, runs the
// decoder of the label if there is one and, for a shown message that no
// decoder presented, puts its text into fMSG.
void DispatchLabel(std::string_view label, std::string_view text, bool show, DecoderOutput& out);

// True when the label has a decoder of its own.
bool HasDecoder(std::string_view label);

// Flight-data sub-messages (VER, SCH, ETA, REL, MTR, WXR lines). True when at
// least one sub-message was accepted.
bool DecodeFlightData(std::string_view label, std::string_view text, bool show, DecoderOutput& out);

// Squitter text: code, origin, position and frequency. Always true.
bool DecodeSquitter(std::string_view label, std::string_view text, bool show, DecoderOutput& out);

// ATIS request: the airport asked about. Always true.
bool DecodeAtisRequest(std::string_view label, std::string_view text, bool show, DecoderOutput& out);

}  // namespace corvane::decoding
