// Reading a card text record: tag search, field checks, label substitution and
// the readable label text.
#include "decoding/text_record.h"

#include <array>

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
  constexpr std::string_view kSeparator = " - ";
  const std::size_t before = labelText.size();
  labelText += kSeparator;
  tables.AppendCodeDescription(data.substr(1, 2), labelText);
  if (labelText.size() == before + kSeparator.size()) {
    labelText.resize(before);  // no description: no separator either
  }
}

// The address with "." in front up to 7 characters (an empty one gives six:
// the padding starts from a width of 2).
void SetPaddedAddress(std::string_view address, std::string& padded) {
  constexpr std::size_t kWidth = 7;
  const std::size_t points = address.size() >= kWidth ? 0 : address.empty() ? kWidth - 1 : kWidth - address.size();
  padded.assign(points, '.');
  padded += address;
}

// Two digits of a value from 0 to 99.
void PutTwoDigits(char* out, int value) {
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
}

bool InTwoDigits(int value) { return value >= 0 && value <= 99; }

// A clock reading every stamp writes in fixed widths: a four-digit year and
// two-digit parts. Anything else goes through the general formatting.
bool HasUsualRanges(const UtcTime& t) {
  return t.year >= 1000 && t.year <= 9999 && InTwoDigits(t.month) && InTwoDigits(t.day) && InTwoDigits(t.hour) &&
         InTwoDigits(t.minute) && InTwoDigits(t.second) && t.millisecond >= 0 && t.millisecond <= 999;
}

// The four stamps of one clock reading, written into the message's strings.
// This runs for every record, so the usual case writes fixed-width digits in
// place; it gives the same texts as DateField, HourField and the stamps.
void SetStamps(const UtcTime& now, ReadMessage& message) {
  if (!HasUsualRanges(now)) {
    message.record.Date = DateField(now);
    message.record.Hour = HourField(now);
    message.reportStamp = ReportStamp(now);
    message.statusStamp = StatusStamp(now);
    return;
  }
  char date[6];
  PutTwoDigits(date, now.year % 100);
  PutTwoDigits(date + 2, now.month);
  PutTwoDigits(date + 4, now.day);
  message.record.Date.assign(date, sizeof date);

  char hour[] = "HHMMSS.mmm";
  PutTwoDigits(hour, now.hour);
  PutTwoDigits(hour + 2, now.minute);
  PutTwoDigits(hour + 4, now.second);
  hour[7] = static_cast<char>('0' + now.millisecond / 100);
  PutTwoDigits(hour + 8, now.millisecond % 100);
  message.record.Hour.assign(hour, sizeof hour - 1);

  char report[] = "DD/MM/YYYY HH:MM:SS";
  PutTwoDigits(report, now.day);
  PutTwoDigits(report + 3, now.month);
  PutTwoDigits(report + 6, now.year / 100);
  PutTwoDigits(report + 8, now.year % 100);
  PutTwoDigits(report + 11, now.hour);
  PutTwoDigits(report + 14, now.minute);
  PutTwoDigits(report + 17, now.second);
  message.reportStamp.assign(report, sizeof report - 1);
  // The status stamp is the report stamp without the year.
  message.statusStamp.assign(report, 5);
  message.statusStamp.append(report + 10, 9);
}

// The header tags, each found by its first occurrence anywhere in the record.
enum Tag : std::size_t { kModeTag, kAddressTag, kAcknowledgeTag, kLabelTag, kBlockTag, kMsnTag, kFlightTag, kTagCount };
constexpr std::array<std::string_view, kTagCount> kTags = {"M=", "ADDR=", "TA=", "ML=", "B=", "MSN=", "FID="};

// The tag that can end at an "=" preceded by this character: every tag ends
// in "=" and no two share the character before it.
std::size_t TagEndingWith(char beforeEquals) {
  switch (beforeEquals) {
    case 'M':
      return kModeTag;
    case 'R':
      return kAddressTag;
    case 'A':
      return kAcknowledgeTag;
    case 'L':
      return kLabelTag;
    case 'B':
      return kBlockTag;
    case 'N':
      return kMsnTag;
    case 'D':
      return kFlightTag;
    default:
      return kTagCount;
  }
}

