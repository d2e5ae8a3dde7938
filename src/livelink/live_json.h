// The LiveJSON object other programs read for every accepted message: the
// record's fields and, when the text is in a known form, its readable
// decoding. One line of UTF-8 JSON; the card's bytes travel as the code
// points U+0000 to U+00FF, as in every JSON Corvane writes.
#pragma once

#include <optional>
#include <string>

#include "decoding/message_path.h"
#include "decoding/text_record.h"
#include "readable/readable.h"

namespace corvane::livelink {

// {"mode":..,"address":..,"label":..,"block":..,"msn":..,"flight":..,
//  "text":..,"time":"2026-12-07T00:00:14.716Z","readable":{..}}; "readable"
// is left out when there is none.
std::string LiveJson(const decoding::MessageRecord& record, const std::optional<readable::Decoding>& decoding);
// The same object appended to out; no "readable" when decoding is null.
void AppendLiveJson(const decoding::MessageRecord& record, const readable::Decoding* decoding, std::string& out);

// The readable decoding of a record's text; none when it is in no known form.
std::optional<readable::Decoding> ReadableOf(const decoding::MessageRecord& record,
                                             const reference::ReferenceTables& tables);

// The LiveJSON object of the message the path accepted last (empty when the
// last record was not accepted): what a receiver publishes after LiveData.
std::string LiveJsonOfLast(const decoding::MessagePath& path, const reference::ReferenceTables& tables);

// Builds the LiveJSON object of each accepted message into one buffer kept
// from message to message, so that a receiver that only hands the object on
// (the live link copies it) allocates nothing for it.
class LiveJsonWriter {
 public:
  explicit LiveJsonWriter(const reference::ReferenceTables& tables) : tables_(tables) {}

  // The object of the message the path accepted last; empty when the last
  // record was not accepted. Valid until the next call.
  const std::string& OfLast(const decoding::MessagePath& path);

 private:
  const reference::ReferenceTables& tables_;
  std::string json_;
};

// {"kind":..,"fields":{..},"text":..}, appended to out.
void AppendReadableJson(const readable::Decoding& decoding, std::string& out);

}  // namespace corvane::livelink
