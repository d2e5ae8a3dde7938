// ADS-C and CPDLC carried as ACARS text, in the envelope
// "/QXHADS2.ADS.N945JT0309071E18866CDF40AE83040DFF76": "/", the ground
// station's 7-character address, ".", the 3-letter application (ADS, AT1,
// CR1, CC1, DR1, DIS), the registration right-aligned in 7 characters
// (left-filled with "."), the application's binary data in hex, and a
// 4-hex-digit checksum. The terminal (H1) spelling puts a prefix before it:
// "#M1B/B6 QXHADS2.ADS...", "- #MD/AA YWGE2YA.AT1...".
//
// The checksum is CRC-16 (polynomial 0x1021, start 0xFFFF, not reflected,
// result inverted, sent high byte first) over the application letters, the
// 7-character registration and the data bytes; a message that fails it was
// received damaged and gives nothing. Of the data the ADS-C downlink report
// groups are read here and the CPDLC messages in cpdlc.cpp; the contract
// requests are named, not read.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "readable/cpdlc.h"
#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

enum class Direction { kUnknown, kUplink, kDownlink };

struct Envelope {
  std::string_view groundStation;  // "QXHADS2"
  std::string_view application;    // "ADS"
  std::string_view registration;   // ".N945JT", as sent
  std::string_view data;           // hex digits, checksum removed
  Direction direction = Direction::kUnknown;
};

constexpr std::size_t kAddressLength = 7;
constexpr std::size_t kApplicationLength = 3;
constexpr std::size_t kRegistrationLength = 7;
constexpr std::size_t kChecksumDigits = 4;
// Address, ".", application, registration, checksum.
constexpr std::size_t kShortestEnvelope =
    kAddressLength + 1 + kApplicationLength + kRegistrationLength + kChecksumDigits;

bool IsCapitalOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool AllCapitalsOrDigits(std::string_view text) {
  for (const char c : text) {
    if (!IsCapitalOrDigit(c)) {
      return false;
    }
  }
  return true;
}

// Each byte's value as a capital hex digit, -1 for any other byte: one
// lookup a digit, as an envelope's data is checked and read digit by digit.
constexpr std::array<std::int8_t, 256> kHexValues = [] {
  std::array<std::int8_t, 256> values{};
  for (std::size_t c = 0; c < values.size(); ++c) {
    values[c] = c >= '0' && c <= '9'   ? static_cast<std::int8_t>(c - '0')
                : c >= 'A' && c <= 'F' ? static_cast<std::int8_t>(c - 'A' + 10)
                                       : std::int8_t{-1};
  }
  return values;
}();

