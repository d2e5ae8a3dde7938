// Relayed records dropped: this station's own that come back through the
// broker, and messages that come again; counting and the rate-limited report.
#include "cardlink/record_origin.h"

namespace corvane::cardlink {

bool ReturnedRecords::CameBack(const RecordOrigin& origin) {
  if (!origin.Relayed() || origin.station.empty() || origin.station != own_) {
    return false;
  }
  dropped_.Count();
  return true;
}

bool RepeatedRecords::CameBefore(const RecordOrigin& origin) {
  if (!origin.Relayed() || origin.id.empty()) {
    return false;
  }
  if (seen_.contains(origin.id)) {
    dropped_.Count();
    return true;
  }
  if (order_.size() == kRemembered) {
    seen_.erase(order_.front());
    order_.pop_front();
  }
  seen_.insert(origin.id);
  order_.push_back(origin.id);
  return false;
}

std::optional<std::string> DroppedRecords::Report(Clock::time_point now) {
  if (unreported_ == 0 || (lastReport_ && now - *lastReport_ < kReportEvery)) {
    return std::nullopt;
  }
  const bool one = unreported_ == 1;
  std::string line = "relay: " + std::to_string(unreported_) + (one ? " message " : " messages ") + what_ + " and " +
                     (one ? "was" : "were") + " dropped";
  unreported_ = 0;
  lastReport_ = now;
  return line;
}

}  // namespace corvane::cardlink
