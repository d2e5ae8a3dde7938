// Drawing a run's number and counting its messages.
#include "receiver/message_identity.h"

#include <cstdio>
#include <random>

namespace corvane::receiver {

MessageIdentities::MessageIdentities() {
  std::random_device source;  // the system's entropy (/dev/urandom here)
  const std::uint64_t run = (static_cast<std::uint64_t>(source()) << 32) ^ source();
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(run));
  run_ = digits;
}

std::string MessageIdentities::Next() { return run_ + "-" + std::to_string(++given_); }

}  // namespace corvane::receiver
