// The message forms Decode knows, one function each: the form's decoding,
// or nothing when the text is not in that form.
#pragma once

#include <optional>

#include "readable/builder.h"

namespace corvane::readable {

std::optional<Decoding> MediaAdvisory(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionCsvDecimal(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionWithDestination(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionDegreesMinutesSeconds(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionAltitudeTimeTail(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AirlineReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightEvent(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightMonitor(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RoutePositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> BracketPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AltitudeThenPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> LoadOrSlashPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TerminalPositionReport(const Message& message, const reference::ReferenceTables& tables);
// The other terminal (H1) forms: data feeds, flight plans, progress reports...
std::optional<Decoding> TerminalReport(const Message& message, const reference::ReferenceTables& tables);
// A numbered route record (forms_numbered.cpp) and a position with its
// estimate and route (forms_position.cpp).
std::optional<Decoding> RouteDataRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionEtaRoute(const Message& message, const reference::ReferenceTables& tables);
// Event reports, flight headers and other event messages of the other labels (forms_labels_events.cpp).
std::optional<Decoding> EventReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightHeader(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightPhaseChange(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FleetStatus(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DoorEvent(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ShortRouteMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> StationMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteLeadReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DatedFlightLines(const Message& message, const reference::ReferenceTables& tables);
// Position reports of the other labels (forms_labels_positions.cpp).
std::optional<Decoding> WaypointReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PosWaypointReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightStatusReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DecimalPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AutoPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> HundredthsPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TimedPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ShortPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PositionAndTime(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DatedPositionRecord(const Message& message, const reference::ReferenceTables& tables);
// Tagged reports of the other labels (forms_labels_tagged.cpp).
std::optional<Decoding> TaggedReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TaggedLines(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DepartureTimes(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightLog(const Message& message, const reference::ReferenceTables& tables);
// Route and flight records of the other labels (forms_labels_routes.cpp).
std::optional<Decoding> Squitter(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AtisRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteHeading(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteWeatherReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightRouteRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightRouteLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TopOfClimbOrDescent(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> Loadsheet(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteRegistrationLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DispatchRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightCityPair(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightDateRoute(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteDateRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteUpload(const Message& message, const reference::ReferenceTables& tables);
// A compressed message (MIAM frame, label MA; OHMA, label H1), inflated and
// checked, its inner message decoded as any other (forms_compressed.cpp).
std::optional<Decoding> CompressedMessage(const Message& message, const reference::ReferenceTables& tables);
// ADS-C and CPDLC carried as text (any label, with or without a terminal
// prefix), their checksum verified.
std::optional<Decoding> Arinc622Report(const Message& message, const reference::ReferenceTables& tables);
// Route-and-time records (forms_route_time.cpp).
std::optional<Decoding> RouteTimeRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> OffRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> EstimatedArrivalItems(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> CodedFreeText(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> WeatherReply(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DispatchReply(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PostFlightSummary(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ChimesRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> NumberedRouteRecord(const Message& message, const reference::ReferenceTables& tables);
// Forms of labels 2x to 8x (forms_labels_two.cpp).
std::optional<Decoding> MissionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightStatusLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightEstimateLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FuelDestinationReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> CodedStationMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FreeTextLines(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> CabinDefectReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> WeatherPositionRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightDateRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DispatchLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightDayRoute(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DepartureClearance(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> LoadCloseout(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightWeatherRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> WeatherPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> CommaPositionLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> SlashAltitudePosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> OffReportLines(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> InRangeLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> SlashFlightPosition(const Message& message, const reference::ReferenceTables& tables);
// More terminal forms and the frequency change (forms_terminal_more.cpp).
std::optional<Decoding> FlightManagementExchange(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TerminalPositionVariant(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> IcaoAtsMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RealTimeEffectsReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FacilitiesNotification(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FrequencyChange(const Message& message, const reference::ReferenceTables& tables);

// Forms of the labels 10 to 1Z (forms_labels_one.cpp).
std::optional<Decoding> InRangeArrival(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightDateSlashRoute(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> OooiRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TimedPositionLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DatedFlightPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ArrivalGateRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightStationNote(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> NumberedPoints(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DatedAirlineRecord(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteEstimate(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PhaseChangePosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> NumberedRoutePosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightTimesRegistration(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> LoadsheetReceived(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlaggedFreeText(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteFrequency(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DatedRouteFlightRegistration(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> BracketedDatedText(const Message& message, const reference::ReferenceTables& tables);

// Forms as other links and regions deliver them (forms_regions.cpp).
// A terminal (H1) message behind its prefix ("#M1B", "- #M1", either with a
// message function identifier "/B6 "): the text behind it, with the
// sublabel the prefix names when the message has none; nothing without one.
std::optional<Message> BehindTerminalPrefix(const Message& message);
std::optional<Decoding> UndeliveredUplink(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AfnContact(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AirportWeatherRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteRecordWithPosition(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> MaintenanceFlightReport(const Message& message, const reference::ReferenceTables& tables);

// ATS clearances and their requests, ground office messages, checked free
// text and brake events (forms_more.cpp).
std::optional<Decoding> AtsMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> GroundOfficeMessage(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PrinterUplink(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> CheckedFreeText(const Message& message, const reference::ReferenceTables& tables);
// The facilities notification as label A0 carries it, its line break dropped.
std::optional<Decoding> FacilitiesNotificationLine(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> BareAtisRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AtisDelivery(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> WeatherReports(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TripRoute(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ZeroFuelLoadsheet(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PredictedWinds(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> MaintenanceReportHeading(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> GateAssignmentRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> BrakeEvent(const Message& message, const reference::ReferenceTables& tables);

}  // namespace corvane::readable
