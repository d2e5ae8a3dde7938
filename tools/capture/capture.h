// Reading capture files: JSON Lines, one message a line, either a card text
// record with the UTC time it was received ({"utc": ..., "txt": ...}) or a
// message as an SDR decoder writes it (acarsdec, dumpvdl2, dumphfdl or JAERO
// JSON), which is turned into a card text record and what the decoder knew of
// it (frequency, level, link...). Text values hold the card's 8-bit
// bytes as the code points U+0000 to U+00FF, so every byte survives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/latin1_text.h"
#include "decoding/utc_clock.h"
#include "reception/reception_facts.h"

namespace corvane::capture {

// Where a message relayed by another receiver came from, as its LiveJSON
// object says: the station that first heard it (UTF-8, empty when the object
// does not say), how many receivers it has passed, and the identity that
// station gave it (empty when the object has none).
struct RecordOrigin {
  std::string station;
  int hops = 1;
  std::string id = {};
};

// One record of a capture: when it arrived and the card text record; only
// a LiveJSON object (a message that has passed a receiver) has an origin.
// A decoder's message (or a LiveJSON object that passes one on) also has
// what its decoder knew of it; a card record has no facts.
struct CaptureRecord {
  decoding::UtcTime utc;
  std::string txt;  // bytes as the card sends them
  std::optional<RecordOrigin> origin = std::nullopt;
  reception::ReceptionFacts facts = {};
};

using decoding::Latin1ToUtf8;
using decoding::Utf8ToLatin1;

// "2026-12-07T21:00:05.005Z" (fractions optional, any number of digits,
// a final "Z" or none). Nothing when the text is not such a time.
std::optional<decoding::UtcTime> ParseUtc(std::string_view text);

// "2026-12-07T21:00:05.005Z"
std::string FormatUtc(const decoding::UtcTime& time);

// The fields of one ACARS message as the air carries them.
struct AirMessage {
  std::string mode;     // 1 character
  std::string address;  // registration, up to 7 with leading points
  std::string ack;      // 1 character, "!" for a NAK
  std::string label;    // 2 characters, "_" and DEL for an uplink acknowledgement
  std::string blockId;  // 1 character, blank for a squitter
  std::string msn;      // message number, empty for uplinks
  std::string flight;   // flight id, empty for uplinks
  std::string text;
};

// The card text record of a message: "M=" mode (2), " ADDR=" address (7),
// " TA=" ack (1), " ML=" label (2), " B=" block id (1), then " MSN=" (4) and
// " FID=" (6) when present, CR LF and the text. Values are padded with
// spaces to their width and cut to it.
std::string CardRecordOf(const AirMessage& message);

// Parses one capture line in any of the accepted shapes. On failure, returns
// nothing and says why in error.
std::optional<CaptureRecord> ParseCaptureLine(std::string_view line, std::string& error);

// The card text records of a capture file, at most `most` of them, in order;
// lines that do not parse are passed over. Empty when the file cannot be read.
std::vector<std::string> ReadCaptureRecords(const std::string& path, std::size_t most = SIZE_MAX);

}  // namespace corvane::capture
