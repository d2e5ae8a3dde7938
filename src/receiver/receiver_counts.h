// What a receiver has counted since it started, for the station's health
// check and metrics: plain integers bumped on the message path, read on the
// same thread when asked.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace corvane::receiver {

struct ReceiverCounts {
  // Accepted messages by label (the card's bytes) and where they came from:
  // "card" (heard here) or "relay" (first heard by another station).
  std::map<std::pair<std::string, std::string>, std::uint64_t> accepted;
  std::uint64_t refusedRecords = 0;  // card records the message path did not accept
  std::uint64_t alertMessages = 0;   // accepted messages that matched the watch list
  std::string lastDate;              // YYMMDD of the last accepted message (UTC), empty before one
  std::string lastHour;              // its HHMMSS.mmm
  bool cardLinkUp = false;           // the front end holds a connection to the card server
  std::uint64_t cardConnects = 0;    // connections made, the first one included
};

// The last message's time as "YYYY-MM-DDTHH:MM:SS.mmmZ", empty before one.
std::string LastMessageIso(const ReceiverCounts& counts);

}  // namespace corvane::receiver
