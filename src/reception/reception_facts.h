// What the decoder that heard a message knows of it beside its text: the
// frequency, the signal and noise levels, the channel, the decoder's name,
// version and station id, and the link (VHF ACARS, VDL2, HFDL, satcom).
// A record from the card has none of them. The card link carries them as
// "name=value" items, LiveJSON as members of the same names, the store in
// its search index.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::reception {

// The links a decoder names.
inline constexpr std::string_view kLinkAcars = "acars";
inline constexpr std::string_view kLinkVdl2 = "vdl2";
inline constexpr std::string_view kLinkHfdl = "hfdl";
inline constexpr std::string_view kLinkSatcom = "satcom";

// Every text is UTF-8; empty, like an absent number, means "not known".
struct ReceptionFacts {
  std::optional<double> frequencyMhz;
  std::optional<double> level;  // signal level, in levelUnit
  std::optional<double> noise;  // noise level, in levelUnit
  std::string levelUnit;        // "dBFS" or "dB", as the decoder gives it
  std::string channel;
  std::string decoder;  // the decoder program's name
  std::string decoderVersion;
  std::string link;            // acars, vdl2, hfdl or satcom
  std::string decoderStation;  // the station id the decoder was given
  std::string satellite;       // satcom: the ground earth station or beam
  std::string aes;             // satcom: the aircraft earth station address

  [[nodiscard]] bool Empty() const;
  bool operator==(const ReceptionFacts&) const = default;
};

// A frequency in MHz as text: at most six decimals (1 Hz), trailing zeros
// left out ("131.725", "8.927", "1545").
std::string MhzText(double mhz);

// A frequency in whole Hz (rounded), the key the store compares.
std::int64_t HzOf(double mhz);

// "131.725", "131.7250", "131" (MHz, at most six decimals) in whole Hz;
// nothing for anything else. Read from the digits, so that trailing zeros
// never change the answer.
std::optional<std::int64_t> ParseMhzAsHz(std::string_view text);

// A level or other reading as the shortest text that reads back the same.
std::string NumberText(double value);

// A number written as text (the wire's items); nothing when it is none.
std::optional<double> ParseNumber(std::string_view text);

// The card link's items: "freq=131.725", "level=-22", "level_unit=dB", ...
// for the facts that are known, in a fixed order.
std::vector<std::string> FactItems(const ReceptionFacts& facts);

// Takes one "name=value" item into facts; an item of a name it does not
// know, or a number it cannot read, is left out.
void ReadFactItem(std::string_view item, ReceptionFacts& facts);

// The facts as one text, the items a line each (a line break inside a value
// becomes a space), as the store keeps them; and read back.
std::string FactsText(const ReceptionFacts& facts);
ReceptionFacts FactsOfText(std::string_view text);

// The names of the facts as LiveJSON members and card link items.
namespace names {
inline constexpr std::string_view kFrequency = "freq";
inline constexpr std::string_view kLevel = "level";
inline constexpr std::string_view kNoise = "noise";
inline constexpr std::string_view kLevelUnit = "level_unit";
inline constexpr std::string_view kChannel = "channel";
inline constexpr std::string_view kDecoder = "decoder";
inline constexpr std::string_view kDecoderVersion = "decoder_version";
inline constexpr std::string_view kLink = "link";
inline constexpr std::string_view kDecoderStation = "decoder_station";
inline constexpr std::string_view kSatellite = "satellite";
inline constexpr std::string_view kAes = "aes";
}  // namespace names

// Hands each known fact to its writer in the one fixed order: number(name,
// value) for a finite number, text(name, value) for a text not empty.
template <typename OnNumber, typename OnText>
void ForEachKnownFact(const ReceptionFacts& facts, OnNumber number, OnText text) {
  const auto give = [&number](std::string_view name, const std::optional<double>& value) {
    if (value && std::isfinite(*value)) {
      number(name, *value);
    }
  };
  const auto say = [&text](std::string_view name, const std::string& value) {
    if (!value.empty()) {
      text(name, value);
    }
  };
  give(names::kFrequency, facts.frequencyMhz);
  give(names::kLevel, facts.level);
  give(names::kNoise, facts.noise);
  say(names::kLevelUnit, facts.levelUnit);
  say(names::kChannel, facts.channel);
  say(names::kDecoder, facts.decoder);
  say(names::kDecoderVersion, facts.decoderVersion);
  say(names::kLink, facts.link);
  say(names::kDecoderStation, facts.decoderStation);
  say(names::kSatellite, facts.satellite);
  say(names::kAes, facts.aes);
}

}  // namespace corvane::reception
