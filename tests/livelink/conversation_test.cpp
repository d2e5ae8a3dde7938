// Tests of one client's conversation as plain C++: opening on the topic,
// answers and errors, the links it holds, and the frames that end it.
#include "livelink/conversation.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace corvane::livelink {
namespace {

using namespace std::string_literals;
using testing::FramesIn;

const std::string kRecord = "M=2  ADDR=.N123UA TA=! ML=H1 B=2\r\nTEXT\0\xe9\xff"s;

class ConversationTest : public ::testing::Test {
 protected:
  // Feeds the frames and answers all of them; the frames sent back.
  std::vector<wire::Items> Say(const std::vector<wire::Items>& frames) {
    for (const auto& items : frames) {
      conversation.Feed(wire::EncodeFrame(items));
    }
    return Answer();
  }
  std::vector<wire::Items> Answer() {
    std::string reply;
    StepResult result;
    while (conversation.Step(result)) {
      reply += result.reply;
      links.insert(links.end(), result.links.begin(), result.links.end());
      if (result.ending != Ending::None) {
        ending = result.ending;
      }
      result = StepResult();
    }
    return FramesIn(reply);
  }
  std::vector<wire::Items> Connect() { return Say({{"CONNECT", "CORVANE-LIVELINK", "1", "ACARS"}}); }

  ItemValues values{{"LiveItem", kRecord}, {"LiveData", ""}};
  Conversation conversation{values};
  std::vector<LinkChange> links;
  Ending ending = Ending::None;
};

TEST_F(ConversationTest, OpensOnAcarsAndAnswersRequestsByteExact) {
  EXPECT_EQ(Connect(), (std::vector<wire::Items>{{"CONNECTED", "ACARS"}}));
  EXPECT_TRUE(conversation.IsOpen());
  EXPECT_EQ(Say({{"REQUEST", "LiveItem"}, {"REQUEST", "LiveData"}}),
            (std::vector<wire::Items>{{"DATA", "LiveItem", kRecord}, {"DATA", "LiveData", ""}}));

  // A command split anywhere is answered once it is whole.
  const std::string frame = wire::EncodeFrame({"REQUEST", "LiveItem"});
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    conversation.Feed(frame.substr(i, 1));
    EXPECT_TRUE(Answer().empty());
  }
  conversation.Feed(frame.substr(frame.size() - 1));
  EXPECT_EQ(Answer(), (std::vector<wire::Items>{{"DATA", "LiveItem", kRecord}}));
}

TEST_F(ConversationTest, RefusesAnotherTopicOrProtocolAndEnds) {
  const auto refused = Say({{"CONNECT", "CORVANE-LIVELINK", "1", "acars"}, {"REQUEST", "LiveItem"}});
  ASSERT_EQ(refused.size(), 1U);  // nothing after the refusal is answered
  EXPECT_EQ(refused[0][0], "REFUSED");
  EXPECT_EQ(refused[0][1], "unknown-topic");
  EXPECT_NE(refused[0][2].find("\"ACARS\""), std::string::npos) << refused[0][2];
  EXPECT_EQ(ending, Ending::Refused);
  EXPECT_TRUE(conversation.HasEnded());

  Conversation other{values};
  other.Feed(wire::EncodeFrame({"CONNECT", "CORVANE-LIVELINK", "2", "ACARS"}));
  StepResult result;
  ASSERT_TRUE(other.Step(result));
  EXPECT_EQ(FramesIn(result.reply).at(0).at(1), "bad-protocol");
  EXPECT_EQ(result.ending, Ending::Refused);
}

