// Names and fixed captions of the message area's widgets.
#include "decoding/panel_state.h"

namespace corvane::decoding {

namespace {

constexpr std::array<std::string_view, kPanelCount> kPanelNames = {"fPXX", "fETA", "fREL", "fMTR", "fWXR",
                                                                   "fINF", "fPQS", "fPB9", "fMSG"};

constexpr std::array<std::string_view, kValueCount> kValueNames = {
    "vVER_1", "vSCH_0", "vSCH_1", "vSCH_2", "vSCH_3", "vETA_1", "vETA_2", "vREL_1",
    "vREL_2", "vREL_3", "vMTR_1", "vMTR_2", "vMTR_3", "vWXR_1", "vWXR_2", "vWXR_3",
    "vWXR_4", "vSQT_1", "vSQT_2", "vSQT_3", "vSQT_4", "vSQT_5", "vATIS_1"};

// The schedule's flight row hides together with the SCH heading, which stands
// on the same line as the flight value.
constexpr std::array<std::string_view, kRowCount> kRowValueNames = {"vSCH_0", "vMTR_3", "vWXR_3", "vWXR_4", "vSQT_5"};
constexpr std::array<std::string_view, kRowCount> kRowCaptionNames = {"lSCH_0", "lMTR_3", "lWXR_3", "lWXR_4", "lSQT_5"};

const std::array<CaptionLabel, 31> kCaptionLabels = {{
    {"lVer_0", "VER", Panel::fPXX},    {"lVer_1", "Plane", Panel::fPXX},     {"lVer_2", "Flight", Panel::fPXX},
    {"lSCH_0", "SCH", Panel::fPXX},    {"lSCH_1", "Departure", Panel::fPXX}, {"lSCH_2", "From", Panel::fPXX},
    {"lSCH_3", "To", Panel::fPXX},     {"lETA_0", "ETA", Panel::fETA},       {"lETA_1", "Arrival", Panel::fETA},
    {"lETA_2", "Runway", Panel::fETA}, {"lREL_0", "REL", Panel::fREL},       {"lREL_1", "Release", Panel::fREL},
    {"lREL_2", "From", Panel::fREL},   {"lREL_3", "To", Panel::fREL},        {"lMTR_0", "MTR", Panel::fMTR},
    {"lMTR_1", "At", Panel::fMTR},     {"lMTR_2", "Airp1", Panel::fMTR},     {"lMTR_3", "Airp2", Panel::fMTR},
    {"lWXR_0", "WXR", Panel::fWXR},    {"lWXR_1", "Mode", Panel::fWXR},      {"lWXR_2", "Airp1", Panel::fWXR},
    {"lWXR_3", "Airp2", Panel::fWXR},  {"lWXR_4", "Airp3", Panel::fWXR},     {"lSQT_0", "SQUITTER", Panel::fPQS},
    {"lSQT_1", "Code", Panel::fPQS},   {"lSQT_2", "From", Panel::fPQS},      {"lSQT_3", "Lat.", Panel::fPQS},
    {"lSQT_4", "Lon.", Panel::fPQS},   {"lSQT_5", "Freq.", Panel::fPQS},     {"lATIS_0", "ATIS", Panel::fPB9},
    {"lATIS_1", "Req.", Panel::fPB9},
}};

constexpr std::array<Panel, kValueCount> kValuePanels = {
    Panel::fPXX, Panel::fPXX, Panel::fPXX, Panel::fPXX, Panel::fPXX, Panel::fETA, Panel::fETA, Panel::fREL,
    Panel::fREL, Panel::fREL, Panel::fMTR, Panel::fMTR, Panel::fMTR, Panel::fWXR, Panel::fWXR, Panel::fWXR,
    Panel::fWXR, Panel::fPQS, Panel::fPQS, Panel::fPQS, Panel::fPQS, Panel::fPQS, Panel::fPB9};

constexpr std::array<Panel, kRowCount> kRowPanels = {Panel::fPXX, Panel::fMTR, Panel::fWXR, Panel::fWXR, Panel::fPQS};

}  // namespace

Panel PanelOf(Value value) { return kValuePanels[static_cast<std::size_t>(value)]; }
Panel PanelOf(Row row) { return kRowPanels[static_cast<std::size_t>(row)]; }

std::string_view PanelName(Panel panel) { return kPanelNames[static_cast<std::size_t>(panel)]; }
std::string_view ValueName(Value value) { return kValueNames[static_cast<std::size_t>(value)]; }
std::string_view RowValueName(Row row) { return kRowValueNames[static_cast<std::size_t>(row)]; }
std::string_view RowCaptionName(Row row) { return kRowCaptionNames[static_cast<std::size_t>(row)]; }
const std::array<CaptionLabel, 31>& CaptionLabels() { return kCaptionLabels; }

}  // namespace corvane::decoding
