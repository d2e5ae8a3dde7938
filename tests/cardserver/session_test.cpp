// Tests of one client's session with the card server, without a network: the
// hello, the calls and their answers, the status event on enabling, framing
// across reads, and the reasons a client is dropped.
#include "cardserver/session.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::cardserver {
namespace {

namespace wire = cardlink::wire;
using Frames = std::vector<wire::Items>;

Frames Decode(const std::string& bytes) {
  wire::FrameReader reader;
  reader.Append(bytes);
  Frames frames;
  wire::Items items;
  std::string error;
  while (reader.Next(items, error) == wire::FrameReader::Status::Frame) {
    frames.push_back(items);
  }
  EXPECT_EQ(reader.Buffered(), 0U) << "a reply ends inside a frame";
  return frames;
}

const wire::Items kHelloW41{"HELLO", "CORVANE-CARDLINK", "1", std::string(kW41ProgId)};

class SessionTest : public ::testing::Test {
 protected:
  // The frames a session answers some frames with; the drop reason is kept.
  Frames Exchange(Session& session, const Frames& frames) {
    std::string bytes;
    for (const auto& items : frames) {
      bytes += wire::EncodeFrame(items);
    }
    return ExchangeRaw(session, bytes);
  }
  Frames ExchangeRaw(Session& session, const std::string& bytes) {
    std::string reply;
    dropReason = session.Receive(bytes, reply);
    return Decode(reply);
  }
  // An answer's error number and results.
  static wire::Items Outcome(const wire::Items& answer) { return {answer.begin() + 2, answer.end()}; }
  wire::Items Call(Session& session, const wire::Items& callTail) {
    wire::Items call{"CALL", "1"};
    call.insert(call.end(), callTail.begin(), callTail.end());
    const Frames answers = Exchange(session, {call});
    return answers.size() == 1 ? Outcome(answers[0]) : wire::Items{"no single answer"};
  }

