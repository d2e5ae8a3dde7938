// The texts and numbers of the configuration dialog: the card status texts,
// reading the leading number of a text, writing a number back the plain way,
// and rounding a frequency to whole hertz with halves to the even neighbour.
#pragma once

#include <QString>
#include <cstdint>

namespace corvane::config {

// The text shown for a card status code 0 to 8; empty for any other code.
QString CardStatusText(int status);

// The value of the decimal number the text starts with (optional sign, digits,
// optional fraction, optional exponent); 0 when it starts with none.
double LeadingNumber(const QString& text);

// The number as the shortest plain decimal text ("7", "0.5", "1000").
QString NumberText(double value);

// The value rounded to a whole number, halves to the even neighbour, limited
// to the 32-bit range.
std::int32_t RoundHalfEven(double value);

}  // namespace corvane::config
