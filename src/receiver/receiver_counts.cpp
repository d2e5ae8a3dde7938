// The receiver's counts put into words.
#include "receiver/receiver_counts.h"

namespace corvane::receiver {

std::string LastMessageIso(const ReceiverCounts& counts) {
  const std::string& d = counts.lastDate;
  const std::string& h = counts.lastHour;
  if (d.size() != 6 || h.size() < 6) {
    return {};
  }
  std::string iso = "20" + d.substr(0, 2) + "-" + d.substr(2, 2) + "-" + d.substr(4, 2) + "T" + h.substr(0, 2) + ":" +
                    h.substr(2, 2) + ":" + h.substr(4);
  return iso + "Z";
}

}  // namespace corvane::receiver
