// Capture lines: Latin-1 text values, UTC time stamps and the card-record line.
#include "capture/capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "capture/quick_card_record.h"

namespace corvane::capture {

namespace {

// Reads exactly `count` decimal digits at text[at]; nothing if any is missing.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) {
    return std::nullopt;
  }
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool CharAt(std::string_view text, std::size_t at, char expected) { return at < text.size() && text[at] == expected; }

void AppendTwo(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::optional<decoding::UtcTime> ParseUtc(std::string_view text) {
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  const auto second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second || !CharAt(text, 4, '-') || !CharAt(text, 7, '-') ||
      !CharAt(text, 10, 'T') || !CharAt(text, 13, ':') || !CharAt(text, 16, ':')) {
    return std::nullopt;
  }
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60) {
    return std::nullopt;
  }
  decoding::UtcTime time{*year, *month, *day, *hour, *minute, *second, 0};
  std::size_t at = 19;
  if (CharAt(text, at, '.')) {
    ++at;
    int scale = 100;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      time.millisecond += (text[at] - '0') * scale;
      scale /= 10;
      ++at;
    }
    if (at == start) {
      return std::nullopt;
    }
  }
  if (CharAt(text, at, 'Z')) {
    ++at;
  }
  if (at != text.size()) {
    return std::nullopt;
  }
  return time;
}

std::string FormatUtc(const decoding::UtcTime& time) {
  std::string text = std::to_string(time.year);
  text += '-';
  AppendTwo(text, time.month);
  text += '-';
  AppendTwo(text, time.day);
  text += 'T';
  AppendTwo(text, time.hour);
  text += ':';
  AppendTwo(text, time.minute);
  text += ':';
  AppendTwo(text, time.second);
  text += '.';
  text += static_cast<char>('0' + time.millisecond / 100 % 10);
  AppendTwo(text, time.millisecond % 100);
  text += 'Z';
  return text;
}

namespace {

using Json = nlohmann::json;

// A capture line that cannot be read, with the reason.
struct LineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr std::string_view kNakAck = "!";
constexpr std::size_t kAddressWidth = 7;
// The latest time a capture may carry: 9999-12-31T23:59:59Z.
constexpr double kLatestSeconds = 253402300799.0;

std::string Bytes(const Json& value, std::string_view key) {
  if (!value.is_string()) {
    throw LineError("\"" + std::string(key) + "\" is not text");
  }
  auto bytes = Utf8ToLatin1(value.get_ref<const std::string&>());
  if (!bytes) {
    throw LineError("\"" + std::string(key) + "\" holds a character above U+00FF");
  }
  return std::move(*bytes);
}

// A text value that may be absent (or null): empty then.
std::string OptionalText(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  return found == object.end() || found->is_null() ? std::string() : Bytes(*found, key);
}

const Json& Member(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_object()) {
    throw LineError("\"" + std::string(key) + "\" is missing or not an object");
  }
  return *found;
}

decoding::UtcTime TimeOfMilliseconds(std::int64_t milliseconds) {
  using namespace std::chrono;
  const sys_time<std::chrono::milliseconds> time{std::chrono::milliseconds(milliseconds)};
  const auto day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(clock.hours().count()),
          static_cast<int>(clock.minutes().count()),
          static_cast<int>(clock.seconds().count()),
          static_cast<int>(clock.subseconds().count())};
}

decoding::UtcTime TimeOfSeconds(const Json& value, std::string_view key) {
  if (!value.is_number()) {
    throw LineError("\"" + std::string(key) + "\" is not a number");
  }
  const double seconds = value.get<double>();
  if (!(seconds >= 0.0 && seconds <= kLatestSeconds)) {
    throw LineError("\"" + std::string(key) + "\" is not a time in seconds since 1970");
  }
  return TimeOfMilliseconds(static_cast<std::int64_t>(seconds * 1000.0));
}

// Decoders write a DEL as the second label character as "d".
std::string CardLabel(std::string label) {
  if (label.size() == 2 && label[1] == 'd') {
    label[1] = '\x7f';
  }
  return label;
}

