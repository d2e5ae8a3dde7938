// The kinds of readable decoding, each with its stable identifier (what
// other programs match on: snake_case, never changed once published) and
// its title (the words a person reads). This table is the only place either
// is written; the forms name a kind by its enumerator.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane::readable {

// X(enumerator, identifier, title)
#define CORVANE_READABLE_KINDS(X)                                                                    \
  X(kPositionReport, "position_report", "Position report")                                           \
  X(kMediaAdvisory, "media_advisory", "Media advisory")                                              \
  X(kCompressedMessage, "compressed_message", "Compressed message")                                  \
  X(kMiamAcknowledgement, "miam_acknowledgement", "MIAM acknowledgement")                            \
  X(kOnboardHealthMessage, "onboard_health_message", "Onboard health message (OHMA)")                \
  X(kOooiReport, "oooi_report", "Out/off/on/in report")                                              \
  X(kOutReport, "out_report", "Out report")                                                          \
  X(kOffReport, "off_report", "Off report")                                                          \
  X(kOnReport, "on_report", "On report")                                                             \
  X(kInReport, "in_report", "In report")                                                             \
  X(kOutOffTimes, "out_off_times", "Out/off times")                                                  \
  X(kFlightRoute, "flight_route", "Flight and route")                                                \
  X(kFlightTimes, "flight_times", "Flight times")                                                    \
  X(kFlightIdentification, "flight_identification", "Flight identification")                         \
  X(kRouteUpload, "route_upload", "Route upload")                                                    \
  X(kFlightPlan, "flight_plan", "Flight plan")                                                       \
  X(kFlightPhaseChange, "flight_phase_change", "Flight phase change")                                \
  X(kFlightDataReport, "flight_data_report", "Flight data report")                                   \
  X(kFlightLog, "flight_log", "Flight log")                                                          \
  X(kProgressReport, "progress_report", "Progress report")                                           \
  X(kTripReport, "trip_report", "Trip report")                                                       \
  X(kConditionReport, "condition_report", "Condition monitoring report")                             \
  X(kFaultReport, "fault_report", "Fault report")                                                    \
  X(kWarningReport, "warning_report", "Warning report")                                              \
  X(kTopOfClimbReport, "top_of_climb_report", "Top of climb report")                                 \
  X(kTopOfDescentReport, "top_of_descent_report", "Top of descent report")                           \
  X(kTakeoffReport, "takeoff_report", "Takeoff report")                                              \
  X(kInRangeReport, "in_range_report", "In range report")                                            \
  X(kOperationsNormal, "operations_normal", "Operations normal")                                     \
  X(kFuelReport, "fuel_report", "Fuel report")                                                       \
  X(kPostFlightReport, "post_flight_report", "Post-flight report")                                   \
  X(kResetReport, "reset_report", "Reset report")                                                    \
  X(kExpectedOnTime, "expected_on_time", "Expected on time")                                         \
  X(kEstimatedArrival, "estimated_arrival", "Estimated arrival")                                     \
  X(kWeatherRequest, "weather_request", "Weather request")                                           \
  X(kWeatherReport, "weather_report", "Weather report")                                              \
  X(kAtisRequest, "atis_request", "ATIS request")                                                    \
  X(kGateRequest, "gate_request", "Gate request")                                                    \
  X(kGateReturn, "gate_return", "Gate return")                                                       \
  X(kFlightProgressRequest, "flight_progress_request", "Flight progress request")                    \
  X(kLandingDataRequest, "landing_data_request", "Landing data request")                             \
  X(kTakeoffDataRequest, "takeoff_data_request", "Takeoff data request")                             \
  X(kDispatchMessage, "dispatch_message", "Dispatch message")                                        \
  X(kFreeText, "free_text", "Free text")                                                             \
  X(kAirlineMessage, "airline_message", "Airline message")                                           \
  X(kMaintenanceMessage, "maintenance_message", "Maintenance message")                               \
  X(kCrewMessageToStation, "crew_message_to_station", "Crew message to station")                     \
  X(kLoadsheet, "loadsheet", "Loadsheet")                                                            \
  X(kDepartureClearance, "departure_clearance", "Departure clearance")                               \
  X(kSquitter, "squitter", "Squitter")                                                               \
  X(kDoorOpened, "door_opened", "Door opened")                                                       \
  X(kDoorClosed, "door_closed", "Door closed")                                                       \
  X(kAdscReport, "adsc_report", "ADS-C report")                                                      \
  X(kAdscEmergencyReport, "adsc_emergency_report", "ADS-C emergency report")                         \
  X(kAdscEmergencyCancelled, "adsc_emergency_cancelled", "ADS-C emergency cancelled")                \
  X(kAdscNoncompliance, "adsc_noncompliance", "ADS-C noncompliance notification")                    \
  X(kAdscLateralDeviationEvent, "adsc_lateral_deviation_event", "ADS-C lateral deviation event")     \
  X(kAdscVerticalRateEvent, "adsc_vertical_rate_event", "ADS-C vertical rate change event")          \
  X(kAdscAltitudeRangeEvent, "adsc_altitude_range_event", "ADS-C altitude range event")              \
  X(kAdscWaypointChangeEvent, "adsc_waypoint_change_event", "ADS-C waypoint change event")           \
  X(kAdscAcknowledgement, "adsc_acknowledgement", "ADS-C acknowledgement")                           \
  X(kAdscNegativeAcknowledgement, "adsc_negative_acknowledgement", "ADS-C negative acknowledgement") \
  X(kAdscContractRequest, "adsc_contract_request", "ADS-C contract request")                         \
  X(kAdscContractCancellation, "adsc_contract_cancellation", "ADS-C contract cancellation")          \
  X(kAdscMessage, "adsc_message", "ADS-C message")                                                   \
  X(kAdscDisconnect, "adsc_disconnect", "ADS-C disconnect")                                          \
  X(kCpdlcMessage, "cpdlc_message", "CPDLC message")                                                 \
  X(kCpdlcConnectionRequest, "cpdlc_connection_request", "CPDLC connection request")                 \
  X(kCpdlcConnectionConfirmed, "cpdlc_connection_confirmed", "CPDLC connection confirmed")           \
  X(kCpdlcDisconnectRequest, "cpdlc_disconnect_request", "CPDLC disconnect request")                 \
  X(kDataRequest, "data_request", "Data request")                                                    \
  X(kUplinkAcknowledged, "uplink_acknowledged", "Uplink acknowledged")                               \
  X(kUplinkResponse, "uplink_response", "Uplink response")                                           \
  X(kUplinkRejected, "uplink_rejected", "Uplink rejected")                                           \
  X(kPerformanceData, "performance_data", "Performance data")                                        \
  X(kFrequencyChange, "frequency_change", "Frequency change")                                        \
  X(kAfnAcknowledgement, "afn_acknowledgement", "AFN acknowledgement")                               \
  X(kAfnContactAdvisory, "afn_contact_advisory", "AFN contact advisory")                             \
  X(kUndeliveredUplink, "undelivered_uplink", "Undelivered uplink")                                  \
  X(kAfnContact, "afn_contact", "AFN contact")                                                       \
  X(kOceanicClearance, "oceanic_clearance", "Oceanic clearance")                                     \
  X(kOceanicClearanceReadback, "oceanic_clearance_readback", "Oceanic clearance readback")           \
  X(kOceanicClearanceRequest, "oceanic_clearance_request", "Oceanic clearance request")              \
  X(kDepartureClearanceRequest, "departure_clearance_request", "Departure clearance request")        \
  X(kDepartureClearanceReadback, "departure_clearance_readback", "Departure clearance readback")     \
  X(kGroundMessage, "ground_message", "Message from the ground")                                     \
  X(kBrakeSet, "brake_set", "Brake set")                                                             \
  X(kBrakeReleased, "brake_released", "Brake released")                                              \
  X(kAtis, "atis", "ATIS")                                                                           \
  X(kPredictedWinds, "predicted_winds", "Predicted winds")

enum class Kind : std::uint8_t {
#define CORVANE_READABLE_KIND_ENUMERATOR(name, id, title) name,
  CORVANE_READABLE_KINDS(CORVANE_READABLE_KIND_ENUMERATOR)
#undef CORVANE_READABLE_KIND_ENUMERATOR
};

struct KindInfo {
  std::string_view id;     // "position_report"
  std::string_view title;  // "Position report"
};

inline constexpr std::array kKinds = {
#define CORVANE_READABLE_KIND_INFO(name, id, title) KindInfo{id, title},
    CORVANE_READABLE_KINDS(CORVANE_READABLE_KIND_INFO)
#undef CORVANE_READABLE_KIND_INFO
};

constexpr const KindInfo& InfoOf(Kind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

}  // namespace corvane::readable
