// Writing the history window's lines from an aircraft's stored day.
#include "shell/plane_history.h"

#include "readable/message_json.h"

namespace corvane::shell {

namespace {

// "261210 012640.993: AA2635  label H1  Position report"
std::string HeadingLine(const store::HistoryRow& row, const reference::ReferenceTables& tables) {
  std::string line = row.date + " " + row.hour + ": " + row.flight;
  std::string label = row.label;
  while (!label.empty() && label.back() == ' ') {
    label.pop_back();
  }
  line += "  label " + (label.empty() ? std::string("?") : label);
  if (row.data.empty()) {
    return line + "  (no text)\r\n";
  }
  if (const auto decoding = readable::DecodeStamped(row.label, row.mode, row.data, row.date, row.hour, tables)) {
    line += "  ";
    line += decoding->title;
  }
  return line + "\r\n";
}

}  // namespace

std::string HistoryText(const std::vector<store::HistoryRow>& rows, const reference::ReferenceTables& tables) {
  std::string text;
  for (const store::HistoryRow& row : rows) {
    text += HeadingLine(row, tables);
    text += row.data;
    text += "--\r\n";
  }
  return text;
}

}  // namespace corvane::shell