// Where each tag first occurs (npos when it does not), in one pass over the
// record's "=" signs instead of one search per tag: an occurrence of a tag
// ends at an "=", so the first "=" a tag ends at is its first occurrence.
std::array<std::size_t, kTagCount> FindTags(std::string_view record) {
  std::array<std::size_t, kTagCount> at;
  at.fill(std::string_view::npos);
  std::size_t missing = kTagCount;
  for (std::size_t equals = record.find('='); equals != std::string_view::npos && missing > 0;
       equals = record.find('=', equals + 1)) {
    if (equals == 0) {
      continue;
    }
    const std::size_t tag = TagEndingWith(record[equals - 1]);
    if (tag == kTagCount || at[tag] != std::string_view::npos) {
      continue;
    }
    const std::string_view name = kTags[tag];
    const std::size_t start = equals + 1 - name.size();
    if (equals + 1 >= name.size() && record.substr(start, name.size()) == name) {
      at[tag] = start;
      --missing;
    }
  }
  return at;
}

// The value of a tag found at `at`: up to width characters after it, spaces
// trimmed; none when the tag does not occur.
std::optional<std::string_view> ValueAt(std::string_view record, const std::array<std::size_t, kTagCount>& at, Tag tag,
                                        std::size_t width) {
  if (at[tag] == std::string_view::npos) {
    return std::nullopt;
  }
  return TrimBlanks(record.substr(at[tag] + kTags[tag].size(), width));
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
  std::string padded;
  SetPaddedAddress(address, padded);
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

std::optional<std::string_view> TagView(std::string_view record, std::string_view tag, std::size_t width) {
  const auto at = record.find(tag);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  return TrimBlanks(record.substr(at + tag.size(), width));
}

std::optional<std::string> TagValue(std::string_view record, std::string_view tag, std::size_t width) {
  if (const auto value = TagView(record, tag, width)) {
    return std::string(*value);
  }
  return std::nullopt;
}

std::optional<ReadMessage> ReadTextRecord(std::string_view record, const UtcTime& now,
                                          const reference::ReferenceTables& tables, std::string& currentLabel) {
  ReadMessage message;
  if (!ReadTextRecordInto(record, now, tables, currentLabel, message)) {
    return std::nullopt;
  }
  return message;
}

bool ReadTextRecordInto(std::string_view record, const UtcTime& now, const reference::ReferenceTables& tables,
                        std::string& currentLabel, ReadMessage& message) {
  MessageRecord& fields = message.record;
  SetStamps(now, message);
  const auto tags = FindTags(record);

  const auto mode = ValueAt(record, tags, kModeTag, 2);
  if (!mode) {
    return false;
  }
  fields.Mode.assign(*mode);

  const auto address = ValueAt(record, tags, kAddressTag, 7);
  if (!address || !IsValidAddress(*address)) {
    return false;
  }
  fields.Address.assign(*address);
  SetPaddedAddress(*address, message.PaddedAddress);

  if (tags[kAcknowledgeTag] == std::string_view::npos) {
    return false;
  }

  const auto label = ValueAt(record, tags, kLabelTag, 2);
  if (!label) {
    return false;
  }
  currentLabel.assign(*label);
  fields.Label.assign(label->size() >= 2 && (*label)[1] == kDelete ? kUplinkAckLabel : *label);
  message.LabelText.clear();
  tables.AppendLabelDescription(fields.Label, message.LabelText);

  const auto bloc = ValueAt(record, tags, kBlockTag, 1);
  if (!bloc) {
    return false;
  }
  fields.Bloc.assign(*bloc);
  fields.Msn.assign(ValueAt(record, tags, kMsnTag, 4).value_or(std::string_view()));
  fields.Flight.assign(ValueAt(record, tags, kFlightTag, 6).value_or(std::string_view()));

  const auto lineEnd = record.find(kCrLf);
  fields.Data.assign(lineEnd == std::string_view::npos ? std::string_view()
                                                       : TrimBlanks(record.substr(lineEnd + kCrLf.size())));

  if (fields.Label == kTerminalLabel) {
    AppendTerminalCode(message.LabelText, fields.Data, tables);
  }
  return true;
}

}  // namespace corvane::decoding
