// Fuzz target: arbitrary bytes from a card server, read by the client's frame
// reader in pieces (the first byte sets their size) and sorted as the client
// sorts them. The reader refuses a broken stream with a reason, drops what it
// held and takes nothing more; answers give results or an error
// and never read past their items.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cardlink/server_replies.h"
#include "cardlink/wire.h"
#include "fuzz_support.h"

namespace {

namespace cardlink = corvane::cardlink;
namespace wire = cardlink::wire;

using corvane::fuzz::Require;

void CheckFrame(const wire::Items& items) {
  Require(!items.empty());
  const cardlink::ServerReply reply = cardlink::SortServerFrame(items);
  using Kind = cardlink::ServerReply::Kind;
  const std::string& name = items.front();
  Require((reply.kind == Kind::Opening) == (name == wire::kWelcome || name == wire::kRefused));
  Require((reply.kind == Kind::Answer) == (name == wire::kAnswer));
  if (reply.kind == Kind::Text) {
    // A record may be followed by its first station and hop count, then the
    // identity the first receiver gave it, then reception facts; items a
    // newer server adds are passed over, so any count from 3 is a record.
    Require(items.size() >= 3 && reply.text == items[2]);
  }
  if (reply.kind == Kind::Answer) {
    const cardlink::AnswerOutcome outcome = cardlink::ReadAnswer(items);
    Require(!outcome.wellFormed || outcome.results.size() + 4 == items.size());
    Require(outcome.wellFormed || outcome.results.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieced = corvane::fuzz::ReadPiecedInput(data, size);
  if (!pieced) {
    return 0;
  }
  const std::size_t piece = pieced->piece;
  std::string_view input = pieced->bytes;
  wire::FrameReader reader;
  bool broken = false;
  while (!input.empty()) {
    const std::string_view bytes = input.substr(0, piece);
    input.remove_prefix(bytes.size());
    reader.Append(bytes);
    wire::Items items;
    std::string error;
    for (auto status = reader.Next(items, error); status != wire::FrameReader::Status::NeedMore;
         status = reader.Next(items, error)) {
      if (status == wire::FrameReader::Status::Invalid) {
        Require(!error.empty());
        broken = true;
        break;
      }
      Require(!broken);
      CheckFrame(items);
    }
    if (broken) {
      // Once broken, the stream holds nothing more and gives no more frames.
      reader.Append(input);
      Require(reader.Buffered() == 0);
      wire::Items more;
      std::string error;
      Require(reader.Next(more, error) == wire::FrameReader::Status::Invalid);
      break;
    }
  }
  return 0;
}