TEST_F(ConversationTest, AnswersMistakesWithErrorsAndGoesOn) {
  const auto early = Say({{"ADVISE", "LiveItem"}});
  ASSERT_EQ(early.size(), 1U);
  EXPECT_EQ(early[0], (wire::Items{"ERROR", "ADVISE", "LiveItem", "not-connected", early[0][4]}));
  Connect();
  const auto errors = Say({{"REQUEST", "liveitem"},
                           {"ADVISE", "LiveData"},
                           {"ADVISE", "LiveData"},
                           {"UNADVISE", "LiveItem"},
                           {"PEEK", "LiveItem"},
                           {"REQUEST"},
                           {"CLOSE", "now"},
                           {"CONNECT", "CORVANE-LIVELINK", "1", "ACARS"}});
  std::vector<std::string> codes;
  for (const auto& frame : errors) {
    codes.push_back(frame[0] == "ERROR" ? frame.at(3) : frame[0]);
  }
  EXPECT_EQ(codes,
            (std::vector<std::string>{"unknown-item", "ADVISED", "already-advised", "not-advised", "unknown-command",
                                      "bad-arguments", "bad-arguments", "already-connected"}));
  EXPECT_NE(errors[0][4].find("LiveItem, LiveData"), std::string::npos) << errors[0][4];
  // One link opened, and the conversation still answers.
  EXPECT_EQ(links, (std::vector<LinkChange>{{"LiveData", true}}));
  EXPECT_EQ(Say({{"REQUEST", "LiveItem"}}).at(0).at(2), kRecord);
}

TEST_F(ConversationTest, TracksLinksAndClosesThemAllWhenItEnds) {
  Connect();
  Say({{"ADVISE", "LiveItem"}, {"ADVISE", "LiveData"}, {"UNADVISE", "LiveItem"}, {"ADVISE", "LiveItem"}});
  EXPECT_EQ(conversation.LinkCount(), 2U);
  EXPECT_TRUE(conversation.IsAdvised("LiveData"));
  EXPECT_EQ(Say({{"CLOSE"}, {"REQUEST", "LiveItem"}}), (std::vector<wire::Items>{{"CLOSED"}}));
  EXPECT_EQ(ending, Ending::Closed);
  EXPECT_EQ(links, (std::vector<LinkChange>{{"LiveItem", true},
                                            {"LiveData", true},
                                            {"LiveItem", false},
                                            {"LiveItem", true},
                                            {"LiveData", false},
                                            {"LiveItem", false}}));
  EXPECT_EQ(conversation.LinkCount(), 0U);

  // A client that goes away takes its links with it.
  Conversation gone{values};
  gone.Feed(wire::EncodeFrame({"CONNECT", "CORVANE-LIVELINK", "1", "ACARS"}) +
            wire::EncodeFrame({"ADVISE", "LiveData"}));
  StepResult result;
  while (gone.Step(result)) {
  }
  EXPECT_EQ(gone.Abandon(), (std::vector<LinkChange>{{"LiveData", false}}));
  EXPECT_TRUE(gone.HasEnded());
}

TEST_F(ConversationTest, DropsGarbageAndOversizedFramesWithTheReason) {
  Connect();
  Say({{"ADVISE", "LiveItem"}});
  conversation.Feed(
      "\0\0\0\x06\0\0\0\x09"
      "ab"s);
  const auto dropped = Answer();
  ASSERT_EQ(dropped.size(), 1U);
  EXPECT_EQ(dropped[0], (wire::Items{"DROPPED", "an item is longer than its frame"}));
  EXPECT_EQ(ending, Ending::Dropped);
  EXPECT_EQ(links.back(), (LinkChange{"LiveItem", false}));
  conversation.Feed(wire::EncodeFrame({"REQUEST", "LiveItem"}));
  EXPECT_TRUE(Answer().empty());

  Conversation flooded{values};
  flooded.Feed("\x7f\xff\xff\xff"s + std::string(100, 'x'));
  StepResult result;
  ASSERT_TRUE(flooded.Step(result));
  EXPECT_EQ(result.ending, Ending::Dropped);
  EXPECT_NE(result.reason.find("over the limit"), std::string::npos) << result.reason;
}

}  // namespace
}  // namespace corvane::livelink
