// The card server protocol's framing, shared by the client and the stand-in
// server: frames of a 4-byte big-endian length and a payload, a payload being
// a list of length-prefixed items that carry any bytes. See
// docs/cardserver-protocol.md. Plain C++, so the server and the fuzz tests
// use it without Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cardlink::wire {

inline constexpr std::uint16_t kDefaultPort = 7441;
inline constexpr std::uint32_t kMaxPayload = 4U * 1024U * 1024U;
inline constexpr std::string_view kProtocolName = "CORVANE-CARDLINK";
inline constexpr std::string_view kProtocolVersion = "1";

// Message names (the first item of every payload).
inline constexpr std::string_view kHello = "HELLO";
inline constexpr std::string_view kWelcome = "WELCOME";
inline constexpr std::string_view kRefused = "REFUSED";
inline constexpr std::string_view kCall = "CALL";
inline constexpr std::string_view kAnswer = "ANSWER";
inline constexpr std::string_view kEvent = "EVENT";

using Items = std::vector<std::string>;

// One whole frame: length and payload.
std::string EncodeFrame(const Items& items);

// The items of a payload; nothing (with the reason) when they do not add up.
std::optional<Items> DecodePayload(std::string_view payload, std::string& error);

// Numbers travel as plain decimal ASCII.
std::string Number(long long value);
std::optional<long long> ParseNumber(std::string_view text);

// Collects received bytes and hands out complete frames. It never holds more
// than one frame's header and the largest payload allowed.
class FrameReader {
 public:
  enum class Status { NeedMore, Frame, Invalid };

  void Append(std::string_view bytes);

  // The next complete frame's items. Invalid (with the reason) means the
  // peer is not speaking the protocol and must be dropped; the reader then
  // stays invalid.
  Status Next(Items& items, std::string& error);

  // Bytes received but not yet handed out.
  [[nodiscard]] std::size_t Buffered() const { return buffer_.size() - consumed_; }

 private:
  std::string buffer_;
  std::size_t consumed_ = 0;
  bool invalid_ = false;
  std::string invalidReason_;
};

}  // namespace corvane::cardlink::wire
