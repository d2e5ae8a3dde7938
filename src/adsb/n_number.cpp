// The FAA's N-number block. After "N" and a first digit 1-9 come up to four
// more characters: digits, then at most two letters (one after four
// digits); I and O are never used. The addresses run in the order a
// dictionary lists the registrations, each registration followed by all
// those it begins, so the address is a sum of the sizes of the blocks
// passed over.
#include "adsb/n_number.h"

#include <array>

namespace corvane::adsb {

namespace {

constexpr std::string_view kLetters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr std::uint32_t kFirstAddress = 0xA00001;
constexpr std::uint32_t kLetterCount = kLetters.size();
// What follows a registration of fewer than four digits before its next
// digit: itself, each letter, each two letters.
constexpr std::uint32_t kLetterBlock = 1 + kLetterCount * (1 + kLetterCount);
// What a registration of four digits starts: itself, a letter, a digit.
constexpr std::uint32_t kFourDigitBlock = 1 + kLetterCount + 10;
// What a registration of n digits starts, all it begins included.
constexpr std::array<std::uint32_t, 5> kDigitBlock = {
    0, kLetterBlock + 10 * (kLetterBlock + 10 * (kLetterBlock + 10 * kFourDigitBlock)),
    kLetterBlock + 10 * (kLetterBlock + 10 * kFourDigitBlock), kLetterBlock + 10 * kFourDigitBlock, kFourDigitBlock};

std::optional<std::uint32_t> LetterIndex(char c) {
  const std::size_t at = kLetters.find(c);
  return at == std::string_view::npos ? std::nullopt : std::optional<std::uint32_t>(static_cast<std::uint32_t>(at));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The offset of a letter suffix ("" or one or two letters) after digits
// digits; nothing when they cannot follow there.
std::optional<std::uint32_t> LetterSuffixOffset(std::string_view letters, std::size_t digits) {
  if (letters.empty()) {
    return 0;
  }
  const std::size_t most = digits == 4 ? 1 : digits == 5 ? 0 : 2;
  if (letters.size() > most) {
    return std::nullopt;
  }
  const auto first = LetterIndex(letters[0]);
  if (!first) {
    return std::nullopt;
  }
  if (digits == 4) {
    return 1 + *first;
  }
  std::uint32_t offset = 1 + *first * (1 + kLetterCount);
  if (letters.size() == 2) {
    const auto second = LetterIndex(letters[1]);
    if (!second) {
      return std::nullopt;
    }
    offset += 1 + *second;
  }
  return offset;
}

}  // namespace

std::optional<std::uint32_t> AddressOfNNumber(std::string_view registration) {
  if (registration.size() < 2 || registration.size() > 6 || registration[0] != 'N' || registration[1] < '1' ||
      registration[1] > '9') {
    return std::nullopt;
  }
  std::uint32_t offset = static_cast<std::uint32_t>(registration[1] - '1') * kDigitBlock[1];
  std::size_t digits = 1;
  std::size_t at = 2;
  for (; at < registration.size() && IsDigit(registration[at]); ++at, ++digits) {
    const auto digit = static_cast<std::uint32_t>(registration[at] - '0');
    // The fifth digit comes after the four-digit registration and its letters.
    offset += digits == 4 ? 1 + kLetterCount + digit : kLetterBlock + digit * kDigitBlock[digits + 1];
  }
  const auto suffix = LetterSuffixOffset(registration.substr(at), digits);
  if (!suffix) {
    return std::nullopt;
  }
  return kFirstAddress + offset + *suffix;
}

}  // namespace corvane::adsb
