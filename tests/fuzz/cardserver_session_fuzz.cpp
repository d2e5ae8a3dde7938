// Fuzz target: arbitrary client bytes fed to one card server session in pieces
// (the first byte sets their size). Replies must be whole, well-formed frames,
// a welcome or refusal only first, and nothing once the client is dropped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cardserver/session.h"
#include "fuzz_support.h"

namespace {

namespace wire = corvane::cardlink::wire;

using corvane::fuzz::Require;

// Checks one reply; counts the frames the session has sent so far.
void CheckReply(const std::string& reply, std::size_t& framesSent) {
  wire::FrameReader reader;
  reader.Append(reply);
  wire::Items items;
  std::string error;
  while (reader.Next(items, error) == wire::FrameReader::Status::Frame) {
    const std::string& name = items.front();
    const bool opening = name == wire::kWelcome || name == wire::kRefused;
    Require(opening == (framesSent == 0));
    Require(opening || name == wire::kAnswer || name == wire::kEvent);
    if (name == wire::kAnswer) {
      Require(items.size() >= 4 && wire::ParseNumber(items[1]) && wire::ParseNumber(items[2]));
    }
    ++framesSent;
  }
  Require(reader.Buffered() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieced = corvane::fuzz::ReadPiecedInput(data, size);
  if (!pieced) {
    return 0;
  }
  const std::size_t piece = pieced->piece;
  std::string_view input = pieced->bytes;
  corvane::cardserver::SharedState shared;
  shared.cardStatus = {1, 5};
  corvane::cardserver::Session session(shared);
  std::size_t framesSent = 0;
  while (!input.empty()) {
    const std::string_view bytes = input.substr(0, piece);
    input.remove_prefix(bytes.size());
    const bool wasDropped = session.Dropped();
    std::string reply;
    auto dropReason = session.Receive(bytes, reply);
    while (!dropReason && session.HasPending()) {
      dropReason = session.Receive({}, reply);
    }
    Require(!wasDropped || (reply.empty() && !dropReason));
    Require(!dropReason || (!dropReason->empty() && session.Dropped()));
    CheckReply(reply, framesSent);
  }
  return 0;
}