  SharedState shared;
  std::optional<std::string> dropReason;
};

TEST_F(SessionTest, HelloIsWelcomedOnlyForAServedProgIdAndTheRightProtocol) {
  Session w41(shared);
  EXPECT_EQ(Exchange(w41, {kHelloW41}), Frames({{"WELCOME", "1"}}));
  EXPECT_TRUE(w41.Welcomed() && !dropReason);

  shared.servesW41 = false;
  Session refused(shared);
  EXPECT_EQ(Exchange(refused, {kHelloW41}), Frames({{"REFUSED", "463", "Class not registered on local machine"}}));
  EXPECT_TRUE(dropReason && refused.Dropped());
  Session w51(shared);
  EXPECT_EQ(Exchange(w51, {{"HELLO", "CORVANE-CARDLINK", "1", std::string(kW51ProgId)}}), Frames({{"WELCOME", "1"}}));

  for (const wire::Items& hello : Frames{{"HELLO", "OTHER-PROTOCOL", "1", std::string(kW51ProgId)},
                                         {"HELLO", "CORVANE-CARDLINK", "2", std::string(kW51ProgId)},
                                         {"HELLO", "CORVANE-CARDLINK", "1"},
                                         {"CALL", "1", "GetParam"}}) {
    Session session(shared);
    const Frames reply = Exchange(session, {hello});
    ASSERT_EQ(reply.size(), 1U);
    EXPECT_EQ(reply[0][0], "REFUSED");
    EXPECT_EQ(reply[0][1], "440");
    EXPECT_TRUE(dropReason && !session.Welcomed());
    EXPECT_TRUE(Exchange(session, {kHelloW41}).empty()) << "a dropped session answers nothing more";
  }
}

TEST_F(SessionTest, CardStatusIsThatOfTheSelectedCard) {
  shared.cardStatus = {1, 5};
  Session session(shared);
  Exchange(session, {kHelloW41});
  EXPECT_EQ(Call(session, {"GetCardStatus"}), wire::Items({"91", "Object variable not set"}));
  EXPECT_EQ(Call(session, {"ConnectByNumber", "0"}), wire::Items({"0", ""}));
  EXPECT_EQ(Call(session, {"GetCardStatus"}), wire::Items({"0", "", "1"}));
  EXPECT_EQ(Call(session, {"ConnectByNumber", "1"}), wire::Items({"0", ""}));
  EXPECT_EQ(Call(session, {"GetCardStatus"}), wire::Items({"0", "", "5"}));
  // Slots beyond the simulated cards hold no card; there are eight slots.
  shared.cardStatus = {1, 4};
  EXPECT_EQ(Call(session, {"ConnectByNumber", "7"}), wire::Items({"0", ""}));
  EXPECT_EQ(Call(session, {"GetCardStatus"}), wire::Items({"0", "", "5"}));
  EXPECT_EQ(Call(session, {"ConnectByNumber", "1"}), wire::Items({"0", ""}));
  for (const char* index : {"8", "-1", "65536"}) {
    EXPECT_EQ(Call(session, {"ConnectByNumber", index}), wire::Items({"9", "Subscript out of range"})) << index;
  }
  EXPECT_EQ(Call(session, {"GetCardStatus"}), wire::Items({"0", "", "4"})) << "a failed connect keeps the card";
}

TEST_F(SessionTest, BadCallsAreAnsweredWithTheirErrors) {
  Session session(shared);
  Exchange(session, {kHelloW41});
  const wire::Items wrongArgs{"450", "Wrong number of arguments or invalid property assignment"};
  for (const wire::Items& call : Frames{{"ConnectByNumber"},
                                        {"ConnectByNumber", "one"},
                                        {"ConnectByNumber", "0", "1"},
                                        {"EnableCallBackText", "2"},
                                        {"EnableCallBackStatus"},
                                        {"SetUpdateRate", "fast"},
                                        {"SetParam"},
                                        {"GetParam", "x"},
                                        {}}) {
    EXPECT_EQ(Call(session, call), wrongArgs) << (call.empty() ? "no operation" : call[0]);
  }
  EXPECT_EQ(Call(session, {"Reboot"}), wire::Items({"438", "Object doesn't support this property or method"}));
  EXPECT_EQ(Call(session, {"SetUpdateRate", "100"}), wire::Items({"0", ""}));
  EXPECT_FALSE(dropReason);
}

TEST_F(SessionTest, ParamKeepsEveryByteAndIsSharedByClients) {
  Session first(shared);
  Session second(shared);
  Exchange(first, {kHelloW41});
  Exchange(second, {kHelloW41});
  const wire::Items defaults = Call(second, {"GetParam"});
  ASSERT_EQ(defaults.size(), 3U);
  EXPECT_NE(defaults[2].find(";Mode=ACARS;"), std::string::npos);

  const std::string param("Mode=VDL2;\r\nGain=\0\xE9\xFF;", 22);
  EXPECT_EQ(Call(first, {"SetParam", param}), wire::Items({"0", ""}));
  EXPECT_EQ(Call(second, {"GetParam"}), wire::Items({"0", "", param}));
}

TEST_F(SessionTest, AnswersCarryTheirCallIdsInOrderAcrossSplitReads) {
  Session session(shared);
  std::string bytes = wire::EncodeFrame(kHelloW41);
  for (const char* id : {"7", "3", "0012"}) {
    bytes += wire::EncodeFrame({"CALL", id, "SetUpdateRate", "100"});
  }
  Frames reply;
  for (const char byte : bytes) {
    const Frames got = ExchangeRaw(session, std::string(1, byte));
    reply.insert(reply.end(), got.begin(), got.end());
  }
  ASSERT_EQ(reply.size(), 4U);
  EXPECT_EQ(reply[1][1], "7");
  EXPECT_EQ(reply[2][1], "3");
  EXPECT_EQ(reply[3][1], "0012");
}

TEST_F(SessionTest, ClientsBreakingTheProtocolAreDropped) {
  const std::string bigHeader("\x7F\xFF\xFF\xFF", 4);
  const std::string itemPastFrame(
      "\0\0\0\x06\0\0\0\x09"
      "ab",
      10);
  for (const std::string& bytes : {bigHeader, itemPastFrame, std::string(4, '\0')}) {
    Session session(shared);
    EXPECT_TRUE(ExchangeRaw(session, bytes).empty());
    EXPECT_TRUE(dropReason);
  }
  for (const wire::Items& frame : Frames{{"CALL"}, {"CALL", "x", "GetParam"}, kHelloW41, {"EVENT", "X"}}) {
    Session session(shared);
    EXPECT_EQ(Exchange(session, {kHelloW41, frame}).size(), 1U) << "only the welcome";
    EXPECT_TRUE(dropReason) << frame[0];
  }
}

TEST_F(SessionTest, LargeRepliesPauseUntilAskedAgain) {
  shared.param.assign(100 * 1024, 'p');
  Session session(shared);
  Frames all{kHelloW41};
  for (int i = 0; i < 10; ++i) {
    all.push_back({"CALL", wire::Number(i), "GetParam"});
  }
  std::size_t answers = Exchange(session, all).size() - 1;
  EXPECT_LT(answers, 10U);
  int rounds = 0;
  while (session.HasPending() && ++rounds < 20) {
    answers += ExchangeRaw(session, "").size();
  }
  EXPECT_EQ(answers, 10U);
}

TEST_F(SessionTest, EnablingStatusCallbacksReportsTheStateOnce) {
  shared.traffic = true;
  Session session(shared);
  Exchange(session, {kHelloW41});
  const Frames reply = Exchange(session, {{"CALL", "1", "EnableCallBackStatus", "1"}});
  ASSERT_EQ(reply.size(), 2U);
  EXPECT_EQ(reply[1], wire::Items({"EVENT", "NewSystemStatus", "0", "1", "0", "0", "0", "0", "0", "0"}));
  EXPECT_EQ(Exchange(session, {{"CALL", "2", "EnableCallBackStatus", "1"}}).size(), 1U);
  EXPECT_TRUE(session.StatusCallbacks() && !session.TextCallbacks());

  const std::string record("M=2  ADDR=.F-GKXA\r\n\0\xE9", 21);
  EXPECT_EQ(Decode(TextEventFrame(record)), Frames({{"EVENT", "NewTextData", record}}));
}

// Only a client that asks gets the facts; without facts the event is the
// same for both, and a relayed record keeps its origin items before them.
TEST_F(SessionTest, ReceptionFactsGoOnlyToClientsThatAsk) {
  Session session(shared);
  Exchange(session, {kHelloW41});
  EXPECT_FALSE(session.ReceptionFacts());
  const Frames reply = Exchange(session, {{"CALL", "1", "EnableReceptionFacts", "1"}});
  ASSERT_EQ(reply.size(), 1U);
  EXPECT_EQ(reply[0], wire::Items({"ANSWER", "1", "0", ""}));
  EXPECT_TRUE(session.ReceptionFacts());

  reception::ReceptionFacts facts;
  facts.frequencyMhz = 131.725;
  facts.level = -22;
  facts.levelUnit = "dB";
  facts.link = "acars";
  EXPECT_EQ(Decode(TextEventFrame("M=2", std::nullopt, &facts)),
            Frames({{"EVENT", "NewTextData", "M=2", "", "0", "", "freq=131.725", "level=-22", "level_unit=dB",
                     "link=acars"}}));
  const capture::RecordOrigin origin{"north", 1, "id-7"};
  EXPECT_EQ(Decode(TextEventFrame("M=2", origin, &facts)).at(0).at(5), "id-7");
  const reception::ReceptionFacts none;
  EXPECT_EQ(TextEventFrame("M=2", std::nullopt, &none), TextEventFrame("M=2"));
  EXPECT_EQ(TextEventPayloadSize("M=2", origin, &facts) + 4, TextEventFrame("M=2", origin, &facts).size());
}

}  // namespace
}  // namespace corvane::cardserver