// Some decoders drop the leading points of the 7-character address.
std::string DottedAddress(std::string address) {
  if (!address.empty() && address.size() < kAddressWidth) {
    address.insert(0, kAddressWidth - address.size(), '.');
  }
  return address;
}

// libacars moves the "#" + sublabel (+ "/" + MFI) prefix of H1 texts into
// fields of their own; it is put back in front of the text.
std::string WithSublabel(const Json& object, std::string_view blockId, std::string text) {
  const std::string sublabel = OptionalText(object, "sublabel");
  if (sublabel.empty()) {
    return text;
  }
  const std::string mfi = OptionalText(object, "mfi");
  const bool downlink = blockId.size() == 1 && blockId[0] >= '0' && blockId[0] <= '9';
  std::string prefix = downlink ? "#" + sublabel + "B" : "- #" + sublabel;
  if (!mfi.empty()) {
    prefix += "/" + mfi + " ";
  }
  return prefix + text;
}

std::string AcarsdecAck(const Json& object) {
  const auto found = object.find("ack");
  if (found == object.end() || found->is_boolean() || found->is_null()) {
    return std::string(kNakAck);
  }
  return Bytes(*found, "ack");
}

// A number a decoder wrote as a JSON number or as text; nothing when the
// member is absent or holds neither (a fact that cannot be read is left out,
// never the message).
std::optional<double> NumberMember(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end()) {
    return std::nullopt;
  }
  if (found->is_number()) {
    const double value = found->get<double>();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
  }
  return found->is_string() ? reception::ParseNumber(found->get_ref<const std::string&>()) : std::nullopt;
}

// A member as UTF-8 text: a string as it is, a whole number in digits;
// empty for anything else.
std::string TextMember(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end()) {
    return {};
  }
  if (found->is_string()) {
    return found->get<std::string>();
  }
  return found->is_number_integer() ? std::to_string(found->get<std::int64_t>()) : std::string();
}

// Decoders give frequencies in MHz (acarsdec) or in Hz (dumpvdl2,
// dumphfdl); no decoder hears above 10 GHz, so a larger number is Hz.
constexpr double kLargestMhz = 10000.0;
constexpr double kHzPerMhz = 1e6;
std::optional<double> FrequencyMhz(const Json& object, std::string_view key) {
  const auto value = NumberMember(object, key);
  if (!value || *value <= 0.0) {
    return std::nullopt;
  }
  return *value > kLargestMhz ? *value / kHzPerMhz : *value;
}

// The signal and noise levels in the unit the decoder gives them in.
void ReadLevels(const Json& object, std::string_view levelKey, std::string_view noiseKey, std::string_view unit,
                reception::ReceptionFacts& facts) {
  facts.level = NumberMember(object, levelKey);
  facts.noise = NumberMember(object, noiseKey);
  if (facts.level || facts.noise) {
    facts.levelUnit = unit;
  }
}

// The decoder's "app" object: {"name": ..., "ver": ...}.
void ReadApp(const Json& object, reception::ReceptionFacts& facts) {
  const auto app = object.find("app");
  if (app != object.end() && app->is_object()) {
    facts.decoder = TextMember(*app, "name");
    facts.decoderVersion = TextMember(*app, "ver");
  }
}

// acarsdec's facts (its README's JSON example): "freq" in MHz, "level" in
// dB, "channel", "station_id", and "app" in later versions. vdlm2dec writes
// the same object and names itself in "app".
reception::ReceptionFacts AcarsdecFacts(const Json& object) {
  reception::ReceptionFacts facts;
  facts.frequencyMhz = FrequencyMhz(object, "freq");
  ReadLevels(object, "level", "noise", "dB", facts);
  facts.channel = TextMember(object, "channel");
  facts.decoderStation = TextMember(object, "station_id");
  ReadApp(object, facts);
  facts.link = facts.decoder == "vdlm2dec" ? reception::kLinkVdl2 : reception::kLinkAcars;
  return facts;
}

