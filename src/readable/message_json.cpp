// A message's JSON, written straight into one string without a document
// tree through the JSON text writer (json_text.h), into a buffer made as
// large as the object can possibly be; and a record's readable decoding.
#include "readable/message_json.h"

#include <cmath>

#include "readable/json.h"
#include "readable/json_text.h"
#include "reference/airlines.h"

namespace corvane::readable {

namespace {

using json::AllPlain;
using json::kLongestEscape;
using json::kMemberRoom;
using json::kNumberRoom;
using json::Put;
using json::PutCount;
using json::PutEscaped;
using json::PutLiteral;
using json::PutMember;
using json::PutString;
using json::PutUtf8String;
using json::StringRoom;

int TwoDigits(std::string_view text, std::size_t at) {
  const char high = text[at];
  const char low = text[at + 1];
  return high >= '0' && high <= '9' && low >= '0' && low <= '9' ? (high - '0') * 10 + (low - '0') : -1;
}

// "261207" and "001514.716" as "2026-12-07T00:15:14.716Z"; other stamps
// (never written by the message path) as the date, a space and the hour.
// Needs 16 + 6 * (date and hour sizes) bytes of room.
char* PutIsoTime(char* at, std::string_view date, std::string_view hour) {
  *at++ = '"';
  if (date.size() != 6 || hour.size() < 6) {
    at = PutEscaped(at, date);
    *at++ = ' ';
    at = PutEscaped(at, hour);
  } else {
    // The stamps the message path writes are digits, copied as they are.
    const auto piece = AllPlain(date) && AllPlain(hour) ? Put : PutEscaped;
    at = PutLiteral(at, "20");
    at = piece(at, date.substr(0, 2));
    *at++ = '-';
    at = piece(at, date.substr(2, 2));
    *at++ = '-';
    at = piece(at, date.substr(4, 2));
    *at++ = 'T';
    at = piece(at, hour.substr(0, 2));
    *at++ = ':';
    at = piece(at, hour.substr(2, 2));
    *at++ = ':';
    at = piece(at, hour.substr(4));
    *at++ = 'Z';
  }
  *at++ = '"';
  return at;
}

// ["entry",...]; needs AlertsRoom(alerts).
char* PutAlerts(char* at, const std::vector<std::string>& alerts) {
  *at++ = '[';
  for (std::size_t i = 0; i < alerts.size(); ++i) {
    if (i > 0) {
      *at++ = ',';
    }
    at = PutUtf8String(at, alerts[i]);
  }
  *at++ = ']';
  return at;
}

std::size_t AlertsRoom(const std::vector<std::string>& alerts) {
  std::size_t room = 2;
  for (const std::string& entry : alerts) {
    room += StringRoom(entry) + 1;
  }
  return room;
}

// The known facts as members, each after a comma; needs FactsRoom(facts).
char* PutFacts(char* at, const reception::ReceptionFacts& facts) {
  const auto member = [&at](std::string_view name) {
    *at++ = ',';
    at = json::PutName(at, name);
    *at++ = ':';
  };
  reception::ForEachKnownFact(
      facts,
      [&](std::string_view name, double value) {
        member(name);
        at = json::PutNumber(at, value);
      },
      [&](std::string_view name, const std::string& value) {
        member(name);
        at = PutUtf8String(at, value);
      });
  return at;
}

std::size_t FactsRoom(const reception::ReceptionFacts& facts) {
  std::size_t room = 3 * (kMemberRoom + kNumberRoom);
  for (const std::string* value : {&facts.levelUnit, &facts.channel, &facts.decoder, &facts.decoderVersion, &facts.link,
                                   &facts.decoderStation, &facts.satellite, &facts.aes}) {
    room += kMemberRoom + StringRoom(*value);
  }
  return room;
}

// The name of the flight's airline; empty when the flight names none the
// built-in list knows.
std::string_view Utf8AirlineNameOf(std::string_view flight) {
  const reference::Airline* airline = reference::AirlineOfFlight(flight);
  return airline != nullptr ? airline->name : std::string_view();
}

std::size_t MessageRoom(const MessageFields& f, std::string_view airline, const MessageExtras& extras, bool alerts) {
  std::size_t room = 10 * kMemberRoom + StringRoom(airline) + 16 + 8 + kLongestEscape * (f.date.size() + f.hour.size());
  for (const std::string_view text : {f.mode, f.address, f.label, f.block, f.msn, f.flight, f.text}) {
    room += StringRoom(text);
  }
  room += 4 * kMemberRoom + StringRoom(extras.station) + StringRoom(extras.id) + kNumberRoom;
  if (extras.blocks > 0) {
    room += 2 * kMemberRoom + kNumberRoom + StringRoom(extras.wholeText);
  }
  if (extras.readable != nullptr) {
    room += kMemberRoom + JsonRoom(*extras.readable);
  }
  if (extras.facts != nullptr) {
    room += FactsRoom(*extras.facts);
  }
  return room + (alerts ? AlertsRoom(*extras.alerts) : 0);
}

// The record's members, with "airline" after "flight" when it is known.
char* PutRecordMembers(char* at, const MessageFields& f, std::string_view airline) {
  at = PutMember(at, "mode", f.mode);
  at = PutMember(at, "address", f.address);
  at = PutMember(at, "label", f.label);
  at = PutMember(at, "block", f.block);
  at = PutMember(at, "msn", f.msn);
  at = PutMember(at, "flight", f.flight);
  if (!airline.empty()) {
    at = PutLiteral(at, "\"airline\":");
    at = PutUtf8String(at, airline);
    *at++ = ',';
  }
  at = PutMember(at, "text", f.text);
  at = PutLiteral(at, "\"time\":");
  return PutIsoTime(at, f.date, f.hour);
}

}  // namespace

ReceiveTime ReceiveTimeOfStamps(std::string_view date, std::string_view hour) {
  if (date.size() != 6 || hour.size() < 6) {
    return {};
  }
  const int values[] = {TwoDigits(date, 0), TwoDigits(date, 2), TwoDigits(date, 4),
                        TwoDigits(hour, 0), TwoDigits(hour, 2), TwoDigits(hour, 4)};
  for (const int value : values) {
    if (value < 0) {
      return {};
    }
  }
  return {2000 + values[0], values[1], values[2], values[3], values[4], values[5]};
}

std::optional<Decoding> DecodeStamped(std::string_view label, std::string_view mode, std::string_view text,
                                      std::string_view date, std::string_view hour,
                                      const reference::ReferenceTables& tables, std::string_view blockId) {
  return Decode({label, mode, text, {}, ReceiveTimeOfStamps(date, hour), blockId}, tables);
}

void AppendMessageJson(const MessageFields& fields, const MessageExtras& extras, std::string& out) {
  const bool alerts = extras.alerts != nullptr && !extras.alerts->empty();
  const std::string_view airline = Utf8AirlineNameOf(fields.flight);
  json::AppendWithin(out, MessageRoom(fields, airline, extras, alerts), [&](char* at) {
    *at++ = '{';
    at = PutRecordMembers(at, fields, airline);
    at = PutLiteral(at, ",\"station\":");
    at = PutUtf8String(at, extras.station);
    if (extras.hops) {
      at = PutLiteral(at, ",\"hops\":");
      at = PutCount(at, *extras.hops);
    }
    if (!extras.id.empty()) {
      at = PutLiteral(at, ",\"id\":");
      at = PutUtf8String(at, extras.id);
    }
    if (extras.facts != nullptr) {
      at = PutFacts(at, *extras.facts);
    }
    if (alerts) {
      at = PutLiteral(at, ",\"alerts\":");
      at = PutAlerts(at, *extras.alerts);
    }
    if (extras.blocks > 0) {
      at = PutLiteral(at, ",\"blocks\":");
      at = PutCount(at, static_cast<long long>(extras.blocks));
      at = PutLiteral(at, ",\"whole_text\":");
      at = PutString(at, extras.wholeText);
    }
    if (extras.readable != nullptr) {
      at = PutLiteral(at, ",\"readable\":");
      at = PutJson(at, *extras.readable);
    }
    *at++ = '}';
    return at;
  });
}

void AppendAlertsJson(const std::vector<std::string>& alerts, std::string& out) {
  if (!alerts.empty()) {
    json::AppendWithin(out, AlertsRoom(alerts), [&](char* at) { return PutAlerts(at, alerts); });
  }
}

}  // namespace corvane::readable
