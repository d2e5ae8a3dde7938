// Which forms a label's messages come in, tried in order.
#include "readable/readable.h"

#include <algorithm>
#include <array>

#include "readable/forms.h"

namespace corvane::readable {

namespace {

using Form = std::optional<Decoding> (*)(const Message&, const reference::ReferenceTables&);

struct LabelForms {
  std::string_view label;
  std::array<Form, 14> forms;
};

constexpr std::array<LabelForms, 109> kForms = {{
    {"44", {FlightEvent, FuelDestinationReport, nullptr}},
    {"2P", {FlightMonitor, MissionReport, nullptr}},
    {"83", {RoutePositionReport, TimedPositionReport, RouteRegistrationLine, nullptr}},
    {"15", {BracketPosition, EventReport, FlightStatusReport, nullptr}},
    {"4A", {AltitudeThenPosition, WaypointReport, FlightPhaseChange, FleetStatus, DoorEvent, DispatchLine, nullptr}},
    {"10", {LoadOrSlashPosition, TimedPositionLine, TaggedReport, DatedAirlineRecord, nullptr}},
    {"SA", {MediaAdvisory, nullptr}},
    {"80", {AirlineReport, MissionReport, FuelDestinationReport, CommaPositionLine, nullptr}},
    {"H1",
     {TerminalPositionReport, TerminalReport, FlightManagementExchange, TerminalPositionVariant, AtisRequest,
      IcaoAtsMessage, RealTimeEffectsReport, FacilitiesNotification, MaintenanceFlightReport, CheckedFreeText,
      TripRoute, ZeroFuelLoadsheet, PredictedWinds, MaintenanceReportHeading}},
    {"12", {PositionAltitudeTimeTail, FlightHeader, PositionEtaRoute, RouteDateRecord, nullptr}},
    {"16",
     {PositionCsvDecimal, EventReport, FlightHeader, PosWaypointReport, DecimalPositionReport, AutoPositionReport,
      BracketPosition, NumberedPoints}},
    {"21", {PositionWithDestination, nullptr}},
    {"22", {PositionDegreesMinutesSeconds, FlightHeader, OffReportLines, nullptr}},
    {"5Z",
     {EventReport, ShortRouteMessage, CodedStationMessage, FreeTextLines, InRangeLine, GateAssignmentRequest, nullptr}},
    {"13", {EventReport, RouteDateRecord, ArrivalGateRequest, DatedAirlineRecord, nullptr}},
    {"14", {EventReport, FlightHeader, StationMessage, BracketPosition, BracketedDatedText, CheckedFreeText, nullptr}},
    {"17", {EventReport, DatedAirlineRecord, RouteEstimate, FlightPhaseChange, TimedPositionLine, nullptr}},
    {"18", {EventReport, DepartureTimes, DatedFlightPosition, DecimalPositionReport, nullptr}},
    {"19", {EventReport, DepartureTimes, OooiRecord, PhaseChangePosition, nullptr}},
    {"1E", {EventReport, nullptr}},
    {"1R", {EventReport, FlightDateSlashRoute, nullptr}},
    {"2R", {EventReport, nullptr}},
    {"37", {FlightHeader, RouteHeading, nullptr}},
    {"39", {FlightHeader, RouteHeading, nullptr}},
    {"2N", {FlightHeader, FlightDayRoute, nullptr}},
    {"3A", {FlightHeader, nullptr}},
    {"23", {FlightHeader, BrakeEvent, nullptr}},
    {"25", {FlightHeader, RouteHeading, nullptr}},
    {"26", {FlightHeader, nullptr}},
    {"27", {FlightHeader, RouteHeading, nullptr}},
    {"29", {FlightHeader, DispatchRecord, nullptr}},
    {"11", {FlightHeader, InRangeArrival, TaggedReport, TaggedLines, DatedAirlineRecord, LoadsheetReceived, nullptr}},
    {"1M", {FlightHeader, FlightDateSlashRoute, nullptr}},
    {"2A", {FlightHeader, MissionReport, nullptr}},
    {"20", {PosWaypointReport, FlightRouteRecord, nullptr}},
    {"SQ", {Squitter, nullptr}},
    {"B9", {AtisRequest, BareAtisRequest, nullptr}},
    {"1L", {TaggedReport, FlightStationNote, NumberedRoutePosition, DatedRouteFlightRegistration, nullptr}},
    {"24", {RouteHeading, SlashAltitudePosition, nullptr}},
    {"4N", {RouteHeading, RouteDataRecord, nullptr}},
    {"H2", {RouteWeatherReport, nullptr}},
    {"2B", {DepartureTimes, RouteHeading, nullptr}},
    {"30", {RouteHeading, EstimatedArrivalItems, nullptr}},
    {"4L", {RouteHeading, nullptr}},
    {"4H", {RouteHeading, nullptr}},
    {"1C", {RouteHeading, nullptr}},
    {"2G", {FlightLog, nullptr}},
    {"2O", {FlightRouteLine, nullptr}},
    {"2D", {TopOfClimbOrDescent, nullptr}},
    {"2L", {ShortPositionReport, DatedFlightLines, nullptr}},
    {"3L", {PositionAndTime, FlightCityPair, nullptr}},
    {"1W", {FlightDateRoute, FlaggedFreeText, nullptr}},
    {"36", {RouteDataRecord, WeatherPositionRecord, FlightHeader, nullptr}},
    {"3R", {TopOfClimbOrDescent, nullptr}},
    {"2H", {TopOfClimbOrDescent, nullptr}},
    {"2F", {HundredthsPosition, nullptr}},
    {"2U", {Loadsheet, nullptr}},
    {"QP", {RouteLeadReport, nullptr}},
    {"QQ", {RouteLeadReport, nullptr}},
    {"QR", {RouteLeadReport, nullptr}},
    {"QS", {RouteLeadReport, nullptr}},
    {"1G", {RouteDateRecord, nullptr}},
    {"1X", {TaggedReport, RouteFrequency, nullptr}},
    {"32", {DatedPositionRecord, RouteRecordWithPosition, nullptr}},
    {"1A", {RouteUpload, nullptr}},
    {"1B", {RouteUpload, DatedAirlineRecord, FlightTimesRegistration, nullptr}},
    {"2J", {RouteUpload, nullptr}},
    {"5U", {RouteRegistrationLine, CodedStationMessage, FlightWeatherRequest, AirportWeatherRequest, nullptr}},
    {"4J", {MissionReport, WeatherPositionReport, nullptr}},
    {"4T", {FlightStatusLine, FlightEstimateLine, nullptr}},
    {"2M", {CabinDefectReport, nullptr}},
    {"28", {FlightDateRecord, nullptr}},
    {"40", {DepartureClearance, LoadCloseout, nullptr}},
    {"58", {SlashFlightPosition, nullptr}},
    {"3B", {RouteTimeRecord, nullptr}},
    {"3C", {RouteTimeRecord, nullptr}},
    {"3E", {RouteTimeRecord, nullptr}},
    {"3F", {RouteTimeRecord, nullptr}},
    {"3G", {RouteTimeRecord, nullptr}},
    {"3I", {RouteTimeRecord, nullptr}},
    {"3J", {RouteTimeRecord, nullptr}},
    {"3K", {RouteTimeRecord, nullptr}},
    {"3M", {RouteTimeRecord, nullptr}},
    {"3S", {RouteTimeRecord, nullptr}},
    {"3U", {RouteTimeRecord, nullptr}},
    {"3W", {RouteTimeRecord, nullptr}},
    {"31", {OffRecord, nullptr}},
    {"3V", {CodedFreeText, nullptr}},
    {"3T", {WeatherReply, WeatherReports, nullptr}},
    {"3D", {DispatchReply, nullptr}},
    {"3H", {PostFlightSummary, nullptr}},
    {"3]", {ChimesRecord, nullptr}},
    {"33", {NumberedRouteRecord, nullptr}},
    {"34", {NumberedRouteRecord, nullptr}},
    {":;", {FrequencyChange, nullptr}},
    {"1P", {TimedPositionLine, PosWaypointReport, nullptr}},
    {"HX", {UndeliveredUplink, nullptr}},
    {"B0", {AfnContact, nullptr}},
    {"A1", {AtsMessage, nullptr}},
    {"A3", {AtsMessage, nullptr}},
    {"B1", {AtsMessage, nullptr}},
    {"B2", {AtsMessage, nullptr}},
    {"B3", {AtsMessage, nullptr}},
    {"B4", {AtsMessage, nullptr}},
    {"C1", {GroundOfficeMessage, nullptr}},
    {"1J", {CheckedFreeText, nullptr}},
    {"RA", {PrinterUplink, WeatherReports, nullptr}},
    {"A0", {FacilitiesNotificationLine, nullptr}},
    {"A9", {AtisDelivery, nullptr}},
}};

// Every label of the table has two characters; as a number they index the
// table's entries in sorted order, so a message finds its forms by a binary
// search over small integers instead of a scan of the table.
constexpr unsigned LabelKey(char first, char second) {
  return static_cast<unsigned>(static_cast<unsigned char>(first)) << 8 | static_cast<unsigned char>(second);
}

struct LabelIndexEntry {
  unsigned key;
  std::size_t entry;
};

constexpr std::array<LabelIndexEntry, kForms.size()> SortedLabelIndex() {
  std::array<LabelIndexEntry, kForms.size()> index{};
  for (std::size_t i = 0; i < kForms.size(); ++i) {
    index[i] = {LabelKey(kForms[i].label[0], kForms[i].label[1]), i};
  }
  std::sort(index.begin(), index.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
  return index;
}
constexpr std::array<LabelIndexEntry, kForms.size()> kLabelIndex = SortedLabelIndex();

const LabelForms* FormsOfLabel(std::string_view label) {
  if (label.size() != 2) {
    return nullptr;
  }
  const unsigned key = LabelKey(label[0], label[1]);
  // The last entry not above the key, halving without a branch (a select),
  // as labels come in no order a predictor could learn.
  const LabelIndexEntry* base = kLabelIndex.data();
  for (std::size_t length = kLabelIndex.size(); length > 1;) {
    const std::size_t half = length / 2;
    base = base[half].key <= key ? base + half : base;
    length -= half;
  }
  return base->key == key ? &kForms[base->entry] : nullptr;
}

std::optional<Decoding> FirstFormRead(const LabelForms& entry, const Message& message,
                                      const reference::ReferenceTables& tables) {
  for (const Form form : entry.forms) {
    if (form == nullptr) {
      break;
    }
    if (auto decoding = form(message, tables)) {
      return decoding;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Decoding> Decode(const Message& message, const reference::ReferenceTables& tables) {
  if (auto decoding = CompressedMessage(message, tables)) {
    return decoding;
  }
  // The ADS-C and CPDLC envelope says what it is whatever the label.
  if (auto decoding = Arinc622Report(message, tables)) {
    return decoding;
  }
  const LabelForms* entry = FormsOfLabel(message.label);
  if (entry == nullptr) {
    return std::nullopt;
  }
  if (auto decoding = FirstFormRead(*entry, message, tables)) {
    return decoding;
  }
  // A terminal message whose prefix the forms do not expect (an uplink's
  // "- #M1", a message function "#M1B/B6 "): the same forms read the text
  // behind it, as decoders that give the prefix apart deliver it.
  if (message.label == "H1") {
    if (const auto body = BehindTerminalPrefix(message)) {
      return FirstFormRead(*entry, *body, tables);
    }
  }
  return std::nullopt;
}

}  // namespace corvane::readable