// dumpvdl2's "vdl2" and dumphfdl's "hfdl" objects: "freq" in Hz,
// "sig_level" and "noise_level" in dBFS, "station", "app"; dumpvdl2 also
// numbers its channel ("idx").
reception::ReceptionFacts Dumpvdl2Facts(const Json& inner, std::string_view link) {
  reception::ReceptionFacts facts;
  facts.frequencyMhz = FrequencyMhz(inner, "freq");
  ReadLevels(inner, "sig_level", "noise_level", "dBFS", facts);
  facts.channel = TextMember(inner, "idx");
  facts.decoderStation = TextMember(inner, "station");
  ReadApp(inner, facts);
  facts.link = link;
  return facts;
}

// acarsdec and vdlm2dec: flat objects with "timestamp", "mode", "label"...
CaptureRecord FromAcarsdec(const Json& object) {
  const auto timestamp = object.find("timestamp");
  if (timestamp == object.end()) {
    throw LineError("an acarsdec message needs \"timestamp\"");
  }
  AirMessage message;
  message.mode = OptionalText(object, "mode");
  message.address = DottedAddress(OptionalText(object, "tail"));
  message.ack = AcarsdecAck(object);
  message.label = CardLabel(OptionalText(object, "label"));
  message.blockId = OptionalText(object, "block_id");
  message.msn = OptionalText(object, "msgno");
  message.flight = OptionalText(object, "flight");
  message.text = WithSublabel(object, message.blockId, OptionalText(object, "text"));
  return {TimeOfSeconds(*timestamp, "timestamp"), CardRecordOf(message), std::nullopt, AcarsdecFacts(object)};
}

// The "acars" object of libacars, inside dumpvdl2 and dumphfdl messages.
AirMessage FromLibacars(const Json& acars) {
  if (acars.value("err", false)) {
    throw LineError("the decoder marked this message as damaged");
  }
  AirMessage message;
  message.mode = OptionalText(acars, "mode");
  message.address = OptionalText(acars, "reg");
  message.ack = OptionalText(acars, "ack");
  message.label = CardLabel(OptionalText(acars, "label"));
  message.blockId = OptionalText(acars, "blk_id");
  message.msn = OptionalText(acars, "msg_num") + OptionalText(acars, "msg_num_seq");
  message.flight = OptionalText(acars, "flight");
  message.text = WithSublabel(acars, message.blockId, OptionalText(acars, "msg_text"));
  return message;
}

decoding::UtcTime TimeOfSecUsec(const Json& outer) {
  const Json& t = Member(outer, "t");
  const auto sec = t.find("sec");
  const auto usec = t.find("usec");
  if (sec == t.end() || !sec->is_number_integer() || usec == t.end() || !usec->is_number_integer()) {
    throw LineError("\"t\" needs whole numbers \"sec\" and \"usec\"");
  }
  const std::int64_t seconds = sec->get<std::int64_t>();
  const std::int64_t micros = usec->get<std::int64_t>();
  if (seconds < 0 || seconds > static_cast<std::int64_t>(kLatestSeconds) || micros < 0 || micros >= 1000000) {
    throw LineError("\"t\" is not a time since 1970");
  }
  return TimeOfMilliseconds(seconds * 1000 + micros / 1000);
}

CaptureRecord FromDumpvdl2(const Json& object) {
  const Json& vdl2 = Member(object, "vdl2");
  const Json& acars = Member(Member(vdl2, "avlc"), "acars");
  return {TimeOfSecUsec(vdl2), CardRecordOf(FromLibacars(acars)), std::nullopt,
          Dumpvdl2Facts(vdl2, reception::kLinkVdl2)};
}

CaptureRecord FromDumphfdl(const Json& object) {
  const Json& hfdl = Member(object, "hfdl");
  const Json& acars = Member(Member(Member(hfdl, "lpdu"), "hfnpdu"), "acars");
  return {TimeOfSecUsec(hfdl), CardRecordOf(FromLibacars(acars)), std::nullopt,
          Dumpvdl2Facts(hfdl, reception::kLinkHfdl)};
}

