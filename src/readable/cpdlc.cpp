// Reading a FANS-1/A CPDLC message out of its packed bits (ASN.1 packed
// encoding rules, unaligned: fields follow each other bit by bit, big-endian,
// an optional field announced by one bit, a constrained number in as many
// bits as its range needs, a choice by its index).
//
// Message: one bit (more elements follow the first), the header, the first
// element, then (when announced) the count of further elements less one in
// 2 bits and those elements. Header: a bit each for the reference number and
// the timestamp, the message number (6 bits), the reference number (6 bits),
// the timestamp (hours 5, minutes 6, seconds 6). Element: its number (8
// bits), then its parameters in the order the element's words give them.
//
// Only the parameter forms that the traffic we have seen confirms bit for
// bit are read; an element with any other form leaves the message with its
// header only, and so does a message whose bits do not end where its last
// element does (at most 7 zero bits of padding).
#include "readable/cpdlc.h"

#include <array>

namespace corvane::readable::cpdlc {

namespace {

// Big-endian bits of the data. A read past the end gives 0 and marks the
// reader overrun, so a cut message is refused, never read beyond its data.
class Bits {
 public:
  explicit Bits(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint32_t Read(int count) {
    if (static_cast<std::size_t>(count) > Left()) {
      overrun_ = true;
      position_ = data_.size() * 8;
      return 0;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const unsigned bit = (data_[position_ / 8] >> (7 - position_ % 8)) & 1U;
      value = value << 1 | bit;
      ++position_;
    }
    return value;
  }

  bool Flag() { return Read(1) != 0; }
  [[nodiscard]] std::size_t Left() const { return data_.size() * 8 - position_; }
  [[nodiscard]] bool Overrun() const { return overrun_; }

  // Whether what is left is the padding to the byte's end: fewer than 8
  // bits, all zero.
  bool AtPadding() {
    const auto left = static_cast<int>(Left());
    return !overrun_ && left < 8 && Read(left) == 0;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  bool overrun_ = false;
};

using Words = std::optional<std::string>;

// The number in at least `width` digits, zeros in front: 7, 2 -> "07".
std::string ZeroPadded(unsigned value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) {
    digits.insert(0, width - digits.size(), '0');
  }
  return digits;
}

// IA5 (7-bit ASCII) characters; only printable ones are taken.
Words Characters(Bits& bits, std::uint32_t count) {
  std::string text;
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto c = static_cast<char>(bits.Read(7));
    if (c < ' ' || c > '~') {
      return std::nullopt;
    }
    text += c;
  }
  return text;
}

// Flight level (choice 6 of the altitude forms, 30 to 600 in 10 bits);
// the other forms (QNH and QFE feet and metres, GNSS, metric flight
// level) are not read.
Words Altitude(Bits& bits, Reading& facts) {
  constexpr std::uint32_t kFlightLevel = 6;
  if (bits.Read(3) != kFlightLevel) {
    return std::nullopt;
  }
  const std::uint32_t level = bits.Read(10) + 30;
  if (level > 600) {
    return std::nullopt;
  }
  if (!facts.altitudeFeet) {
    facts.altitudeFeet = static_cast<int>(level) * 100;
  }
  return "FL" + ZeroPadded(level, 3);
}

// Fix name (1-5 characters), navaid (1-4) or airport (4): choices 0 to 2
// of the position forms; latitude/longitude and place-bearing-distance are
// not read.
Words Position(Bits& bits, Reading& facts) {
  Words name;
  switch (bits.Read(3)) {
    case 0: {
      const std::uint32_t length = bits.Read(3) + 1;
      name = length <= 5 ? Characters(bits, length) : std::nullopt;
      break;
    }
    case 1:
      name = Characters(bits, bits.Read(2) + 1);
      break;
    case 2:
      name = Characters(bits, 4);
      break;
    default:
      return std::nullopt;
  }
  if (name && facts.position.empty()) {
    facts.position = *name;
  }
  return name;
}

// Hours (5 bits) and minutes (6 bits): "0510Z".
Words Time(Bits& bits) {
  const std::uint32_t hours = bits.Read(5);
  const std::uint32_t minutes = bits.Read(6);
  if (hours > 23 || minutes > 59) {
    return std::nullopt;
  }
  return ZeroPadded(hours, 2) + ZeroPadded(minutes, 2) + 'Z';
}

// Nautical miles, 1 to 128 in 7 bits (choice 0); kilometres not read.
Words DistanceOffset(Bits& bits) {
  if (bits.Flag()) {
    return std::nullopt;
  }
  return std::to_string(bits.Read(7) + 1) + " NM";
}

Words Direction(Bits& bits) {
  static constexpr std::array<const char*, 11> kDirections = {"LEFT",       "RIGHT",      "EITHER SIDE", "NORTH",
                                                              "SOUTH",      "EAST",       "WEST",        "NORTH EAST",
                                                              "NORTH WEST", "SOUTH EAST", "SOUTH WEST"};
  const std::uint32_t direction = bits.Read(4);
  if (direction >= kDirections.size()) {
    return std::nullopt;
  }
  return kDirections[direction];
}

// HF (choice 0): kilohertz above 2,850 in 15 bits, "5628 KHZ"; VHF
// (choice 1): kilohertz above 117,000 in 15 bits, "132.500". UHF and
// satellite channels are not read.
Words Frequency(Bits& bits, Reading& facts) {
  constexpr std::uint32_t kHf = 0;
  constexpr std::uint32_t kVhf = 1;
  const std::uint32_t choice = bits.Read(2);
  if (choice != kHf && choice != kVhf) {
    return std::nullopt;
  }
  const std::uint32_t kilohertz = bits.Read(15) + (choice == kHf ? 2850 : 117000);
  if (kilohertz > (choice == kHf ? 28000U : 138000U)) {
    return std::nullopt;
  }
  if (!facts.frequencyKhz) {
    facts.frequencyKhz = static_cast<int>(kilohertz);
  }
  if (choice == kHf) {
    return std::to_string(kilohertz) + " KHZ";
  }
  return std::to_string(kilohertz / 1000) + '.' + ZeroPadded(kilohertz % 1000, 3);
}

Words FacilityDesignation(Bits& bits, Reading& facts) {
  Words facility = Characters(bits, 4);
  if (facility && facts.facility.empty()) {
    facts.facility = *facility;
  }
  return facility;
}

// A unit: its facility designation (choice 0) or name (choice 1, 3 to 18
// characters), then its function: "EDMONTON CENTER".
Words UnitName(Bits& bits, Reading& facts) {
  static constexpr std::array<const char*, 8> kFunctions = {"CENTER", "APPROACH", "TOWER",     "FINAL",
                                                            "GROUND", "DELIVERY", "DEPARTURE", "CONTROL"};
  Words unit = bits.Flag() ? Characters(bits, bits.Read(4) + 3) : Characters(bits, 4);
  if (!unit) {
    return std::nullopt;
  }
  *unit += ' ';
  *unit += kFunctions[bits.Read(3)];
  if (facts.unitName.empty()) {
    facts.unitName = *unit;
  }
  return unit;
}

// 1 to 256 characters, the count less one in 8 bits.
Words FreeText(Bits& bits) { return Characters(bits, bits.Read(8) + 1); }

// Four octal digits, 3 bits each.
Words BeaconCode(Bits& bits, Reading& facts) {
  std::string code;
  for (int i = 0; i < 4; ++i) {
    code += static_cast<char>('0' + bits.Read(3));
  }
  if (facts.squawk.empty()) {
    facts.squawk = code;
  }
  return code;
}

// The CPDLC version the aircraft speaks, 0 to 15.
Words VersionNumber(Bits& bits) { return "VERSION " + std::to_string(bits.Read(4)); }

// Which of the two transport tables (A or B) the facility uses.
Words Tp4Table(Bits& bits) { return bits.Flag() ? "TP4 TABLE B" : "TP4 TABLE A"; }

// The error a message reports, as its number: 5 bits, the width that leaves
// every error message of the capture ending in clean padding (a disconnect
// gives 3 or 7). The numbers are not put in words.
Words ErrorInformation(Bits& bits) { return std::to_string(bits.Read(5)); }

Words Parameter(Param param, Bits& bits, Reading& facts) {
  switch (param) {
    case Param::kAltitude:
      return Altitude(bits, facts);
    case Param::kPosition:
      return Position(bits, facts);
    case Param::kTime:
      return Time(bits);
    case Param::kDistanceOffset:
      return DistanceOffset(bits);
    case Param::kDirection:
      return Direction(bits);
    case Param::kFrequency:
      return Frequency(bits, facts);
    case Param::kUnitName:
      return UnitName(bits, facts);
    case Param::kFacility:
      return FacilityDesignation(bits, facts);
    case Param::kFreeText:
      return FreeText(bits);
    case Param::kBeaconCode:
      return BeaconCode(bits, facts);
    case Param::kVersionNumber:
      return VersionNumber(bits);
    case Param::kTp4Table:
      return Tp4Table(bits);
    case Param::kErrorInformation:
      return ErrorInformation(bits);
    default:
      return std::nullopt;
  }
}

// The element's words with its parameters in their places; nothing when a
// parameter is not read or runs past the data.
Words Element(const ElementForm& form, Bits& bits, Reading& facts) {
  std::string words;
  std::size_t param = 0;
  for (const char* c = form.words; *c != '\0'; ++c) {
    if (*c != '@') {
      words += *c;
      continue;
    }
    const Words value = Parameter(form.params.at(param++), bits, facts);
    if (!value || bits.Overrun()) {
      return std::nullopt;
    }
    words += *value;
  }
  return words;
}

// The elements after the header into reading; false (reading untouched)
// when any of them is not read.
bool ReadElements(Bits& bits, Link link, bool moreElements, Reading& reading) {
  Reading read = reading;
  const char* prefix = link == Link::kUplink ? "UM" : "DM";
  int count = 1;
  for (int i = 0; i < count; ++i) {
    const auto number = static_cast<int>(bits.Read(8));
    const ElementForm* form = FindElement(link, number);
    if (form == nullptr || bits.Overrun()) {
      return false;
    }
    Words words = Element(*form, bits, read);
    if (!words) {
      return false;
    }
    read.elementIds.push_back(prefix + std::to_string(number));
    read.elementTexts.push_back(std::move(*words));
    if (i == 0 && moreElements) {
      count += static_cast<int>(bits.Read(2)) + 1;
    }
  }
  if (!bits.AtPadding()) {
    return false;
  }
  reading = std::move(read);
  return true;
}

}  // namespace

std::optional<Reading> ReadMessage(std::span<const std::uint8_t> data, std::optional<Link> link) {
  Bits bits(data);
  const bool moreElements = bits.Flag();
  const bool hasReference = bits.Flag();
  const bool hasTimestamp = bits.Flag();
  Reading reading;
  reading.messageId = static_cast<int>(bits.Read(6));
  if (hasReference) {
    reading.referenceId = static_cast<int>(bits.Read(6));
  }
  if (hasTimestamp) {
    Timestamp time;
    time.hours = static_cast<int>(bits.Read(5));
    time.minutes = static_cast<int>(bits.Read(6));
    time.seconds = static_cast<int>(bits.Read(6));
    if (time.hours > 23 || time.minutes > 59 || time.seconds > 59) {
      return std::nullopt;
    }
    reading.timestamp = time;
  }
  if (bits.Overrun()) {
    return std::nullopt;
  }
  if (link) {
    ReadElements(bits, *link, moreElements, reading);
  }
  return reading;
}

void AddFields(const Reading& reading, Builder& out) {
  out.Number("cpdlc_message_id", "Message number", reading.messageId, "");
  if (reading.referenceId) {
    out.Number("cpdlc_reference_id", "Answers message", *reading.referenceId, "");
  }
  if (reading.timestamp) {
    const auto& [hours, minutes, seconds] = *reading.timestamp;
    out.Time("sent_time", "Sent",
             ZeroPadded(static_cast<unsigned>(hours), 2) + ':' + ZeroPadded(static_cast<unsigned>(minutes), 2) + ':' +
                 ZeroPadded(static_cast<unsigned>(seconds), 2));
  }
  if (reading.elementIds.empty()) {
    return;
  }
  out.Names("cpdlc_elements", "Elements", reading.elementIds);
  out.Lines("cpdlc_text", "Message", reading.elementTexts);
  if (reading.altitudeFeet) {
    out.Number("cpdlc_altitude_ft", "Altitude named", *reading.altitudeFeet, "ft");
  }
  if (!reading.position.empty()) {
    out.Text("cpdlc_position", "Position named", reading.position);
  }
  if (!reading.unitName.empty()) {
    out.Text("cpdlc_unit", "Unit", reading.unitName);
  }
  if (reading.frequencyKhz) {
    out.Megahertz(*reading.frequencyKhz);
  }
  if (!reading.facility.empty()) {
    out.Text("cpdlc_facility", "Facility", reading.facility);
  }
  if (!reading.squawk.empty()) {
    out.Text("transponder_code", "Squawk", reading.squawk);
  }
}

}  // namespace corvane::readable::cpdlc
