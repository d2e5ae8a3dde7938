// The message area as data: which panels are visible, the captions of their
// value labels, which optional rows are shown, and the texts of the two text
// panels. The decoders write it; the main window renders it onto its widgets.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::decoding {

// Panels of the message area, in the order in which they are hidden.
enum class Panel : std::size_t { fPXX, fETA, fREL, fMTR, fWXR, fINF, fPQS, fPB9, fMSG, Count };

// The value labels the decoders set, named like their widgets ("vSCH_0" is
// element 0 of the vSCH control array).
enum class Value : std::size_t {
  vVER_1,
  vSCH_0,
  vSCH_1,
  vSCH_2,
  vSCH_3,
  vETA_1,
  vETA_2,
  vREL_1,
  vREL_2,
  vREL_3,
  vMTR_1,
  vMTR_2,
  vMTR_3,
  vWXR_1,
  vWXR_2,
  vWXR_3,
  vWXR_4,
  vSQT_1,
  vSQT_2,
  vSQT_3,
  vSQT_4,
  vSQT_5,
  vATIS_1,
  Count
};

// Rows that a decoder hides or shows as a whole: each is a value label and
// a caption label that change visibility together.
enum class Row : std::size_t { SCH0, MTR3, WXR3, WXR4, SQT5, Count };

inline constexpr std::size_t kPanelCount = static_cast<std::size_t>(Panel::Count);
inline constexpr std::size_t kValueCount = static_cast<std::size_t>(Value::Count);
inline constexpr std::size_t kRowCount = static_cast<std::size_t>(Row::Count);

struct PanelState {
  std::array<bool, kPanelCount> visible{};          // all hidden at start
  std::array<std::string, kValueCount> captions{};  // all empty at start
  std::array<bool, kRowCount> rowVisible{true, true, true, true, true};
  std::string infText;  // text of fINF
  std::string msgText;  // text of fMSG

  bool& Visible(Panel panel) { return visible[static_cast<std::size_t>(panel)]; }
  [[nodiscard]] bool Visible(Panel panel) const { return visible[static_cast<std::size_t>(panel)]; }
  std::string& Caption(Value value) { return captions[static_cast<std::size_t>(value)]; }
  [[nodiscard]] const std::string& Caption(Value value) const { return captions[static_cast<std::size_t>(value)]; }
  bool& RowVisible(Row row) { return rowVisible[static_cast<std::size_t>(row)]; }
  [[nodiscard]] bool RowVisible(Row row) const { return rowVisible[static_cast<std::size_t>(row)]; }

  bool operator==(const PanelState&) const = default;
};

// The panel a value label or an optional row belongs to.
Panel PanelOf(Value value);
Panel PanelOf(Row row);

// Widget object names.
std::string_view PanelName(Panel panel);
std::string_view ValueName(Value value);
// The value label and the caption label of an optional row.
std::string_view RowValueName(Row row);
std::string_view RowCaptionName(Row row);

// A caption label of the message area with its fixed text.
struct CaptionLabel {
  std::string_view objectName;  // e.g. "lSCH_1"
  std::string_view text;        // e.g. "Departure"
  Panel panel;
};

// Every caption label of the decoder panels, headings (index 0) included.
const std::array<CaptionLabel, 31>& CaptionLabels();

}  // namespace corvane::decoding