// The address of the side of a JAERO "isu" that is of the given type
// ("src" or "dst": {"addr": ..., "type": "Aircraft Earth Station"}).
std::string JaeroAddressOf(const Json& isu, std::string_view type) {
  for (const char* side : {"src", "dst"}) {
    const auto found = isu.find(side);
    if (found != isu.end() && found->is_object() && TextMember(*found, "type") == type) {
      return TextMember(*found, "addr");
    }
  }
  return {};
}

// JAERO's JSON for feeders (its "JSONdump" format, shaped like dumpvdl2's):
// "app", "station", "t" and the "isu" holding the "acars" object of
// libacars, the aircraft earth station (AES) and the ground earth station
// by which the message crossed the satellite. A frequency, when one is
// given, is read as for the other decoders.
CaptureRecord FromJaero(const Json& object) {
  const Json& isu = Member(object, "isu");
  AirMessage message = FromLibacars(Member(isu, "acars"));
  message.address = DottedAddress(std::move(message.address));
  reception::ReceptionFacts facts;
  facts.frequencyMhz = FrequencyMhz(object, "freq");
  facts.decoderStation = TextMember(object, "station");
  ReadApp(object, facts);
  facts.link = reception::kLinkSatcom;
  facts.aes = JaeroAddressOf(isu, "Aircraft Earth Station");
  facts.satellite = JaeroAddressOf(isu, "Ground Earth Station");
  return {TimeOfSecUsec(object), CardRecordOf(message), std::nullopt, std::move(facts)};
}

// The station, hop count and identity of a LiveJSON object. All are
// optional: an object without "hops" has still passed the receiver that
// wrote it. An identity that is no short text is no identity Corvane gives:
// the message is taken without one rather than lost.
constexpr std::size_t kLongestMessageId = 64;
RecordOrigin OriginOf(const Json& object) {
  RecordOrigin origin;
  if (const auto station = object.find("station"); station != object.end() && !station->is_null()) {
    if (!station->is_string()) {
      throw LineError("\"station\" is not text");
    }
    origin.station = station->get<std::string>();
  }
  if (const auto hops = object.find("hops"); hops != object.end() && !hops->is_null()) {
    const bool whole = hops->is_number_unsigned() || (hops->is_number_integer() && hops->get<std::int64_t>() >= 0);
    if (!whole || hops->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      throw LineError("\"hops\" is not a whole number from 0 to " + std::to_string(std::numeric_limits<int>::max()));
    }
    origin.hops = static_cast<int>(hops->get<std::uint64_t>());
  }
  if (const auto id = object.find("id"); id != object.end() && id->is_string()) {
    if (id->get<std::string>().size() <= kLongestMessageId) {
      origin.id = id->get<std::string>();
    }
  }
  return origin;
}

// The reception facts a LiveJSON object carries, under the names the card
// link uses; none when it has none (a card's message).
reception::ReceptionFacts LiveJsonFacts(const Json& object) {
  namespace names = reception::names;
  reception::ReceptionFacts facts;
  facts.frequencyMhz = FrequencyMhz(object, names::kFrequency);
  facts.level = NumberMember(object, names::kLevel);
  facts.noise = NumberMember(object, names::kNoise);
  facts.levelUnit = TextMember(object, names::kLevelUnit);
  facts.channel = TextMember(object, names::kChannel);
  facts.decoder = TextMember(object, names::kDecoder);
  facts.decoderVersion = TextMember(object, names::kDecoderVersion);
  facts.link = TextMember(object, names::kLink);
  facts.decoderStation = TextMember(object, names::kDecoderStation);
  facts.satellite = TextMember(object, names::kSatellite);
  facts.aes = TextMember(object, names::kAes);
  return facts;
}

