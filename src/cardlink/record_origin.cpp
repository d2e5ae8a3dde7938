// Records of this station that come back through the broker: counting and
// the rate-limited report.
#include "cardlink/record_origin.h"

namespace corvane::cardlink {

bool ReturnedRecords::CameBack(const RecordOrigin& origin) {
  if (!origin.Relayed() || origin.station.empty() || origin.station != own_) {
    return false;
  }
  ++unreported_;
  ++total_;
  return true;
}

std::optional<std::string> ReturnedRecords::Report(Clock::time_point now) {
  if (unreported_ == 0 || (lastReport_ && now - *lastReport_ < kReportEvery)) {
    return std::nullopt;
  }
  const bool one = unreported_ == 1;
  std::string line = "relay: " + std::to_string(unreported_) + (one ? " message" : " messages") +
                     " this station sent came back from the broker and " + (one ? "was" : "were") + " dropped";
  unreported_ = 0;
  lastReport_ = now;
  return line;
}

}  // namespace corvane::cardlink