int HexValue(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

bool AllHex(std::string_view text) {
  for (const char c : text) {
    if (HexValue(c) < 0) {
      return false;
    }
  }
  return true;
}

// ".N945JT", "..GGSVI", "B-17801": dots, then a registration of capitals,
// digits and hyphens.
bool IsPaddedRegistration(std::string_view field) {
  std::size_t dots = 0;
  while (dots < field.size() && field[dots] == '.') {
    ++dots;
  }
  if (dots == field.size()) {
    return false;
  }
  for (const char c : field.substr(dots)) {
    if (!IsCapitalOrDigit(c) && c != '-') {
      return false;
    }
  }
  return true;
}

Direction DirectionOfLabel(std::string_view label) {
  if (label == "A6" || label == "AA") {
    return Direction::kUplink;
  }
  if (label == "B6" || label == "BA") {
    return Direction::kDownlink;
  }
  return Direction::kUnknown;
}

// An aircraft numbers its blocks 0 to 9, the ground station lettered A to
// Z: the direction of a text whose label does not say it (an envelope under
// H1 without its sublabel).
Direction DirectionOfBlock(std::string_view blockId) {
  if (blockId.size() != 1) {
    return Direction::kUnknown;
  }
  const char id = blockId[0];
  if (id >= '0' && id <= '9') {
    return Direction::kDownlink;
  }
  return (id >= 'A' && id <= 'Z') || (id >= 'a' && id <= 'z') ? Direction::kUplink : Direction::kUnknown;
}

// Where the envelope starts after a terminal prefix: "#M1B/B6 QXH...",
// "#MD/AA YWG..." or "#M2BANPD3XA...", and the sublabel the prefix names
// (empty if none). npos when the text starts no such way.
std::size_t AfterTerminalPrefix(std::string_view text, std::string_view& sublabel) {
  // "#M" and one character, then "B" on downlinks.
  if (text.size() < 5 || !text.starts_with("#M") || !IsCapitalOrDigit(text[2])) {
    return std::string_view::npos;
  }
  std::size_t at = 3;
  if (text[at] == 'B' && text[at + 1] == '/') {
    ++at;
  }
  if (text[at] == '/') {
    // "/B6 ": the sublabel and a space.
    if (text.size() < at + 4 || !IsCapitalOrDigit(text[at + 1]) || !IsCapitalOrDigit(text[at + 2]) ||
        text[at + 3] != ' ') {
      return std::string_view::npos;
    }
    sublabel = text.substr(at + 1, 2);
    return at + 4;
  }
  // No sublabel: the address follows at once, perhaps after the "B".
  if (text.size() > at + kAddressLength && text[at + kAddressLength] == '.') {
    return at;
  }
  if (text[at] == 'B' && text.size() > at + 1 + kAddressLength && text[at + 1 + kAddressLength] == '.') {
    return at + 1;
  }
  return std::string_view::npos;
}

// Where the envelope starts after the relayed terminal prefix of label HX,
// "H1 MBB /AA ": the inner label H1, three characters, the sublabel and a
// space. npos when the text starts no such way.
std::size_t AfterRelayPrefix(std::string_view text, std::string_view& sublabel) {
  constexpr std::string_view kInnerLabel = "H1 ";
  constexpr std::size_t kSublabelAt = 8;  // after "H1 MBB /"
  if (text.size() <= kSublabelAt + 3 || !text.starts_with(kInnerLabel) || !AllCapitalsOrDigits(text.substr(3, 3)) ||
      text.substr(6, 2) != " /" || !AllCapitalsOrDigits(text.substr(kSublabelAt, 2)) || text[kSublabelAt + 2] != ' ') {
    return std::string_view::npos;
  }
  sublabel = text.substr(kSublabelAt, 2);
  return kSublabelAt + 3;
}

// Where the envelope starts: after "/", at once ("USADCXA.AT1..."), after
// a relayed prefix, or after a terminal prefix, itself perhaps after "- "
// on uplinks. npos when the text starts no such way.
std::size_t EnvelopeStart(std::string_view text, std::string_view& sublabel) {
  if (!text.empty() && text[0] == '/') {
    return 1;
  }
  if (const std::size_t relayed = AfterRelayPrefix(text, sublabel); relayed != std::string_view::npos) {
    return relayed;
  }
  if (text.size() > kAddressLength && text[kAddressLength] == '.' && IsCapitalOrDigit(text[0])) {
    return 0;
  }
  const std::size_t dash = text.starts_with("- ") ? 2 : 0;
  const std::size_t start = AfterTerminalPrefix(text.substr(dash), sublabel);
  return start == std::string_view::npos ? start : start + dash;
}

// The envelope's pieces when their shapes fit; the checksum is not yet checked.
std::optional<Envelope> SplitEnvelope(const Message& message) {
  std::string_view sublabel;
  std::string_view text = message.text;
  const std::size_t start = EnvelopeStart(text, sublabel);
  if (start == std::string_view::npos) {
    return std::nullopt;
  }
  text.remove_prefix(start);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  if (text.size() < kShortestEnvelope || text[kAddressLength] != '.') {
    return std::nullopt;
  }
  Envelope envelope;
  envelope.groundStation = text.substr(0, kAddressLength);
  envelope.application = text.substr(kAddressLength + 1, kApplicationLength);
  envelope.registration = text.substr(kAddressLength + 1 + kApplicationLength, kRegistrationLength);
  const std::string_view hex = text.substr(kAddressLength + 1 + kApplicationLength + kRegistrationLength);
  if (!AllCapitalsOrDigits(envelope.groundStation) || !AllCapitalsOrDigits(envelope.application) ||
      !IsPaddedRegistration(envelope.registration) || hex.size() % 2 != 0 || !AllHex(hex)) {
    return std::nullopt;
  }
  envelope.data = hex.substr(0, hex.size() - kChecksumDigits);
  if (sublabel.empty()) {
    sublabel = message.sublabel.empty() ? message.label : message.sublabel;
  }
  envelope.direction = DirectionOfLabel(sublabel);
  if (envelope.direction == Direction::kUnknown) {
    envelope.direction = DirectionOfBlock(message.blockId);
  }
  return envelope;
}

std::uint8_t HexByte(std::string_view hex, std::size_t index) {
  return static_cast<std::uint8_t>(HexValue(hex[2 * index]) * 16 + HexValue(hex[2 * index + 1]));
}

// The checksum over application, registration and data against the one sent.
bool ChecksumAgrees(const Envelope& envelope, std::string_view sent) {
  std::uint16_t crc = 0xFFFF;
  for (const char c : envelope.application) {
    crc = CcittCrcStep(crc, static_cast<std::uint8_t>(c));
  }
  for (const char c : envelope.registration) {
    crc = CcittCrcStep(crc, static_cast<std::uint8_t>(c));
  }
  for (std::size_t i = 0; i < envelope.data.size() / 2; ++i) {
    crc = CcittCrcStep(crc, HexByte(envelope.data, i));
  }
  crc = static_cast<std::uint16_t>(~crc);
  return crc == (HexByte(sent, 0) << 8 | HexByte(sent, 1));
}

// Reads big-endian bit fields out of a run of hex digits.
class BitReader {
 public:
  explicit BitReader(std::string_view hex) : hex_(hex) {}

  [[nodiscard]] std::size_t BitsLeft() const { return hex_.size() * 4 - position_; }

  // The next `count` (at most 32) bits as an unsigned number; call only when
  // BitsLeft() allows.
  // Taken a hex digit (or what is left of one) at a time.
  std::uint32_t Unsigned(int count) {
    std::uint32_t value = 0;
    while (count > 0) {
      const int used = static_cast<int>(position_ % 4);  // bits of this digit already read
      const int take = std::min(4 - used, count);
      const auto digit = static_cast<std::uint32_t>(HexValue(hex_[position_ / 4]));
      value = value << take | ((digit >> (4 - used - take)) & ((1U << take) - 1));
      position_ += static_cast<std::size_t>(take);
      count -= take;
    }
    return value;
  }

  // Two's complement.
  std::int32_t Signed(int count) {
    const std::uint32_t value = Unsigned(count);
    const std::uint32_t sign = 1U << (count - 1);
    return static_cast<std::int32_t>(value & (sign - 1)) - static_cast<std::int32_t>(value & sign);
  }

  void Skip(int count) { position_ += static_cast<std::size_t>(count); }

 private:
  std::string_view hex_;
  std::size_t position_ = 0;
};

// Latitude or longitude: 21 bits, two's complement, 180/2^20 degrees a unit.
double Coordinate(BitReader& bits) { return bits.Signed(21) * (180.0 / 1048576.0); }

// Altitude: 16 bits, two's complement, 4 ft a unit.
double AltitudeFeet(BitReader& bits) { return bits.Signed(16) * 4.0; }

// A direction (12 bits, 180/2048 degrees a unit, signed) as 0-360 degrees.
double DirectionDegrees(BitReader& bits) {
  const double degrees = bits.Signed(12) * (180.0 / 2048.0);
  return degrees < 0 ? degrees + 360.0 : degrees;
}

bool PlausiblePosition(double latitude, double longitude) {
  return latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude < 180;
}

// The groups of an ADS-C downlink, each a tag byte and a fixed length.
constexpr int kAcknowledgement = 3;
constexpr int kNegativeAcknowledgement = 4;
constexpr int kNoncompliance = 5;
constexpr int kEmergencyCancelled = 6;
constexpr int kBasicReport = 7;
constexpr int kEmergencyReport = 9;
constexpr int kLateralDeviationEvent = 10;
constexpr int kFlightId = 12;
constexpr int kPredictedRoute = 13;
constexpr int kEarthReference = 14;
constexpr int kAirReference = 15;
constexpr int kMeteorological = 16;
constexpr int kVerticalRateEvent = 18;
constexpr int kAltitudeRangeEvent = 19;
constexpr int kWaypointChangeEvent = 20;

Kind ReportKind(int tag) {
  switch (tag) {
    case kNoncompliance:
      return Kind::kAdscNoncompliance;
    case kEmergencyCancelled:
      return Kind::kAdscEmergencyCancelled;
    case kEmergencyReport:
      return Kind::kAdscEmergencyReport;
    case kLateralDeviationEvent:
      return Kind::kAdscLateralDeviationEvent;
    case kVerticalRateEvent:
      return Kind::kAdscVerticalRateEvent;
    case kAltitudeRangeEvent:
      return Kind::kAdscAltitudeRangeEvent;
    case kWaypointChangeEvent:
      return Kind::kAdscWaypointChangeEvent;
    default:
      return Kind::kAdscReport;
  }
}

// Basic report (10 bytes): latitude, longitude, altitude, then the time in
// eighths of a second past the hour; the figure of merit is not read.
bool BasicReport(BitReader& bits, Builder& out) {
  const double latitude = Coordinate(bits);
  const double longitude = Coordinate(bits);
  const double altitude = AltitudeFeet(bits);
  const double seconds = bits.Unsigned(15) / 8.0;
  bits.Skip(7);
  if (!PlausiblePosition(latitude, longitude) || seconds >= 3600) {
    return false;
  }
  out.Position(latitude, longitude);
  out.Altitude(altitude);
  out.Number("time_past_hour_s", "Time past the hour", seconds, "s");
  return true;
}

// Flight ID (6 bytes): eight 6-bit characters, letters stored less 64.
bool FlightId(BitReader& bits, Builder& out) {
  char flight[8];
  std::size_t length = 0;
  for (char& c : flight) {
    const auto code = static_cast<char>(bits.Unsigned(6));
    c = code < 32 ? static_cast<char>(code + 64) : code;
    if (!IsCapitalOrDigit(c) && c != ' ') {
      return false;
    }
    if (c != ' ') {
      length = static_cast<std::size_t>(&c - flight) + 1;
    }
  }
  if (length == 0) {
    return false;
  }
  out.Text("flight", "Flight", std::string(flight, length));
  return true;
}

// Predicted route (17 bytes): the next point (position, altitude, seconds to
// go) and the one after it (position, altitude).
bool PredictedRoute(BitReader& bits, Builder& out) {
  const double nextLatitude = Coordinate(bits);
  const double nextLongitude = Coordinate(bits);
  const double nextAltitude = AltitudeFeet(bits);
  const double secondsToGo = bits.Unsigned(14);
  const double thenLatitude = Coordinate(bits);
  const double thenLongitude = Coordinate(bits);
  const double thenAltitude = AltitudeFeet(bits);
  bits.Skip(6);
  if (!PlausiblePosition(nextLatitude, nextLongitude) || !PlausiblePosition(thenLatitude, thenLongitude)) {
    return false;
  }
  out.Point("next_latitude", "next_longitude", "Next point", nextLatitude, nextLongitude);
  out.Number("next_altitude_ft", "Next point altitude", nextAltitude, "ft");
  out.Number("next_time_to_go_s", "Next point in", secondsToGo, "s");
  out.Point("following_latitude", "following_longitude", "Following point", thenLatitude, thenLongitude);
  out.Number("following_altitude_ft", "Following point altitude", thenAltitude, "ft");
  return true;
}

// Earth reference (5 bytes): track (after its "invalid" bit), ground speed
// in half knots, vertical rate in 16 ft/min.
void EarthReference(BitReader& bits, Builder& out, bool& verticalRateGiven) {
  const bool invalid = bits.Unsigned(1) != 0;
  const double track = DirectionDegrees(bits);
  const double groundSpeed = bits.Unsigned(13) / 2.0;
  const double verticalRate = bits.Signed(12) * 16.0;
  bits.Skip(2);
  if (!invalid) {
    out.Number("track_deg", "True track", track, "degrees");
  }
  out.Number("groundspeed_kt", "Ground speed", groundSpeed, "kt");
  out.Number("vertical_rate_fpm", "Vertical rate", verticalRate, "ft/min");
  verticalRateGiven = true;
}

// Air reference (5 bytes): heading (after its "invalid" bit), Mach in
// 0.0005, vertical rate in 16 ft/min.
void AirReference(BitReader& bits, Builder& out, bool& verticalRateGiven) {
  const bool invalid = bits.Unsigned(1) != 0;
  const double heading = DirectionDegrees(bits);
  const double mach = bits.Unsigned(13) * 0.0005;
  const double verticalRate = bits.Signed(12) * 16.0;
  bits.Skip(2);
  if (!invalid) {
    out.Number("heading_deg", "True heading", heading, "degrees");
  }
  out.Mach(mach);
  if (!verticalRateGiven) {
    out.Number("vertical_rate_fpm", "Vertical rate", verticalRate, "ft/min");
    verticalRateGiven = true;
  }
}

// Meteorological (4 bytes): wind speed in half knots, the direction (after
// its "invalid" bit, 9 bits of 180/256 degrees), temperature in 0.25 °C.
void Meteorological(BitReader& bits, Builder& out) {
  const double speed = bits.Unsigned(9) / 2.0;
  const bool invalid = bits.Unsigned(1) != 0;
  double direction = bits.Signed(9) * (180.0 / 256.0);
  const double temperature = bits.Signed(12) * 0.25;
  bits.Skip(1);
  if (direction < 0) {
    direction += 360.0;
  }
  if (!invalid) {
    out.Wind(direction, speed);
  }
  out.Temperature(temperature);
}

// Bytes after the tag of each group read here; 0 for a group not read.
int GroupBytes(int tag) {
  switch (tag) {
    case kAcknowledgement:
      return 1;
    case kNegativeAcknowledgement:
      return 2;
    case kBasicReport:
    case kEmergencyReport:
    case kLateralDeviationEvent:
    case kVerticalRateEvent:
    case kAltitudeRangeEvent:
    case kWaypointChangeEvent:
      return 10;
    case kFlightId:
      return 6;
    case kPredictedRoute:
      return 17;
    case kEarthReference:
    case kAirReference:
      return 5;
    case kMeteorological:
      return 4;
    default:
      return 0;
  }
}

// The first report group's tag (acknowledgements skipped), or 0 for none.
int FirstReportTag(std::string_view data) {
  BitReader bits(data);
  while (bits.BitsLeft() >= 8) {
    const int tag = static_cast<int>(bits.Unsigned(8));
    const int bytes = GroupBytes(tag);
    if (tag != kAcknowledgement || bits.BitsLeft() < 8U * static_cast<unsigned>(bytes)) {
      return tag;
    }
    bits.Skip(8 * bytes);
  }
  return 0;
}

Kind DownlinkKind(std::string_view data) {
  const int tag = FirstReportTag(data);
  if (tag == kNegativeAcknowledgement) {
    return Kind::kAdscNegativeAcknowledgement;
  }
  if (tag == 0) {
    return Kind::kAdscAcknowledgement;
  }
  return ReportKind(tag);
}

// Reads the downlink's groups in order; stops at the first group it does not
// read, or that does not fit.
void DownlinkGroups(std::string_view data, Builder& out) {
  BitReader bits(data);
  bool verticalRateGiven = false;
  // A downlink may answer several contracts ("Contract: 2, 1"): all of
  // them, in order, in one field.
  std::vector<double> contracts;
  std::optional<double> reason;
  const auto end = [&] {
    if (!contracts.empty()) {
      out.Numbers("contract_numbers", "Contract", std::move(contracts));
    }
    if (reason) {
      out.Number("reason_code", "Reason code", *reason, "");
    }
  };
  while (bits.BitsLeft() >= 8) {
    const int tag = static_cast<int>(bits.Unsigned(8));
    const int bytes = GroupBytes(tag);
    if (bytes == 0 || bits.BitsLeft() < 8U * static_cast<unsigned>(bytes)) {
      end();
      return;
    }
    bool read = true;
    switch (tag) {
      case kAcknowledgement:
        contracts.push_back(bits.Unsigned(8));
        break;
      case kNegativeAcknowledgement: {
        contracts.push_back(bits.Unsigned(8));
        const double code = bits.Unsigned(8);
        reason = reason ? reason : code;  // the first reason given
        break;
      }
      case kFlightId:
        read = FlightId(bits, out);
        break;
      case kPredictedRoute:
        read = PredictedRoute(bits, out);
        break;
      case kEarthReference:
        EarthReference(bits, out, verticalRateGiven);
        break;
      case kAirReference:
        AirReference(bits, out, verticalRateGiven);
        break;
      case kMeteorological:
        Meteorological(bits, out);
        break;
      default:
        read = BasicReport(bits, out);
        break;
    }
    if (!read) {
      break;
    }
  }
  end();
}

// An uplink's first byte: 1 cancels all contracts, 2 one contract; the
// others ask for reports.
Kind UplinkKind(std::string_view data) {
  const int tag = data.size() >= 2 ? HexByte(data, 0) : 0;
  return tag == 1 || tag == 2 ? Kind::kAdscContractCancellation : Kind::kAdscContractRequest;
}

bool IsCpdlc(Kind kind) {
  return kind == Kind::kCpdlcMessage || kind == Kind::kCpdlcConnectionRequest ||
         kind == Kind::kCpdlcConnectionConfirmed || kind == Kind::kCpdlcDisconnectRequest;
}

// The CPDLC message the data carries (AT1, CR1, CC1, DR1), in words when
// the direction says which message set its elements are of.
void CpdlcMessage(const Envelope& envelope, Builder& out) {
  std::vector<std::uint8_t> data(envelope.data.size() / 2);
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = HexByte(envelope.data, i);
  }
  std::optional<cpdlc::Link> link;
  if (envelope.direction != Direction::kUnknown) {
    link = envelope.direction == Direction::kUplink ? cpdlc::Link::kUplink : cpdlc::Link::kDownlink;
  }
  if (const auto reading = cpdlc::ReadMessage(data, link)) {
    cpdlc::AddFields(*reading, out);
  }
}

