// Which forms a label's messages come in, tried in order.
#include "readable/readable.h"

#include <array>

#include "readable/forms.h"

namespace corvane::readable {

namespace {

using Form = std::optional<Decoding> (*)(const Message&, const reference::ReferenceTables&);

struct LabelForms {
  std::string_view label;
  std::array<Form, 3> forms;
};

constexpr std::array<LabelForms, 13> kForms = {{
    {"44", {FlightEvent, nullptr}},
    {"2P", {FlightMonitor, nullptr}},
    {"83", {RoutePositionReport, nullptr}},
    {"15", {BracketPosition, nullptr}},
    {"4A", {AltitudeThenPosition, nullptr}},
    {"10", {LoadOrSlashPosition, nullptr}},
    {"SA", {MediaAdvisory, nullptr}},
    {"80", {AirlineReport, nullptr}},
    {"H1", {TerminalPositionReport, TerminalReport}},
    {"12", {PositionAltitudeTimeTail, nullptr}},
    {"16", {PositionCsvDecimal, nullptr}},
    {"21", {PositionWithDestination, nullptr}},
    {"22", {PositionDegreesMinutesSeconds, nullptr}},
}};

}  // namespace

std::optional<Decoding> Decode(const Message& message, const reference::ReferenceTables& tables) {
  // The ADS-C and CPDLC envelope says what it is whatever the label.
  if (auto decoding = Arinc622Report(message, tables)) {
    return decoding;
  }
  for (const LabelForms& entry : kForms) {
    if (entry.label != message.label) {
      continue;
    }
    for (const Form form : entry.forms) {
      if (form == nullptr) {
        break;
      }
      if (auto decoding = form(message, tables)) {
        return decoding;
      }
    }
  }
  return std::nullopt;
}

}  // namespace corvane::readable
