// Tests of the connection manager against a scripted card server: the order
// of the calls when connecting, the parameter string, the mode display, the
// status panel, the buttons, failures and a server lost while connected.
#include "cardlink/connection_manager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <vector>

#include "cardlink/event_wait.h"

namespace corvane::cardlink {
namespace {

// Logs every call; answers as scripted.
class ScriptedServer : public CardServer {
 public:
  explicit ScriptedServer(std::vector<std::string>& calls) : calls_(calls) {}

  void ConnectByNumber(std::int16_t card) override { Log("ConnectByNumber " + std::to_string(card)); }
  void GetCardStatus(std::int32_t& status) override {
    Log("GetCardStatus");
    if (failStatus) {
      throw AutomationError(91, "Object variable not set");
    }
    status = cardStatus;
  }
  void SetUpdateRate(std::int16_t rate) override { Log("SetUpdateRate " + std::to_string(rate)); }
  void EnableCallBackText(bool on) override {
    Log(std::string("EnableCallBackText ") + (on ? "1" : "0"));
    if (failCallbacks) {
      throw AutomationError(kRemoteServerUnavailable, "gone");
    }
  }
  void EnableCallBackStatus(bool on) override { Log(std::string("EnableCallBackStatus ") + (on ? "1" : "0")); }
  void EnableCallBackRaw(bool on) override { Log(std::string("EnableCallBackRaw ") + (on ? "1" : "0")); }
  bool EnableReceptionFacts(bool on) override {
    Log(std::string("EnableReceptionFacts ") + (on ? "1" : "0"));
    return true;
  }
  void SetParam(std::string& parameters) override {
    Log("SetParam");
    stored = parameters;
  }
  void GetParam(std::string& parameters) override {
    Log("GetParam");
    parameters = stored;
  }

  std::int32_t cardStatus = 1;
  bool failStatus = false;
  bool failCallbacks = false;
  std::string stored;

 private:
  void Log(const std::string& call) { calls_.push_back(call); }
  std::vector<std::string>& calls_;
};

class RecordingView : public ConnectionView {
 public:
  void SetConnectEnabled(bool enabled) override { connectEnabled = enabled; }
  void SetConnectCaption(const std::string& caption) override { connectCaption = caption; }
  void SetConfigEnabled(bool enabled) override { configEnabled = enabled; }
  void SetModePanel(const std::string& text) override { panel1 = text; }
  void SetStatusPanel(const std::string& text) override { panel3 = text; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ConnectionDropped(const std::string& reason) override { dropped.push_back(reason); }

  bool connectEnabled = false;
  std::string connectCaption = "unset";
  bool configEnabled = false;
  std::string panel1 = "unset";
  std::string panel3 = "unset";
  std::vector<std::string> errors;
  std::vector<std::string> dropped;
};

class ConnectionManagerTest : public ::testing::Test {
 protected:
  ConnectionManagerTest()
      : manager(view, settings, [this](const std::string& progId, const std::string& host) {
          created.push_back(progId + "@" + host);
          if (createError) {
            throw *createError;
          }
          auto made = std::make_unique<ScriptedServer>(calls);
          made->cardStatus = cardStatus;
          made->stored = "Baudrate=2400.000000;Mode=ACARS;Auto=OFF;";
          server = made.get();
          return made;
        }) {
    settings.HostName = "radio-pc";
    settings.CardType = 1;
    settings.CardNumber = 3;
    settings.IFInput = 1;
    settings.IFFreqs = 0;
    manager.CanConnect = true;
  }

