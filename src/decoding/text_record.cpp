// Reading a card text record: tag search, field checks, label substitution and
// the readable label text.
#include "decoding/text_record.h"

#include "decoding/text_util.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {

namespace {

constexpr char kDelete = '\x7f';
constexpr std::string_view kUplinkAckLabel = "_ ";
constexpr std::string_view kTerminalLabel = "H1";

// Appends a non-negative number with at least `digits` digits, zero-filled.
void AppendNumber(std::string& out, int value, int digits) {
  char buffer[12];
  int length = 0;
  unsigned magnitude = value < 0 ? 0U : static_cast<unsigned>(value);
  do {
    buffer[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0 && length < static_cast<int>(sizeof buffer));
  for (int pad = length; pad < digits; ++pad) {
    out += '0';
  }
  while (length > 0) {
    out += buffer[--length];
  }
}

bool IsAddressCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The label text of an H1 message gets the description of the terminal code
// at positions 2 and 3 of its text when the text begins with "#".
void AppendTerminalCode(std::string& labelText, std::string_view data, const reference::ReferenceTables& tables) {
  if (data.empty() || data.front() != '#') {
    return;
  }
  const std::string description = tables.CodeDescription(data.substr(1, 2));
  if (!description.empty()) {
    labelText += " - ";
    labelText += description;
  }
}

}  // namespace

std::string DateField(const UtcTime& time) {
  std::string year;
  AppendNumber(year, time.year, 2);
  std::string date = year.size() > 2 ? year.substr(2, 2) : std::string();
  AppendNumber(date, time.month, 2);
  AppendNumber(date, time.day, 2);
  return date;
}

std::string HourField(const UtcTime& time) {
  std::string hour;
  hour.reserve(10);
  AppendNumber(hour, time.hour, 2);
  AppendNumber(hour, time.minute, 2);
  AppendNumber(hour, time.second, 2);
  hour += '.';
  AppendNumber(hour, time.millisecond, 3);
  return hour;
}

std::string ReportStamp(const UtcTime& time) {
  std::string stamp;
  stamp.reserve(19);
  AppendNumber(stamp, time.day, 2);
  stamp += '/';
  AppendNumber(stamp, time.month, 2);
  stamp += '/';
  AppendNumber(stamp, time.year, 1);
  stamp += ' ';
  AppendNumber(stamp, time.hour, 2);
  stamp += ':';
  AppendNumber(stamp, time.minute, 2);
  stamp += ':';
  AppendNumber(stamp, time.second, 2);
  return stamp;
}

std::string StatusStamp(const UtcTime& time) {
  std::string stamp;
  stamp.reserve(14);
  AppendNumber(stamp, time.day, 2);
  stamp += '/';
  AppendNumber(stamp, time.month, 2);
  stamp += ' ';
  AppendNumber(stamp, time.hour, 2);
  stamp += ':';
  AppendNumber(stamp, time.minute, 2);
  stamp += ':';
  AppendNumber(stamp, time.second, 2);
  return stamp;
}

std::string PadAddress(std::string_view address) {
  std::string padded(address);
  for (std::size_t width = 2; width <= 7; ++width) {
    if (padded.size() < width) {
      padded.insert(padded.begin(), '.');
    }
  }
  return padded;
}

bool IsValidAddress(std::string_view address) {
  for (const char c : address) {
    if (!IsAddressCharacter(c)) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> TagValue(std::string_view record, std::string_view tag, std::size_t width) {
  const auto at = record.find(tag);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(TrimBlanks(record.substr(at + tag.size(), width)));
}

std::optional<ReadMessage> ReadTextRecord(std::string_view record, const UtcTime& now,
                                          const reference::ReferenceTables& tables, std::string& currentLabel) {
  ReadMessage message;
  MessageRecord& fields = message.record;
  fields.Date = DateField(now);
  fields.Hour = HourField(now);
  message.reportStamp = ReportStamp(now);
  message.statusStamp = StatusStamp(now);

  auto mode = TagValue(record, "M=", 2);
  if (!mode) {
    return std::nullopt;
  }
  fields.Mode = std::move(*mode);

  auto address = TagValue(record, "ADDR=", 7);
  if (!address || !IsValidAddress(*address)) {
    return std::nullopt;
  }
  fields.Address = std::move(*address);
  message.PaddedAddress = PadAddress(fields.Address);

  if (record.find("TA=") == std::string_view::npos) {
    return std::nullopt;
  }

  auto label = TagValue(record, "ML=", 2);
  if (!label) {
    return std::nullopt;
  }
  currentLabel = *label;
  fields.Label = label->size() >= 2 && (*label)[1] == kDelete ? std::string(kUplinkAckLabel) : std::move(*label);
  message.LabelText = tables.LabelDescription(fields.Label);

  auto bloc = TagValue(record, "B=", 1);
  if (!bloc) {
    return std::nullopt;
  }
  fields.Bloc = std::move(*bloc);
  fields.Msn = TagValue(record, "MSN=", 4).value_or(std::string());
  fields.Flight = TagValue(record, "FID=", 6).value_or(std::string());

  const auto lineEnd = record.find(kCrLf);
  if (lineEnd != std::string_view::npos) {
    fields.Data = std::string(TrimBlanks(record.substr(lineEnd + kCrLf.size())));
  }

  if (fields.Label == kTerminalLabel) {
    AppendTerminalCode(message.LabelText, fields.Data, tables);
  }
  return message;
}

}  // namespace corvane::decoding
