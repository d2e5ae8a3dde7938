// The LiveJSON object other programs read for every accepted message: the
// record's fields and, when the text is in a known form, its readable
// decoding. One line of UTF-8 JSON; the card's bytes travel as the code
// points U+0000 to U+00FF, as in every JSON Corvane writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/block_joiner.h"
#include "decoding/message_path.h"
#include "decoding/text_record.h"
#include "readable/message_json.h"
#include "readable/readable.h"

namespace corvane::livelink {

// Where a message was first received and how many receivers it has passed,
// this one included: a message heard by this receiver's own card has its
// station and 1; one relayed from another receiver keeps the station that
// heard it and counts one more. Stations are UTF-8 names, not card bytes.
struct LiveOrigin {
  std::string_view station;
  long long hops = 1;
  // The watch list entries the message matched (UTF-8); null or empty: none,
  // and no "alerts" member.
  const std::vector<std::string>* alerts = nullptr;
  // The message's identity from the receiver that first heard it (ASCII);
  // empty: none, and no "id" member.
  std::string_view id = {};
  // The message this block completes, joined from its blocks
  // (decoding/block_joiner.h): how many, and the whole text; 0: none, and
  // no "blocks" nor "whole_text" member.
  std::size_t blocks = 0;
  std::string_view wholeText = {};
  // What the SDR decoder that heard it knew; null: no such members.
  const reception::ReceptionFacts* facts = nullptr;
};

// {"mode":..,"address":..,"label":..,"block":..,"msn":..,"flight":..,
//  "text":..,"time":"2026-12-07T00:00:14.716Z","station":..,"hops":1,
//  "id":..,"alerts":[..],"blocks":3,"whole_text":..,"readable":{..}}; "id"
//  is left out when the message has no identity, "alerts" when it matched
//  no watch entry, "blocks" and "whole_text" when it completes no message
//  of several blocks, "readable"
//  (readable/json.h) when there is none. Written by the one writer of a
//  message's JSON (readable/message_json.h).
std::string LiveJson(const decoding::MessageRecord& record, const std::optional<readable::Decoding>& decoding,
                     const LiveOrigin& origin);
// The same object appended to out; no "readable" when decoding is null.
void AppendLiveJson(const decoding::MessageRecord& record, const readable::Decoding* decoding, const LiveOrigin& origin,
                    std::string& out);

// The readable decoding of a record's text (the store indexes the same).
using readable::ReadableOf;

// The LiveJSON object of the message the path accepted last (empty when the
// last record was not accepted): what a receiver publishes after LiveData.
std::string LiveJsonOfLast(const decoding::MessagePath& path, const reference::ReferenceTables& tables,
                           const LiveOrigin& origin);

// Builds the LiveJSON object of each accepted message into one buffer kept
// from message to message, so that a receiver that only hands the object on
// (the live link copies it) allocates nothing for it. Messages are this
// receiver's own (its station, 1 hop) unless SetRelayed says otherwise.
class LiveJsonWriter {
 public:
  explicit LiveJsonWriter(const reference::ReferenceTables& tables) : tables_(tables) {}

  // This receiver's station name, written for the messages it hears itself
  // (the receiver sets it from its settings before the first message).
  void SetStation(std::string station) { station_ = std::move(station); }
  [[nodiscard]] const std::string& Station() const { return station_; }

  // The messages handed over next were relayed: first heard by station,
  // after passing hops receivers. The name is copied into a string kept
  // from message to message, so a relay costs no allocation either.
  void SetRelayed(std::string_view station, int hops);
  // The messages handed over next are this receiver's own again.
  void SetHeardHere() { relayed_ = false; }
  // The watch list entries the next object names as matched (null: none);
  // the vector must live until the object is written.
  void SetAlerts(const std::vector<std::string>* alerts) { alerts_ = alerts; }
  // The identity of the messages handed over next (empty: none).
  void SetMessageId(std::string_view id) { messageId_.assign(id); }
  // What the joiner said of the message handed over next (null: nothing);
  // a message it completes is decoded, and its object written, as the
  // whole text. Must live until the object is written.
  void SetJoin(const decoding::BlockJoin* join) { join_ = join; }
  // What the decoder knew of the messages handed over next (none: a card's).
  void SetReceptionFacts(const reception::ReceptionFacts& facts) { facts_ = facts; }

  // The object of the message the path accepted last; empty when the last
  // record was not accepted. Valid until the next call.
  const std::string& OfLast(const decoding::MessagePath& path);

  // The readable decoding of the message the path accepted last (null when
  // none or when its text is in no known form). A message is decoded once:
  // the window shows this decoding and OfLast writes the same one. Valid
  // until the next message.
  const readable::Decoding* ReadableOfLast(const decoding::MessagePath& path);

 private:
  [[nodiscard]] LiveOrigin Origin() const;

  const reference::ReferenceTables& tables_;
  std::string station_;
  bool relayed_ = false;
  std::string relayedStation_;
  int relayedHops_ = 0;
  const std::vector<std::string>* alerts_ = nullptr;
  std::string messageId_;
  const decoding::BlockJoin* join_ = nullptr;
  reception::ReceptionFacts facts_;
  std::string json_;
  // The last decoding and what it was decoded from (all a decoding depends
  // on), so the same message is not decoded twice.
  struct DecodedFrom {
    std::string label;
    std::string mode;
    std::string data;
    std::string date;
    std::string hour;
    std::string block;
  } decodedFrom_;
  bool decodedValid_ = false;
  std::optional<readable::Decoding> decoded_;
};

}  // namespace corvane::livelink
