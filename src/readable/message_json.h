// A card record's readable decoding and the one JSON writer of a message:
// the members LiveJSON, the web API's hits and every other output that
// writes a message as JSON carry under the same names (mode, address,
// label, block, msn, flight, airline, text, time, station, hops, id, alerts,
// blocks, whole_text, readable). Plain C++ on the readable library alone: a record is read
// through its members (Label, Mode, Data, Date, Hour, ...), so this layer
// needs neither the message path's library nor the store.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readable/readable.h"
#include "reception/reception_facts.h"

namespace corvane::readable {

// When a message was received, from the card record's stamps (Date YYMMDD,
// Hour HHMMSS.mmm, UTC); year 0 when they cannot be read.
ReceiveTime ReceiveTimeOfStamps(std::string_view date, std::string_view hour);

// The readable decoding of a message's text, received at its stamps; none
// when the text is in no known form.
// The block identifier, where known, tells a downlink from an uplink.
std::optional<Decoding> DecodeStamped(std::string_view label, std::string_view mode, std::string_view text,
                                      std::string_view date, std::string_view hour,
                                      const reference::ReferenceTables& tables, std::string_view blockId = {});

// The readable decoding of a card record (decoding::MessageRecord); none
// when its text is in no known form.
template <typename Record>
std::optional<Decoding> ReadableOf(const Record& record, const reference::ReferenceTables& tables) {
  return DecodeStamped(record.Label, record.Mode, record.Data, record.Date, record.Hour, tables, record.Bloc);
}

// The card record's texts a message's JSON carries (card bytes), viewed.
struct MessageFields {
  std::string_view mode;
  std::string_view address;
  std::string_view label;
  std::string_view block;
  std::string_view msn;
  std::string_view flight;
  std::string_view text;
  std::string_view date;  // YYMMDD
  std::string_view hour;  // HHMMSS.mmm
};

template <typename Record>
MessageFields FieldsOf(const Record& r) {
  return {r.Mode, r.Address, r.Label, r.Bloc, r.Msn, r.Flight, r.Data, r.Date, r.Hour};
}

// What a message's JSON says beyond its record. Texts here are UTF-8, not
// card bytes.
struct MessageExtras {
  std::string_view station = {};                     // where it was first received
  std::optional<long long> hops = {};                // receivers passed; none: no "hops"
  std::string_view id = {};                          // its identity; empty: no "id"
  const std::vector<std::string>* alerts = nullptr;  // null or empty: no "alerts"
  const Decoding* readable = nullptr;                // null: no "readable"
  // A message joined from its blocks (decoding/block_joiner.h): how many
  // and the whole text (card bytes); 0: no "blocks" nor "whole_text".
  std::size_t blocks = 0;
  std::string_view wholeText = {};
  // What the decoder that heard it knew (reception/reception_facts.h):
  // "freq", "level", "noise", "level_unit", "channel", "decoder",
  // "decoder_version", "link", "decoder_station", "satellite", "aes", each
  // only when known; null: none.
  const reception::ReceptionFacts* facts = nullptr;
};

// The message as one JSON object appended to out:
//   {"mode":..,"address":..,"label":..,"block":..,"msn":..,"flight":..,
//    "airline":"British Airways","text":..,"time":"2026-12-07T00:00:14.716Z","station":..,"hops":1,
//    "id":..,<reception facts>,"alerts":[..],"blocks":3,"whole_text":..,"readable":{..}}
// "airline" (UTF-8) is there when the built-in airline list knows the
// flight's designator. "time" is the record's stamps in ISO 8601 (other stamps, never written
// by the message path, as the date, a space and the hour).
void AppendMessageJson(const MessageFields& fields, const MessageExtras& extras, std::string& out);

// The watch list entries a message matched as a JSON array of UTF-8
// strings appended to out; nothing when there are none.
void AppendAlertsJson(const std::vector<std::string>& alerts, std::string& out);

}  // namespace corvane::readable