std::optional<Kind> EnvelopeKind(const Envelope& envelope) {
  const std::string_view application = envelope.application;
  if (application == "ADS") {
    switch (envelope.direction) {
      case Direction::kDownlink:
        return DownlinkKind(envelope.data);
      case Direction::kUplink:
        return UplinkKind(envelope.data);
      default:
        return Kind::kAdscMessage;
    }
  }
  if (application == "DIS") {
    return Kind::kAdscDisconnect;
  }
  if (application == "AT1") {
    return Kind::kCpdlcMessage;
  }
  if (application == "CR1") {
    return Kind::kCpdlcConnectionRequest;
  }
  if (application == "CC1") {
    return Kind::kCpdlcConnectionConfirmed;
  }
  if (application == "DR1") {
    return Kind::kCpdlcDisconnectRequest;
  }
  return std::nullopt;
}

}  // namespace

// "/QXHADS2.ADS.N945JT0309071E18866CDF40AE83040DFF76" (label B6), also with
// the terminal prefix under H1: the ground station, the registration, and
// for ADS-C downlinks the report groups.
std::optional<Decoding> Arinc622Report(const Message& message, const reference::ReferenceTables& tables) {
  const auto envelope = SplitEnvelope(message);
  if (!envelope) {
    return std::nullopt;
  }
  const std::string_view text = message.text;
  const auto checksumAt = static_cast<std::size_t>(envelope->data.data() - text.data()) + envelope->data.size();
  if (!ChecksumAgrees(*envelope, text.substr(checksumAt, kChecksumDigits))) {
    return std::nullopt;
  }
  const auto kind = EnvelopeKind(*envelope);
  if (!kind) {
    return std::nullopt;
  }
  Builder out(*kind, tables);
  std::string_view registration = envelope->registration;
  registration.remove_prefix(registration.find_first_not_of('.'));
  out.Text("ground_station", "Ground station", std::string(envelope->groundStation));
  out.Text("tail", "Registration", std::string(registration));
  if (envelope->application == "ADS" && envelope->direction == Direction::kDownlink) {
    DownlinkGroups(envelope->data, out);
  } else if (IsCpdlc(*kind)) {
    CpdlcMessage(*envelope, out);
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
