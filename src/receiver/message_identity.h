// The identity a receiver gives each message its own card hears: it travels
// with the message in LiveJSON, over MQTT and through relays, and a store
// keeps each identity once, so a message relayed back into the same store
// or delivered twice by a broker is stored once.
//
// An identity is "<run>-<n>": the run is a 64-bit number drawn at random when
// the receiver starts (16 hex digits), n counts the records of the run from
// 1. A restart draws a new run, so no identity is given twice without any
// file to keep a counter in (two receivers of one station share nothing
// either); two runs drawing the same number is a chance of 1 in 2^64.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::receiver {

class MessageIdentities {
 public:
  MessageIdentities();
  // The run's number as written in every identity it gives.
  [[nodiscard]] const std::string& Run() const { return run_; }
  // The identity of the next message.
  std::string Next();

 private:
  std::string run_;
  std::uint64_t given_ = 0;
};

}  // namespace corvane::receiver
