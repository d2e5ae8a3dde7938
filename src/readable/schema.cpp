// The readable object's fields.
#include "readable/schema.h"

#include <array>

namespace corvane::readable {

namespace {

using enum FieldType;

constexpr std::array<FieldSchema, 96> kFields = {{
    // Where the aircraft is and how it flies.
    {"latitude", kNumber, "degrees", "the aircraft's latitude, decimal, north positive"},
    {"longitude", kNumber, "degrees", "the aircraft's longitude, decimal, east positive"},
    {"altitude_ft", kInteger, "ft", "the aircraft's altitude"},
    {"heading_deg", kNumber, "degrees", "true heading"},
    {"track_deg", kNumber, "degrees", "true track"},
    {"groundspeed_kt", kNumber, "kt", "ground speed"},
    {"true_airspeed_kt", kInteger, "kt", "true airspeed"},
    {"mach", kNumber, "", "Mach number"},
    {"vertical_rate_fpm", kInteger, "ft/min", "vertical rate, climbing positive"},
    {"outside_air_temperature_c", kNumber, "°C", "outside (static) air temperature"},
    {"total_air_temperature_c", kNumber, "°C", "total (ram) air temperature, as the probe reads it"},
    {"wind_dir_deg", kNumber, "degrees", "the direction the wind blows from"},
    {"wind_speed_kt", kNumber, "kt", "wind speed"},
    {"fuel", kInteger, "", "fuel on board, as the text gives it (no unit claimed)"},
    // Points ahead (ADS-C predicted route) and waypoints.
    {"position_waypoint", kText, "", "the waypoint the report names as passed"},
    {"waypoint_time", kTimeOfDay, "", "when the aircraft passed position_waypoint"},
    {"next_waypoint", kText, "", "the next waypoint"},
    {"next_waypoint_eta", kTimeOfDay, "", "the estimated time at next_waypoint"},
    {"following_waypoint", kText, "", "the waypoint after next_waypoint"},
    {"next_latitude", kNumber, "degrees", "the next predicted point's latitude"},
    {"next_longitude", kNumber, "degrees", "the next predicted point's longitude"},
    {"next_altitude_ft", kInteger, "ft", "the next predicted point's altitude"},
    {"next_time_to_go_s", kInteger, "s", "time to go to the next predicted point"},
    {"following_latitude", kNumber, "degrees", "the predicted point after the next one: latitude"},
    {"following_longitude", kNumber, "degrees", "the predicted point after the next one: longitude"},
    {"following_altitude_ft", kInteger, "ft", "the predicted point after the next one: altitude"},
    {"waypoints", kTextList, "", "a route's waypoints, in order"},
    // Times. A time the text gives with its day (or date) is a full UTC time
    // under the name with "_utc"; without, a time of day under the name alone.
    {"report_time", kTimeOfDay, "", "when the report's data (its position) was taken"},
    {"report_time_utc", kUtcTime, "", "report_time, with its date"},
    {"sent_time", kTimeOfDay, "", "when the message was sent, as its header or a UTC item says"},
    {"sent_time_utc", kUtcTime, "", "sent_time, with its date"},
    {"event_time", kTimeOfDay, "", "when the event the message reports happened (link change, door, flight phase)"},
    {"event_time_utc", kUtcTime, "", "event_time, with its date"},
    {"time_past_hour_s", kNumber, "s", "ADS-C: the report's time, seconds past the hour"},
    {"out", kTimeOfDay, "", "out of the gate (brakes released)"},
    {"out_utc", kUtcTime, "", "out, with its date"},
    {"off", kTimeOfDay, "", "off the ground (takeoff)"},
    {"off_utc", kUtcTime, "", "off, with its date"},
    {"on", kTimeOfDay, "", "on the ground (landing)"},
    {"on_utc", kUtcTime, "", "on, with its date"},
    {"in", kTimeOfDay, "", "in at the gate"},
    {"in_utc", kUtcTime, "", "in, with its date"},
    {"eta", kTimeOfDay, "", "estimated time of arrival"},
    {"eta_utc", kUtcTime, "", "eta, with its date"},
    {"estimated_on", kTimeOfDay, "", "estimated time on the ground"},
    {"estimated_on_utc", kUtcTime, "", "estimated_on, with its date"},
    // Flight and route.
    {"flight", kText, "", "the flight, as the text writes it"},
    {"airline", kText, "", "the airline of flight by name, from the built-in airline list"},
    {"tail", kText, "", "the aircraft's registration, as the text writes it"},
    {"departure", kText, "", "departure airport, ICAO code"},
    {"arrival", kText, "", "arrival airport, ICAO code"},
    {"departure_iata", kText, "", "departure airport, IATA code"},
    {"arrival_iata", kText, "", "arrival airport, IATA code"},
    {"airport", kText, "", "the airport a request is about, ICAO code"},
    {"runway_departure", kText, "", "departure runway"},
    {"runway_arrival", kText, "", "arrival runway"},
    {"transponder_code", kText, "", "the transponder (squawk) code a clearance assigns, four octal digits"},
    {"door", kText, "", "the door an event is about"},
    {"message", kText, "", "free text the crew wrote"},
    // Links and ground stations.
    {"link", kText, "", "the air-ground link a media advisory is about"},
    {"link_state", kText, "", "\"established\" or \"lost\": what happened to link"},
    {"available_links", kTextList, "", "the links available after the change"},
    {"network", kText, "", "the data link network (ARINC, SITA)"},
    {"station", kText, "", "a ground station's airport, ICAO code"},
    {"station_iata", kText, "", "a ground station's airport, IATA code"},
    {"frequency_mhz", kNumber, "MHz",
     "a ground station's VHF frequency; CPDLC: the frequency an element names (VHF or HF)"},
    {"ground_station", kText, "", "ADS-C and CPDLC: the ground facility's address"},
    {"contract_numbers", kIntegerList, "", "ADS-C: the contracts the downlink answers, in order"},
    {"reason_code", kInteger, "", "ADS-C: why a request was refused"},
    {"next_ground_station", kText, "", "AFN: the ground facility's address the aircraft is told to contact next"},
    // CPDLC messages.
    {"cpdlc_message_id", kInteger, "", "CPDLC: the message's number (0-63)"},
    {"cpdlc_reference_id", kInteger, "", "CPDLC: the number of the message this one answers"},
    {"cpdlc_elements", kTextList, "", "CPDLC: the message's elements in order, uplink UM0-UM182, downlink DM0-DM80"},
    {"cpdlc_text", kTextList, "", "CPDLC: each element in words, in the order of cpdlc_elements"},
    {"cpdlc_altitude_ft", kInteger, "ft", "CPDLC: the first altitude the elements name (a flight level times 100)"},
    {"cpdlc_position", kText, "", "CPDLC: the first position the elements name (fix, navaid or airport)"},
    {"cpdlc_unit", kText, "", "CPDLC: the air traffic unit an element names, with its function (EDMONTON CENTER)"},
    {"cpdlc_facility", kText, "", "CPDLC: the ICAO facility an element names (next or current data authority)"},
    // Compressed messages.
    {"compressed", kText, "", "how the message came compressed: \"MIAM\" or \"OHMA\""},
    {"compressed_label", kText, "", "MIAM: the label of the message the frame carries"},
    {"compressed_sublabel", kText, "", "MIAM: the sublabel of the message the frame carries, when it has one"},
    {"miam_message_number", kInteger, "", "MIAM: the frame's number (0-255), echoed by its acknowledgement"},
    {"decompressed_text", kText, "", "the decompressed text, when no known form reads it"},
    // Flight management data link.
    {"subject", kText, "",
     "the flight management message a request asks for, or an uplink response or rejection answers: its code "
     "(POS, PRG, PWI, FPN, LDI, REQ, ...)"},
    {"cruise_altitude_ft", kInteger, "ft",
     "the planned cruise altitude (set in the flight management computer, or filed)"},
    // Other links and regions.
    {"uplink_label", kText, "", "the label of an uplink the aircraft did not take"},
    {"uplink_text", kText, "", "the text of that uplink, as given back"},
    {"applications", kTextList, "", "AFN: the data link applications the aircraft offers (ADS, ATC, ...), in order"},
    {"airports", kTextList, "", "the airports a weather request asks for, ICAO codes, in order"},
    // Clearances and ground messages.
    {"entry_point", kText, "", "the oceanic entry point a clearance or its request names"},
    {"entry_time", kTimeOfDay, "", "the time at entry_point, as the clearance gives it or the request estimates it"},
    {"entry_altitude_ft", kInteger, "ft", "the flight level at entry_point, cleared or asked for, in feet"},
    {"entry_mach", kNumber, "", "the Mach number at entry_point, cleared or asked for"},
    {"atis_code", kText, "", "the letter of the ATIS information a message delivers"},
    {"weather_stations", kTextList, "", "the stations (ICAO) whose METAR, SPECI or TAF the text carries, in order"},
    {"uplink_message", kText, "",
     "free text a ground office sent the aircraft, its lines joined by spaces (after an AN header: up to the first "
     "empty line)"},
}};

}  // namespace

std::span<const FieldSchema> AllFields() { return kFields; }

const FieldSchema* FindField(std::string_view name) {
  for (const FieldSchema& field : kFields) {
    if (field.name == name) {
      return &field;
    }
  }
  return nullptr;
}

std::string_view TypeName(FieldType type) {
  switch (type) {
    case kNumber:
      return "number";
    case kInteger:
      return "integer";
    case kText:
      return "string";
    case kTimeOfDay:
      return "string HH:MM[:SS]";
    case kUtcTime:
      return "string ISO 8601 UTC";
    case kTextList:
      return "array of strings";
    case kIntegerList:
      return "array of integers";
  }
  return "";
}

}  // namespace corvane::readable
