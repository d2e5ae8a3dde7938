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
// Forms of the other labels (forms_labels.cpp).
std::optional<Decoding> EventReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightHeader(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> WaypointReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> PosWaypointReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> Squitter(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> AtisRequest(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightPhaseChange(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FleetStatus(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DoorEvent(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> TaggedReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteHeading(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> FlightStatusReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> RouteWeatherReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DepartureTimes(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> DecimalPositionReport(const Message& message, const reference::ReferenceTables& tables);
std::optional<Decoding> ShortRouteMessage(const Message& message, const reference::ReferenceTables& tables);
// ADS-C and CPDLC carried as text (any label, with or without a terminal
// prefix), their checksum verified.
std::optional<Decoding> Arinc622Report(const Message& message, const reference::ReferenceTables& tables);

}  // namespace corvane::readable