  RecordingView view;
  CardSettings settings;
  std::vector<std::string> calls;
  std::vector<std::string> created;
  std::optional<AutomationError> createError;
  std::int32_t cardStatus = 1;
  ScriptedServer* server = nullptr;
  ConnectionManager manager;
};

TEST(DecoderParameters, AreTheFixedPiecesThenInputAndTranslation) {
  EXPECT_EQ(DecoderParameters(1, 0),
            "Baudrate=2400.000000;Mode=ACARS;Auto=OFF;Demodulation=DSP;Shift=1200;Center=1800;Ias=OFF;"
            "Data-mode=ITA2-LATIN;Display-mode=NO-ERROR;Oscillator=4000000;Gain=40;Input=AF;Translation=0;");
  EXPECT_NE(DecoderParameters(2, 455000).find("Gain=40;Input=HF;Translation=455000;"), std::string::npos);
  for (const std::int16_t input : {3, 4, 0, -1}) {
    const std::string parameters = DecoderParameters(input, -500);
    EXPECT_EQ(parameters.find("Input="), std::string::npos) << input;
    EXPECT_NE(parameters.find("Gain=40;Translation=-500;"), std::string::npos) << input;
  }
}

TEST(DecoderMode, IsTheValueOfTheModeItem) {
  EXPECT_EQ(DecoderModeOf("Baudrate=2400.000000;Mode=ACARS;Auto=OFF;"), "ACARS");
  EXPECT_EQ(DecoderModeOf(DecoderParameters(1, 0)), "ACARS");
  // The lower-case "mode=" of other keys does not count.
  EXPECT_EQ(DecoderModeOf("Data-mode=ITA2-LATIN;Display-mode=NO-ERROR;"), "");
  EXPECT_EQ(DecoderModeOf(""), "");
  EXPECT_EQ(DecoderModeOf("Mode=VDL"), "VDL");
  // The ";" is looked for from the value's second character on.
  EXPECT_EQ(DecoderModeOf("Mode=;Gain=40;"), ";Gain=40");
}

TEST(ErrorText, NamesAnUnregisteredServerOrGivesNumberAndDescription) {
  EXPECT_EQ(ErrorText(AutomationError(463, "Class not registered on local machine")),
            "Wavecom server is not registered on this client");
  EXPECT_EQ(ErrorText(AutomationError(462, "The remote server machine does not exist or is unavailable")),
            "462 - The remote server machine does not exist or is unavailable");
}

TEST_F(ConnectionManagerTest, ConnectingMakesTheCallsInOrder) {
  manager.ConnectClicked();
  EXPECT_TRUE(manager.Connected);
  ASSERT_EQ(created, (std::vector<std::string>{"W41System.W41System.1@radio-pc"}));
  EXPECT_EQ(calls, (std::vector<std::string>{"ConnectByNumber 2", "GetCardStatus", "EnableReceptionFacts 1",
                                             "SetUpdateRate 100", "EnableCallBackText 1", "EnableCallBackStatus 1",
                                             "EnableCallBackRaw 0", "SetParam", "GetParam"}));
  EXPECT_EQ(server->stored, DecoderParameters(1, 0));
  EXPECT_EQ(view.panel1, "ACARS");
  EXPECT_TRUE(manager.TimerA.isActive());
  EXPECT_EQ(manager.TimerA.interval(), 2000);
  EXPECT_EQ(view.connectCaption, "&Disconnect");
  EXPECT_FALSE(view.configEnabled);
  EXPECT_TRUE(view.connectEnabled);
  EXPECT_TRUE(view.errors.empty());

  // Disconnecting turns the callbacks off, stops the refresh and clears the panels.
  calls.clear();
  view.panel3 = "TRAFFIC";
  manager.ConnectClicked();
  EXPECT_FALSE(manager.Connected);
  EXPECT_EQ(calls, (std::vector<std::string>{"EnableCallBackText 0", "EnableCallBackStatus 0", "EnableCallBackRaw 0"}));
  EXPECT_FALSE(manager.TimerA.isActive());
  EXPECT_EQ(manager.Server(), nullptr);
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_TRUE(view.configEnabled);
  EXPECT_EQ(view.panel1, "");
  EXPECT_EQ(view.panel3, "");
}

TEST_F(ConnectionManagerTest, CardTypeChoosesTheServerAndAnEmptyHostIsThisMachine) {
  settings.CardType = 2;
  settings.HostName.clear();
  EXPECT_TRUE(manager.ConnectCard(true));
  EXPECT_EQ(created.back(), "W51System.W51System.1@127.0.0.1");
  EXPECT_EQ(settings.HostName, "127.0.0.1");
  manager.ConnectCard(false);
  settings.CardType = 0;
  settings.HostName = std::string(1, '\0');
  EXPECT_TRUE(manager.ConnectCard(true));
  EXPECT_EQ(created.back(), "W41System.W41System.1@127.0.0.1");
  manager.ConnectCard(false);
  settings.CardType = 7;
  EXPECT_FALSE(manager.ConnectCard(true));
  EXPECT_EQ(created.size(), 2U);
  EXPECT_EQ(view.errors.size(), 1U);
}

TEST_F(ConnectionManagerTest, ACardThatIsNotRunningLeavesTheConnectionClosedWithoutAMessage) {
  cardStatus = 5;
  manager.ConnectClicked();
  EXPECT_FALSE(manager.Connected);
  EXPECT_TRUE(view.errors.empty());
  EXPECT_EQ(calls, (std::vector<std::string>{"ConnectByNumber 2", "GetCardStatus"}));
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_TRUE(view.configEnabled);
  EXPECT_TRUE(view.connectEnabled);
  EXPECT_FALSE(manager.TimerA.isActive());
  // A card being initialized is usable.
  cardStatus = 0;
  manager.ConnectClicked();
  EXPECT_TRUE(manager.Connected);
}

TEST_F(ConnectionManagerTest, CreationFailuresShowTheirMessage) {
  createError = AutomationError(463, "Class not registered on local machine");
  manager.ConnectClicked();
  EXPECT_FALSE(manager.Connected);
  EXPECT_EQ(view.errors, (std::vector<std::string>{"Wavecom server is not registered on this client"}));
  EXPECT_EQ(view.connectCaption, "&Connect");
  createError = AutomationError(462, "The remote server machine does not exist or is unavailable");
  manager.ConnectClicked();
  EXPECT_EQ(view.errors.back(), "462 - The remote server machine does not exist or is unavailable");
  EXPECT_TRUE(calls.empty());
}

TEST_F(ConnectionManagerTest, AFailingCardCheckIsReportedLikeAFailedCreation) {
  // This server fails its status query, as one that went away would.
  ConnectionManager failing(view, settings, [&](const std::string&, const std::string&) {
    auto made = std::make_unique<ScriptedServer>(calls);
    made->failStatus = true;
    return made;
  });
  EXPECT_FALSE(failing.ConnectCard(true));
  EXPECT_EQ(view.errors.back(), "91 - Object variable not set");
  EXPECT_EQ(failing.Server(), nullptr);
}

TEST_F(ConnectionManagerTest, RecordsAndStatusArriveDuringTheStartWait) {
  std::vector<std::string> records;
  manager.SetRecordHandler([&](const std::string& record) { records.push_back(record); });
  // Once the decoder parameters are sent, the card starts talking.
  QTimer::singleShot(450, [&] {
    ASSERT_NE(server, nullptr);
    emit server->NewSystemStatus(0, 1, 0, 0, 0, 0, 0, 0);
    emit server->NewTextData(QByteArray("M=2  ADDR=.N123UA TA=! ML=Q0 B=1\r\n", 34));
  });
  EXPECT_TRUE(manager.ConnectCard(true));
  EXPECT_EQ(records.size(), 1U);
  EXPECT_EQ(view.panel3, "TRAFFIC");
}

TEST_F(ConnectionManagerTest, StatusPanelShowsIdleOrTraffic) {
  manager.ShowSystemStatus(1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(view.panel3, "IDLE");
  manager.ShowSystemStatus(1, 1, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(view.panel3, "TRAFFIC");
  manager.ShowSystemStatus(0, 0, 1, 1, 1, 1, 1, 255);
  EXPECT_EQ(view.panel3, "TRAFFIC");
  manager.ShowSystemStatus(1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(view.panel3, "IDLE");
}

TEST_F(ConnectionManagerTest, TheRefreshShowsTheCurrentModeAndClearsWithoutOne) {
  ASSERT_TRUE(manager.ConnectCard(true));
  server->stored = "Mode=VDL2;Gain=40;";
  manager.ShowDecoderMode();
  EXPECT_EQ(view.panel1, "VDL2");
  // The next tick of the refresh timer clears the panel.
  server->stored = "Gain=40;";
  manager.TimerA.setInterval(10);
  WaitProcessingEvents(60);
  EXPECT_EQ(view.panel1, "");
}

TEST_F(ConnectionManagerTest, AServerLostWhileConnectedClosesTheConnection) {
  manager.ConnectClicked();
  ASSERT_TRUE(manager.Connected);
  emit server->ConnectionLost("the card server closed the connection");
  EXPECT_FALSE(manager.Connected);
  EXPECT_FALSE(manager.TimerA.isActive());
  EXPECT_EQ(manager.Server(), nullptr);
  EXPECT_EQ(view.dropped, (std::vector<std::string>{"the card server closed the connection"}));
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_TRUE(view.configEnabled);
  // Connecting again works.
  manager.ConnectClicked();
  EXPECT_TRUE(manager.Connected);
}

TEST_F(ConnectionManagerTest, ClosingTriesEveryStepEvenWhenOneFails) {
  ASSERT_TRUE(manager.ConnectCard(true));
  server->failCallbacks = true;
  calls.clear();
  EXPECT_FALSE(manager.ConnectCard(false));
  EXPECT_EQ(calls, (std::vector<std::string>{"EnableCallBackText 0", "EnableCallBackStatus 0", "EnableCallBackRaw 0"}));
  EXPECT_EQ(manager.Server(), nullptr);
}

TEST_F(ConnectionManagerTest, ButtonsFollowTheState) {
  manager.CanConnect = false;
  manager.UpdateConnectButtons();
  EXPECT_FALSE(view.connectEnabled);
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_TRUE(view.configEnabled);
  manager.CanConnect = true;
  manager.UpdateConnectButtons();
  EXPECT_TRUE(view.connectEnabled);
}

}  // namespace
}  // namespace corvane::cardlink
