// Fuzz target: arbitrary bytes as one datagram on the card server's UDP feed
// (acarsdec or dumpvdl2 JSON lines). Every non-blank line gives either a card
// text record or a reason, and every record travels in a card event frame
// that the client reads back unchanged, with its origin when it has one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cardlink/server_replies.h"
#include "cardlink/wire.h"
#include "cardserver/session.h"
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
  for (const auto& record : contents.records) {
    if (!corvane::cardserver::FitsOneFrame(record.txt, record.origin)) {
      continue;  // refused at the feed
    }
    wire::FrameReader reader;
    reader.Append(corvane::cardserver::TextEventFrame(record.txt, record.origin));
    wire::Items items;
    std::string error;
    Require(reader.Next(items, error) == wire::FrameReader::Status::Frame);
    const auto reply = corvane::cardlink::SortServerFrame(items);
    Require(reply.kind == corvane::cardlink::ServerReply::Kind::Text && reply.text == record.txt);
    Require(reply.origin.station == (record.origin ? record.origin->station : "") &&
            reply.origin.hops == (record.origin ? record.origin->hops : 0) &&
            reply.origin.id == (record.origin ? record.origin->id : ""));
  }
  return 0;
}
