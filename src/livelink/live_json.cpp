// The LiveJSON object, built on every accepted message by the one writer of
// a message's JSON (readable/message_json.h), with this receiver's origin
// of the message; and the last decoding kept so a message is decoded once.
#include "livelink/live_json.h"

#include <string_view>

namespace corvane::livelink {

using decoding::MessageRecord;

std::string LiveJson(const MessageRecord& record, const std::optional<readable::Decoding>& decoding,
                     const LiveOrigin& origin) {
  std::string out;
  AppendLiveJson(record, decoding ? &*decoding : nullptr, origin, out);
  return out;
}

void AppendLiveJson(const MessageRecord& record, const readable::Decoding* decoding, const LiveOrigin& origin,
                    std::string& out) {
  readable::AppendMessageJson(
      readable::FieldsOf(record),
      {origin.station, origin.hops, origin.id, origin.alerts, decoding, origin.blocks, origin.wholeText,
       origin.facts != nullptr && !origin.facts->Empty() ? origin.facts : nullptr},
      out);
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
  LiveOrigin origin{station_, 1, alerts_, messageId_};
  if (relayed_) {
    origin.station = relayedStation_;
    origin.hops = static_cast<long long>(relayedHops_) + 1;
  }
  if (join_ != nullptr && join_->Joined()) {
    origin.blocks = join_->blocks;
    origin.wholeText = join_->text;
  }
  origin.facts = &facts_;
  return origin;
}

const readable::Decoding* LiveJsonWriter::ReadableOfLast(const decoding::MessagePath& path) {
  const decoding::ReadMessage* message = path.LastMessage();
  if (message == nullptr) {
    return nullptr;
  }
  const MessageRecord& r = message->record;
  const std::string_view text = join_ != nullptr && join_->Joined() ? std::string_view(join_->text) : r.Data;
  DecodedFrom& from = decodedFrom_;
  if (!decodedValid_ || from.data != text || from.label != r.Label || from.mode != r.Mode || from.date != r.Date ||
      from.hour != r.Hour || from.block != r.Bloc) {
    decoded_ = readable::DecodeStamped(r.Label, r.Mode, text, r.Date, r.Hour, tables_, r.Bloc);
    from.label.assign(r.Label);
    from.mode.assign(r.Mode);
    from.data.assign(text);
    from.date.assign(r.Date);
    from.hour.assign(r.Hour);
    from.block.assign(r.Bloc);
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
