// Pieces that forms of several label families read alike: a coordinate led
// by its hemisphere or its sign, and the timed positions
// ("001FE27212415N4049.2W07423.5") of the position and out/off/on/in
// reports. Shared by the forms_labels_*.cpp files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "readable/builder.h"

namespace corvane::readable {

// "N 22.027" or "+ 39.126": a coordinate with its hemisphere or its sign.
std::optional<double> LeadCoordinate(std::string_view text, char positive, char negative, double limit);

struct TimedPosition {
  double latitude;
  double longitude;
  int day;  // of the month
  std::string time;
};

// "001FE27212415N4049.2W07423.5...": three digits, two letters, the day and
// time (DDHHMMSS) and the position in degrees and minutes; nothing when a
// piece does not fit.
std::optional<TimedPosition> ReadTimedPosition(std::string_view text);

// The timed position's place and its time on its day of the month.
void AddTimedPosition(TimedPosition& place, const ReceiveTime& received, Builder& out);

}  // namespace corvane::readable