// Corvane's own LiveJSON object, as receivers publish it over MQTT: the
// record's fields, its time of reception and its origin ("readable" is
// ignored). It carries no acknowledgement character; a NAK is what the card
// shows most.
CaptureRecord FromLiveJson(const Json& object) {
  const auto time = ParseUtc(OptionalText(object, "time"));
  if (!time) {
    throw LineError("\"time\" is not a time like 2026-12-07T21:00:05.005Z");
  }
  AirMessage message;
  message.mode = OptionalText(object, "mode");
  message.address = DottedAddress(OptionalText(object, "address"));
  message.ack = std::string(kNakAck);
  message.label = OptionalText(object, "label");
  message.blockId = OptionalText(object, "block");
  message.msn = OptionalText(object, "msn");
  message.flight = OptionalText(object, "flight");
  message.text = OptionalText(object, "text");
  return {*time, CardRecordOf(message), OriginOf(object), LiveJsonFacts(object)};
}

CaptureRecord FromCardRecord(const Json& object) {
  const auto utc = object.find("utc");
  if (utc == object.end() || !utc->is_string()) {
    throw LineError("needs the text values \"utc\" and \"txt\"");
  }
  auto time = ParseUtc(utc->get_ref<const std::string&>());
  if (!time) {
    throw LineError("\"utc\" is not a time like 2026-12-07T21:00:05.005Z");
  }
  return {*time, Bytes(object.at("txt"), "txt")};
}

// Left-justified in exactly `width` characters.
void AppendField(std::string& record, std::string_view tag, std::string_view value, std::size_t width) {
  record += tag;
  const std::size_t kept = std::min(value.size(), width);
  record.append(value.substr(0, kept));
  record.append(width - kept, ' ');
}

}  // namespace

std::string CardRecordOf(const AirMessage& message) {
  std::string record;
  record.reserve(64 + message.text.size());
  AppendField(record, "M=", message.mode, 2);
  AppendField(record, " ADDR=", message.address, 7);
  AppendField(record, " TA=", message.ack, 1);
  AppendField(record, " ML=", message.label, 2);
  AppendField(record, " B=", message.blockId, 1);
  if (!message.msn.empty()) {
    AppendField(record, " MSN=", message.msn, 4);
  }
  if (!message.flight.empty()) {
    AppendField(record, " FID=", message.flight, 6);
  }
  record += "\r\n";
  record += message.text;
  return record;
}

std::optional<CaptureRecord> ParseCaptureLine(std::string_view line, std::string& error) {
  // A line that does not open an object is told apart without the parser:
  // a feed may bring megabytes of such lines.
  const std::size_t first = line.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos || line[first] != '{') {
    error = "not a JSON object";
    return std::nullopt;
  }
  if (auto record = QuickCardRecord(line.substr(first))) {
    return record;
  }
  const auto json = Json::parse(line, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    error = "not a JSON object";
    return std::nullopt;
  }
  try {
    if (json.contains("txt")) {
      return FromCardRecord(json);
    }
    if (json.contains("vdl2")) {
      return FromDumpvdl2(json);
    }
    if (json.contains("hfdl")) {
      return FromDumphfdl(json);
    }
    if (json.contains("isu")) {
      return FromJaero(json);
    }
    if (json.contains("timestamp")) {
      return FromAcarsdec(json);
    }
    if (json.contains("time") && json.contains("address") && json.contains("label")) {
      return FromLiveJson(json);
    }
    error =
        "not a capture record: needs \"utc\" and \"txt\", or an acarsdec, dumpvdl2, dumphfdl or JAERO message, or "
        "Corvane's LiveJSON";
  } catch (const LineError& failure) {
    error = failure.what();
  } catch (const Json::exception& failure) {
    error = std::string("unexpected JSON value: ") + failure.what();
  }
  return std::nullopt;
}

std::vector<std::string> ReadCaptureRecords(const std::string& path, std::size_t most) {
  std::vector<std::string> records;
  std::ifstream in(path);
  std::string error;
  for (std::string line; records.size() < most && std::getline(in, line);) {
    if (auto record = ParseCaptureLine(line, error)) {
      records.push_back(std::move(record->txt));
    }
  }
  return records;
}

}  // namespace corvane::capture
