// Fuzz target: arbitrary client bytes fed to one live link conversation in
// pieces (the first byte sets their size). Each frame gets one well-formed
// answer, links add up, values go out byte-exact, an ended one stays silent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "livelink/conversation.h"

namespace {

namespace livelink = corvane::livelink;
namespace wire = corvane::cardlink::wire;

using corvane::fuzz::Require;

bool EndsTheConversation(std::string_view name) {
  return name == livelink::kRefused || name == livelink::kClosed || name == livelink::kDropped;
}

bool IsAnswer(std::string_view name) {
  return name == livelink::kConnected || name == livelink::kData || name == livelink::kAdvised ||
         name == livelink::kUnadvised || name == livelink::kError || EndsTheConversation(name);
}

// Checks one step's answer and its link changes; keeps the count of open links.
void CheckStep(const livelink::StepResult& result, const livelink::ItemValues& values, long& links,
               int& connectedAnswers) {
  wire::FrameReader reader;
  reader.Append(result.reply);
  wire::Items items;
  std::string error;
  Require(reader.Next(items, error) == wire::FrameReader::Status::Frame);
  Require(reader.Next(items, error) == wire::FrameReader::Status::NeedMore && reader.Buffered() == 0);
  const std::string& name = items.front();
  Require(IsAnswer(name));
  Require(EndsTheConversation(name) == (result.ending != livelink::Ending::None));
  if (name == livelink::kData) {
    Require(items.size() == 3 && values.at(items[1]) == items[2]);
  }
  if (name == livelink::kConnected) {
    Require(++connectedAnswers == 1);
  }
  for (const livelink::LinkChange& change : result.links) {
    Require(livelink::IsKnownItem(change.item));
    links += change.opened ? 1 : -1;
    Require(links >= 0 && links <= 3);  // one link per item at most
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
  const livelink::ItemValues values{
      {"LiveItem", std::string("M=2\r\n\0\xff", 7)}, {"LiveData", "0ACARS mode: 2"}, {"LiveJSON", "{\"mode\":\"2\"}"}};
  livelink::Conversation conversation(values);
  long links = 0;
  int connectedAnswers = 0;
  while (!input.empty()) {
    const std::string_view bytes = input.substr(0, piece);
    input.remove_prefix(bytes.size());
    conversation.Feed(bytes);
    livelink::StepResult result;
    while (conversation.Step(result)) {
      CheckStep(result, values, links, connectedAnswers);
      result = livelink::StepResult();
    }
    Require(result.reply.empty() && result.links.empty());
    Require(static_cast<long>(conversation.LinkCount()) == links);
    Require(!conversation.HasEnded() || links == 0);
  }
  const auto closed = conversation.Abandon();
  Require(static_cast<long>(closed.size()) == links);
  return 0;
}
