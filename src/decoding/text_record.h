// Reading one card text record into a decoded message. A record is a header of
// tagged fields ("M=", "ADDR=", "TA=", "ML=", "B=", "MSN=", "FID="), a CR LF,
// then the message text. Each tag is found by its first occurrence anywhere in
// the record and a fixed number of characters after it is taken, trimmed of
// spaces only. Text is bytes: every 8-bit character is kept as received.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decoding/utc_clock.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::decoding {

// The decoded message. The field names are also the store's column names, in
// the store's column order.
struct MessageRecord {
  std::string Date;     // UTC date of decoding, YYMMDD
  std::string Hour;     // UTC time of decoding, HHMMSS.mmm
  std::string Mode;     // up to 2 characters
  std::string Address;  // up to 7, without the leading points
  std::string Flight;   // up to 6, or empty
  std::string Label;    // up to 2, the uplink acknowledgement as "_ "
  std::string Bloc;     // up to 1
  std::string Msn;      // up to 4, or empty
  std::string Data;     // the message text, or empty

  bool operator==(const MessageRecord&) const = default;
};

// A record that was accepted, with what the message path derives from it.
struct ReadMessage {
  MessageRecord record;
  std::string PaddedAddress;  // Address with "." in front, 7 characters
  std::string LabelText;      // readable label, with the H1 terminal code
  std::string reportStamp;    // DD/MM/YYYY HH:MM:SS
  std::string statusStamp;    // DD/MM HH:MM:SS
};

// Stamps formed from one clock reading.
std::string DateField(const UtcTime& time);    // YYMMDD
std::string HourField(const UtcTime& time);    // HHMMSS.mmm
std::string ReportStamp(const UtcTime& time);  // DD/MM/YYYY HH:MM:SS
std::string StatusStamp(const UtcTime& time);  // DD/MM HH:MM:SS

// The address brought to 7 characters with "." in front; an empty address
// gives six points.
std::string PadAddress(std::string_view address);

// True when every character is A-Z, 0-9, "-" or "."; an empty address passes.
bool IsValidAddress(std::string_view address);

// The value after the first occurrence of tag: up to width characters, spaces
// trimmed at both ends. Empty optional when the tag does not occur.
std::optional<std::string> TagValue(std::string_view record, std::string_view tag, std::size_t width);

// The same value as a view into the record.
std::optional<std::string_view> TagView(std::string_view record, std::string_view tag, std::size_t width);

// Reads a record decoded at time now. Returns nothing when a required tag is
// missing or the address holds a character outside the accepted set.
// currentLabel receives the label as received (before the uplink
// acknowledgement substitution) as soon as it is read, even if the record is
// rejected afterwards.
std::optional<ReadMessage> ReadTextRecord(std::string_view record, const UtcTime& now,
                                          const reference::ReferenceTables& tables, std::string& currentLabel);

// The same, read into an existing message so that its strings keep their
// storage from one record to the next; true when the record was accepted.
// The message holds nothing useful after a rejected record.
bool ReadTextRecordInto(std::string_view record, const UtcTime& now, const reference::ReferenceTables& tables,
                        std::string& currentLabel, ReadMessage& message);

}  // namespace corvane::decoding
