// The blocks of one long downlink joined into the message they carry, for
// what reads a message as a whole (readable decoding, search index, alerts,
// the page). The card record path keeps handling each block by itself; the
// joiner only watches the accepted records go by and says, at the block
// that completes a message, what the whole text is.
//
// A message's blocks share the aircraft address, the flight, the label and
// the first three characters of the message number; the fourth advances A,
// B, C... (ARINC 618). A block that ends in ETB (0x17) has more after it, the
// one that ends in ETX (0x03) is the last. The card records in the captures
// carry neither byte, so without one a block is taken as the last when its
// text is shorter than the first block's (the blocks before it were full) or
// when it starts with the first block's text (a VDL2 or HFDL decoder that
// hands over the message already reassembled at its final block).
//
//   no group --a block "A" not ending in ETX (Start)--> open group
//   open group --the next letter, more to come (Append)--> open group
//   open group --the next letter, the last block (Complete)--> no group
//   open group --the same block again--> open group (kept as a repeat)
//   open group --any other block, or kJoinGap without one (Drop)--> no group
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/text_record.h"

namespace corvane::decoding {

// The longest pause between two blocks of one message (the stamps of the
// records, that is the message path's clock): two minutes, well above the
// seconds a ground station takes to acknowledge a block and the aircraft
// to send the next, and well below the minutes between two messages of
// the same aircraft that could share a message number by chance.
inline constexpr std::chrono::milliseconds kJoinGap{120'000};

// What the joiner says of one block.
struct BlockJoin {
  // How many blocks the message this block completes has (0: it completes
  // none) and the message's whole text (the end bytes left out).
  std::size_t blocks = 0;
  std::string text;
  // The identities of the blocks before it that are parts of the message
  // (the repeats of a block included; blocks without one left out).
  std::vector<std::string> parts;
  // A repeat of the block that completed a message: that block's identity.
  std::string repeatOf;

  [[nodiscard]] bool Joined() const { return blocks > 0; }
};

class BlockJoiner {
 public:
  explicit BlockJoiner(std::chrono::milliseconds gap = kJoinGap) : gap_(gap) {}

  // Takes the next accepted record, heard by station (empty: this
  // receiver), whose message has the identity id (may be empty).
  BlockJoin Offer(const MessageRecord& record, std::string_view station = {}, std::string_view id = {});

  // Messages begun and not complete yet.
  [[nodiscard]] std::size_t OpenMessages() const { return open_.size(); }

 private:
  struct Group {
    std::string prefix;  // the message number's first three characters
    char letter = 0;     // the last block's sequence letter
    long long lastMs = 0;
    std::vector<std::string> texts;
    std::vector<std::string> ids;
  };
  struct Completed {
    std::string prefix;
    char letter = 0;
    long long atMs = 0;
    std::string text;  // the completing block's own text
    std::string id;
  };

  void DropExpired(long long nowMs);
  BlockJoin Complete(const std::string& key, Group& group, std::string text, std::string_view id, long long nowMs);

  std::chrono::milliseconds gap_;
  std::map<std::string, Group> open_;
  std::map<std::string, Completed> completed_;
};

// The receive time of a record from its stamps (Date YYMMDD, Hour
// HHMMSS.mmm, UTC) in milliseconds since 1970; 0 when they cannot be read.
long long StampMillis(const MessageRecord& record);

}  // namespace corvane::decoding
