// The LiveJSON object, built on every accepted message: written straight
// into one string, without a document tree, through the JSON text writer of
// src/readable (which also writes the readable object inside it), into a
// buffer made as large as the object can possibly be.
#include "livelink/live_json.h"

#include <string_view>

#include "readable/json.h"
#include "readable/json_text.h"

namespace corvane::livelink {

using decoding::MessageRecord;

namespace {

using readable::json::AllPlain;
using readable::json::kLongestEscape;
using readable::json::kMemberRoom;
using readable::json::kNumberRoom;
using readable::json::Put;
using readable::json::PutCount;
using readable::json::PutEscaped;
using readable::json::PutLiteral;
using readable::json::PutMember;
using readable::json::PutString;
using readable::json::PutUtf8String;
using readable::json::StringRoom;

// "261207" and "001514.716" as "2026-12-07T00:15:14.716Z"; other stamps
// (never written by the message path) as the date, a space and the hour.
// Needs 16 + 6 * (date and hour sizes) bytes of room.
char* PutIsoTime(char* at, const MessageRecord& record) {
  const std::string_view date = record.Date;
  const std::string_view hour = record.Hour;
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

std::size_t RecordRoom(const MessageRecord& r) {
  std::size_t room = 9 * kMemberRoom + 16 + 8 + kLongestEscape * (r.Date.size() + r.Hour.size());
  for (const std::string* text : {&r.Mode, &r.Address, &r.Label, &r.Bloc, &r.Msn, &r.Flight, &r.Data}) {
    room += StringRoom(*text);
  }
  return room;
}

}  // namespace

std::string LiveJson(const MessageRecord& record, const std::optional<readable::Decoding>& decoding,
                     const LiveOrigin& origin) {
  std::string out;
  AppendLiveJson(record, decoding ? &*decoding : nullptr, origin, out);
  return out;
}

void AppendLiveJson(const MessageRecord& record, const readable::Decoding* decoding, const LiveOrigin& origin,
                    std::string& out) {
  const bool alerts = origin.alerts != nullptr && !origin.alerts->empty();
  std::size_t room = RecordRoom(record) + 4 * kMemberRoom + StringRoom(origin.station) + StringRoom(origin.id) +
                     kNumberRoom + (decoding != nullptr ? kMemberRoom + readable::JsonRoom(*decoding) : 0);
  if (alerts) {
    for (const std::string& entry : *origin.alerts) {
      room += StringRoom(entry) + 1;
    }
  }
  readable::json::AppendWithin(out, room, [&](char* at) {
    *at++ = '{';
    at = PutMember(at, "mode", record.Mode);
    at = PutMember(at, "address", record.Address);
    at = PutMember(at, "label", record.Label);
    at = PutMember(at, "block", record.Bloc);
    at = PutMember(at, "msn", record.Msn);
    at = PutMember(at, "flight", record.Flight);
    at = PutMember(at, "text", record.Data);
    at = PutLiteral(at, "\"time\":");
    at = PutIsoTime(at, record);
    at = PutLiteral(at, ",\"station\":");
    at = PutUtf8String(at, origin.station);
    at = PutLiteral(at, ",\"hops\":");
    at = PutCount(at, origin.hops);
    if (!origin.id.empty()) {
      at = PutLiteral(at, ",\"id\":");
      at = PutUtf8String(at, origin.id);
    }
    if (alerts) {
      at = PutLiteral(at, ",\"alerts\":[");
      for (std::size_t i = 0; i < origin.alerts->size(); ++i) {
        if (i > 0) {
          *at++ = ',';
        }
        at = PutUtf8String(at, (*origin.alerts)[i]);
      }
      *at++ = ']';
    }
    if (decoding != nullptr) {
      at = PutLiteral(at, ",\"readable\":");
      at = readable::PutJson(at, *decoding);
    }
    *at++ = '}';
    return at;
  });
}

std::string LiveJsonOfLast(const decoding::MessagePath& path, const reference::ReferenceTables& tables,
                           const LiveOrigin& origin) {
  const decoding::ReadMessage* message = path.LastMessage();
  return message != nullptr ? LiveJson(message->record, ReadableOf(message->record, tables), origin) : std::string();
}

void LiveJsonWriter::SetRelayed(std::string_view station, int hops) {
  relayed_ = true;
  relayedStation_.assign(station);
  relayedHops_ = hops;
}

LiveOrigin LiveJsonWriter::Origin() const {
  if (relayed_) {
    return {relayedStation_, static_cast<long long>(relayedHops_) + 1, alerts_, messageId_};
  }
  return {station_, 1, alerts_, messageId_};
}

const readable::Decoding* LiveJsonWriter::ReadableOfLast(const decoding::MessagePath& path) {
  const decoding::ReadMessage* message = path.LastMessage();
  if (message == nullptr) {
    return nullptr;
  }
  const MessageRecord& r = message->record;
  DecodedFrom& from = decodedFrom_;
  if (!decodedValid_ || from.data != r.Data || from.label != r.Label || from.mode != r.Mode || from.date != r.Date ||
      from.hour != r.Hour) {
    decoded_ = ReadableOf(r, tables_);
    from.label.assign(r.Label);
    from.mode.assign(r.Mode);
    from.data.assign(r.Data);
    from.date.assign(r.Date);
    from.hour.assign(r.Hour);
    decodedValid_ = true;
  }
  return decoded_ ? &*decoded_ : nullptr;
}

const std::string& LiveJsonWriter::OfLast(const decoding::MessagePath& path) {
  json_.clear();
  if (const decoding::ReadMessage* message = path.LastMessage()) {
    AppendLiveJson(message->record, ReadableOfLast(path), Origin(), json_);
  }
  return json_;
}

}  // namespace corvane::livelink
