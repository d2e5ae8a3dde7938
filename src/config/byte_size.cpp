// Reading and writing sizes with binary unit letters.
#include "config/byte_size.h"

#include <array>
#include <cctype>
#include <limits>

namespace corvane::config {

namespace {

constexpr std::string_view kUnits = "KMGT";

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
    text.remove_suffix(1);
  }
  return text;
}

// How many times 1024 the unit after the number stands for; nothing for a
// unit not known.
std::optional<int> PowerOfUnit(std::string_view unit) {
  unit = Trimmed(unit);
  if (unit.empty() || unit == "B" || unit == "b") {
    return 0;
  }
  const auto letter = static_cast<char>(std::toupper(static_cast<unsigned char>(unit.front())));
  const std::size_t at = kUnits.find(letter);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view rest = unit.substr(1);
  if (!rest.empty() && rest != "B" && rest != "b" && rest != "iB" && rest != "ib") {
    return std::nullopt;
  }
  return static_cast<int>(at) + 1;
}

}  // namespace

std::optional<std::uint64_t> ParseByteSize(std::string_view text) {
  text = Trimmed(text);
  std::uint64_t number = 0;
  std::size_t digits = 0;
  for (; digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])) != 0; ++digits) {
    const auto digit = static_cast<std::uint64_t>(text[digits] - '0');
    if (number > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
      return std::nullopt;
    }
    number = number * 10 + digit;
  }
  if (digits == 0) {
    return text.empty() ? std::optional<std::uint64_t>(0) : std::nullopt;
  }
  const std::optional<int> power = PowerOfUnit(text.substr(digits));
  if (!power) {
    return std::nullopt;
  }
  for (int i = 0; i < *power; ++i) {
    if (number > std::numeric_limits<std::uint64_t>::max() / 1024) {
      return std::nullopt;
    }
    number *= 1024;
  }
  return number;
}

std::string ByteSizeText(std::uint64_t bytes) {
  std::size_t unit = 0;
  while (bytes != 0 && bytes % 1024 == 0 && unit < kUnits.size()) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + (unit == 0 ? std::string() : std::string(1, kUnits[unit - 1]));
}

}  // namespace corvane::config
