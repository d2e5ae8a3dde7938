// Fuzz target: arbitrary bytes as one datagram on the card server's UDP feed
// (acarsdec or dumpvdl2 JSON lines). Every non-blank line gives either a card
// text record or a reason, and every record travels in a card event frame
// that the client reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cardlink/server_replies.h"
#include "cardlink/wire.h"
#include "cardserver/udp_feed.h"
#include "fuzz_support.h"

namespace {

namespace wire = corvane::cardlink::wire;

using corvane::fuzz::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view datagram(reinterpret_cast<const char*>(data), size);
  const auto contents = corvane::cardserver::ReadDatagram(datagram);
  Require(contents.records.size() + contents.refusals.size() == corvane::cardserver::DatagramLines(datagram).size());
  for (const std::string& refusal : contents.refusals) {
    Require(!refusal.empty());
  }
  for (const std::string& record : contents.records) {
    wire::FrameReader reader;
    reader.Append(wire::EncodeFrame({std::string(wire::kEvent), "NewTextData", record}));
    wire::Items items;
    std::string error;
    Require(reader.Next(items, error) == wire::FrameReader::Status::Frame);
    const auto reply = corvane::cardlink::SortServerFrame(items);
    Require(reply.kind == corvane::cardlink::ServerReply::Kind::Text && reply.text == record);
  }
  return 0;
}
