// Reading the pieces today's message forms are made of: fixed-width digit
// runs, signed numbers, coordinates in their several spellings, times of day.
// Each reader takes a view and says nothing (std::nullopt) rather than guess.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readable/builder.h"

namespace corvane::readable {

// A decimal digit; a capital letter A to Z; either.
bool IsDigit(char c);
bool IsUpper(char c);
bool IsAlnum(char c);

// Every character passes the test (true for an empty text).
bool AllOf(std::string_view text, bool (*test)(char));

// A flight designator: three to eight letters and digits, some of them
// digits ("YX4687", "AFL2137", "VIR41R").
bool IsFlight(std::string_view text);

// Where the first character of `set` at or after `from` is; npos when none.
// What find_first_of answers, without the library call per character of the
// text that libstdc++ makes (a memchr over the set), which showed as a tenth
// of the readable decoding's time.
constexpr std::size_t FindAnyOf(std::string_view text, std::string_view set, std::size_t from = 0) {
  for (std::size_t at = from; at < text.size(); ++at) {
    for (const char c : set) {
      if (text[at] == c) {
        return at;
      }
    }
  }
  return std::string_view::npos;
}

// Where the first character at or after `from` that fails `test` is; npos
// when none (find_first_not_of with a test for the set).
template <typename Test>
constexpr std::size_t FindFirstFailing(std::string_view text, Test test, std::size_t from = 0) {
  for (std::size_t at = from; at < text.size(); ++at) {
    if (!test(text[at])) {
      return at;
    }
  }
  return std::string_view::npos;
}

// The first line of a text, without its CR LF.
constexpr std::string_view FirstLine(std::string_view text) { return text.substr(0, FindAnyOf(text, "\r\n")); }

// "1244" as "12:44"; nothing for anything else.
std::optional<std::string> HoursMinutes(std::string_view text);

// The text without the line breaks and spaces that end it.
std::string_view ItemValue(std::string_view text);

// The text split at each separator (empty pieces kept).
std::vector<std::string_view> Split(std::string_view text, char separator);

// Spaces removed at both ends.
std::string_view Trim(std::string_view text);

// A whole signed decimal number, spaces allowed between the sign and the
// digits ("- 4", "+ 43.77"); nothing for anything else.
std::optional<double> Number(std::string_view text);

// Exactly `digits` decimal digits as an integer.
std::optional<int> Digits(std::string_view text, std::size_t digits);

// A hemisphere letter (N/S or E/W) then decimal degrees: "N 35.975",
// "W109.384". South and west are negative; out of range gives nothing.
std::optional<double> DecimalDegrees(std::string_view text, char positive, char negative);

// A hemisphere letter, then degrees (degreeDigits of them) and minutes in
// tenths run together: "N34261" is 34°26.1'N, "W084181" 84°18.1'W. South and
// west are negative; 60 minutes or more, or out of range, gives nothing.
std::optional<double> PackedCoordinate(std::string_view text, char positive, char negative, std::size_t degreeDigits);

// "HHMMSS" or "HHMM" as "HH:MM:SS" or "HH:MM"; nothing when out of range.
std::optional<std::string> TimeOfDay(std::string_view text);

// Four capital letters: an ICAO location indicator.
bool IsIcaoCode(std::string_view text);

// "M57" or "P04": a temperature with a letter for its sign.
std::optional<double> LetterCelsius(std::string_view text);

// A flight level of three digits (600 at most), in feet.
std::optional<double> FlightLevelFeet(std::string_view text);

// "07L", "26R", "36C", "08": a runway; "08O" is runway 08 (no letter).
std::optional<std::string> Runway(std::string_view text);

// "WN4899", "AAL2380", "SAS87W", "QFA19     ": a flight number or callsign,
// beginning with the airline's code (spaces around it dropped).
std::optional<std::string> FlightNumber(std::string_view text);

// An ICAO code, not a placeholder such as "XXXX" or "ZZZZ".
bool IsAirport(std::string_view code);

// A terminal (H1) text without the sending terminal's prefix: "#M1B",
// "#DFB", "- #MD" or "/.".
std::string_view TerminalBody(std::string_view text);

// The flight management texts end in four hex digits: the CRC-16 (X.25)
// of the text before them, its lowest nibble written first, or (from some
// senders) the ARINC 622 envelope's CRC-16, highest digit first. Whether
// they hold.
bool ChecksumHolds(std::string_view body);

// The ARINC 622 CRC-16 (polynomial 0x1021, start 0xFFFF, inverted) of the
// content is the four hexadecimal digits sent, highest first.
bool CcittChecksumIs(std::string_view content, std::string_view sent);

// The CRC (polynomial 0x1021) of each byte value alone, so a byte costs one
// lookup instead of eight shifts.
inline constexpr std::array<std::uint16_t, 256> kCcittTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t value = 0; value < table.size(); ++value) {
    auto crc = static_cast<std::uint16_t>(value << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000U) != 0 ? (crc << 1) ^ 0x1021U : crc << 1);
    }
    table[value] = crc;
  }
  return table;
}();

// One byte into a CRC-16 with the polynomial 0x1021, not reflected (the
// ARINC 622 envelopes' checksum: start 0xFFFF, result inverted). Inline, as
// an envelope's check takes it for every byte.
inline std::uint16_t CcittCrcStep(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc << 8) ^ kCcittTable[((crc >> 8) ^ byte) & 0xFFU]);
}

// "10MAR20" or "04AUG22": a date, day, month and two-digit year.
std::optional<TextDay> DayMonthYear(std::string_view text);

// "JAN" to "DEC" as 1 to 12.
std::optional<int> MonthOfAbbreviation(std::string_view text);

// "DDMMYY" or "MMDDYY" (the two are in use): the day, only when the digits
// allow one reading; all 0 otherwise.
TextDay SixDigitDate(std::string_view text);

}  // namespace corvane::readable
