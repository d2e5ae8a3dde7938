// Reception facts as texts: frequencies, readings and the card link's items.
#include "reception/reception_facts.h"

#include <charconv>
#include <cmath>

namespace corvane::reception {

namespace {

constexpr int kMhzDecimals = 6;
constexpr std::int64_t kHzPerMhz = 1'000'000;
// No decoder hears above 100 GHz; a larger number is no frequency.
constexpr std::int64_t kLargestMhz = 100'000;

}  // namespace

bool ReceptionFacts::Empty() const { return *this == ReceptionFacts{}; }

std::int64_t HzOf(double mhz) { return std::llround(mhz * static_cast<double>(kHzPerMhz)); }

std::string MhzText(double mhz) {
  const std::int64_t hz = HzOf(mhz);
  const std::int64_t whole = std::llabs(hz) / kHzPerMhz;
  std::string fraction = std::to_string(std::llabs(hz) % kHzPerMhz);
  fraction.insert(0, kMhzDecimals - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') {
    fraction.pop_back();
  }
  std::string text = (hz < 0 ? "-" : "") + std::to_string(whole);
  return fraction.empty() ? text : text + "." + fraction;
}

std::optional<std::int64_t> ParseMhzAsHz(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  while (!fraction.empty() && fraction.back() == '0') {
    fraction.remove_suffix(1);
  }
  const auto digits = [](std::string_view part) {
    return part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (whole.empty() || whole.size() > 6 || !digits(whole) || !digits(fraction) || fraction.size() > kMhzDecimals ||
      (point != std::string_view::npos && point + 1 == text.size())) {
    return std::nullopt;
  }
  std::int64_t mhz = 0;
  std::from_chars(whole.data(), whole.data() + whole.size(), mhz);
  if (mhz > kLargestMhz) {
    return std::nullopt;
  }
  std::int64_t micro = 0;
  if (!fraction.empty()) {
    std::from_chars(fraction.data(), fraction.data() + fraction.size(), micro);
    for (std::size_t i = fraction.size(); i < kMhzDecimals; ++i) {
      micro *= 10;
    }
  }
  return mhz * kHzPerMhz + micro;
}

std::string NumberText(double value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, written.ptr};
}

std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || read.ec != std::errc() || read.ptr != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string> FactItems(const ReceptionFacts& facts) {
  std::vector<std::string> items;
  ForEachKnownFact(
      facts,
      [&items](std::string_view name, double value) {
        items.push_back(std::string(name) + "=" + (name == names::kFrequency ? MhzText(value) : NumberText(value)));
      },
      [&items](std::string_view name, const std::string& value) { items.push_back(std::string(name) + "=" + value); });
  return items;
}

void ReadFactItem(std::string_view item, ReceptionFacts& facts) {
  const std::size_t equals = item.find('=');
  if (equals == std::string_view::npos) {
    return;
  }
  const std::string_view name = item.substr(0, equals);
  const std::string_view value = item.substr(equals + 1);
  if (name == names::kFrequency) {
    if (const auto hz = ParseMhzAsHz(value)) {
      facts.frequencyMhz = static_cast<double>(*hz) / static_cast<double>(kHzPerMhz);
    }
  } else if (name == names::kLevel) {
    facts.level = ParseNumber(value);
  } else if (name == names::kNoise) {
    facts.noise = ParseNumber(value);
  } else {
    std::string* text = name == names::kLevelUnit        ? &facts.levelUnit
                        : name == names::kChannel        ? &facts.channel
                        : name == names::kDecoder        ? &facts.decoder
                        : name == names::kDecoderVersion ? &facts.decoderVersion
                        : name == names::kLink           ? &facts.link
                        : name == names::kDecoderStation ? &facts.decoderStation
                        : name == names::kSatellite      ? &facts.satellite
                        : name == names::kAes            ? &facts.aes
                                                         : nullptr;
    if (text != nullptr) {
      text->assign(value);
    }
  }
}

std::string FactsText(const ReceptionFacts& facts) {
  std::string text;
  for (std::string& item : FactItems(facts)) {
    for (char& c : item) {
      c = c == '\n' || c == '\r' ? ' ' : c;
    }
    text += (text.empty() ? "" : "\n") + item;
  }
  return text;
}

ReceptionFacts FactsOfText(std::string_view text) {
  ReceptionFacts facts;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    ReadFactItem(text.substr(0, end), facts);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return facts;
}

}  // namespace corvane::reception
