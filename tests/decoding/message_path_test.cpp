// Tests of the message path: the outputs of one record and their order, the
// aircraft list and store, the display filters, the report, the log and the
// live summary.
#include "decoding/message_path.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "decoding_printers.h"
#include "reference/reference_tables.h"
#include "scratch_dir.h"

namespace corvane::decoding {
namespace {

using test_support::ReadBytes;
using test_support::ScratchDir;

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string StampLine(const std::string& stamp) { return "= " + stamp + "Z " + std::string(33, '='); }

const std::string kPoints(56, '.');
const std::string kHyphens(56, '-');
const std::string kParis = "Paris" + std::string(15, ' ') + "France";

const std::string kFull = "M=2 ADDR=N123UA TA=! ML=H1 B=5 MSN=M01A FID=UA0123\r\nHELLO WORLD";

// Logs every output call in the order it comes.
class RecordingOutputs : public MessageOutputs {
 public:
  explicit RecordingOutputs(std::vector<std::string>& events) : events_(events) {}

  void SetLiveItem(const std::string& record) override { events_.push_back("LiveItem " + record); }
  void SetLiveData(const std::string& summary) override {
    events_.push_back("LiveData");
    liveData.push_back(summary);
    if (onLiveData) {
      onLiveData();
    }
  }
  void ShowHeader(const HeaderFields& header) override {
    events_.push_back("Header");
    headers.push_back(header);
  }
  void ShowPanels(const PanelState& panels) override {
    events_.push_back("Panels");
    shownPanels.push_back(panels);
  }
  void SetStatusStamp(const std::string& stamp) override { events_.push_back("Stamp " + stamp); }
  void PlaneInserted(std::size_t position, const std::string& address) override {
    events_.push_back("Plane " + std::to_string(position) + " " + address);
  }

  std::vector<std::string> liveData;
  std::vector<HeaderFields> headers;
  std::vector<PanelState> shownPanels;
  std::function<void()> onLiveData;

 private:
  std::vector<std::string>& events_;
};

class FakeStore : public MessageStore {
 public:
  explicit FakeStore(std::vector<std::string>& events) : events_(events) {}

  void StoreMessage(std::int32_t DBType, const std::string& DBName, const MessageRecord& record) override {
    events_.push_back("Store " + std::to_string(DBType) + " " + DBName + " " + record.Address);
    stored.push_back(record);
  }

  std::vector<MessageRecord> stored;

 private:
  std::vector<std::string>& events_;
};

class MessagePathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tables.FillBuiltinTables(); }

  MessagePathTest() {
    path.SetStore(&store);
    path.SetTrafficLog(&log);
  }

  // Handles one record and returns the output calls it made.
  std::vector<std::string> Handle(const std::string& record) {
    events.clear();
    path.HandleTextRecord(record);
    return events;
  }

  [[nodiscard]] std::string LogFile() const { return ReadBytes(scratch / "Corvane.txt"); }

  static reference::ReferenceTables tables;
  ScratchDir scratch;
  std::vector<std::string> events;
  RecordingOutputs outputs{events};
  FakeStore store{events};
  UtcTime now{2026, 12, 7, 21, 0, 5, 5};
  int clockReadings = 0;
  TrafficLog log{(scratch / "Corvane.txt").string()};
  MessagePath path{tables, outputs, [this] {
                     ++clockReadings;
                     return now;
                   }};
};

reference::ReferenceTables MessagePathTest::tables;

TEST_F(MessagePathTest, AcceptedMessageDrivesEveryOutputInOrder) {
  path.DBType = 1;
  log.Click(LogBox::Checked);
  std::size_t logSizeAtLiveData = 0;
  outputs.onLiveData = [&] { logSizeAtLiveData = LogFile().size(); };

  EXPECT_EQ(Handle(kFull), (std::vector<std::string>{"LiveItem " + kFull, "Plane 0 N123UA", "Store 1 Corvane N123UA",
                                                     "Header", "Panels", "Stamp 07/12 21:00:05", "LiveData"}));
  EXPECT_EQ(clockReadings, 1);

  ASSERT_EQ(store.stored.size(), 1U);
  EXPECT_EQ(store.stored[0],
            (MessageRecord{"261207", "210005.005", "2", "N123UA", "UA0123", "H1", "5", "M01A", "HELLO WORLD"}));

  const HeaderFields header{"2", ".N123UA", "UA0123", "M01A", "Message to/from terminal", true, true};
  EXPECT_EQ(path.Header(), header);
  ASSERT_EQ(outputs.headers.size(), 1U);
  EXPECT_EQ(outputs.headers[0], header);

  // An H1 message is shown as raw text.
  ASSERT_EQ(outputs.shownPanels.size(), 1U);
  EXPECT_EQ(outputs.shownPanels[0], path.Panels());
  EXPECT_TRUE(path.Panels().Visible(Panel::fMSG));
  EXPECT_EQ(path.Panels().msgText, "HELLO WORLD");
  EXPECT_EQ(path.DecodedBlock(), "");

  EXPECT_EQ(path.StatusStamp(), "07/12 21:00:05");
  const std::string report =
      Lines({StampLine("07/12/2026 21:00:05"), "Mode: 2 Label:H1 MSN:M01A Aircraft:.N123UA Flight:UA0123",
             "Message to/from terminal", kPoints}) +
      "HELLO WORLD";
  EXPECT_EQ(path.MessageReport(), report);
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Written);
  EXPECT_EQ(LogFile(), report + "\r\n");
  // The log is written before LiveData is published.
  EXPECT_EQ(logSizeAtLiveData, report.size() + 2);

  const std::string summary =
      Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: H1  Block id: 5  Msg. no: M01A",
             "Flight id: UA0123", "Message content:-"}) +
      "HELLO WORLD";
  EXPECT_EQ(path.LiveData(), summary);
  EXPECT_EQ(outputs.liveData, std::vector<std::string>{summary});
  EXPECT_EQ(path.LiveItem(), kFull);
  EXPECT_EQ(path.CurrentLabel(), "H1");
  EXPECT_EQ(path.DecodeMessage(kFull), summary);
}

TEST_F(MessagePathTest, RejectedRecordOnlySetsLiveItem) {
  path.DBType = 1;
  log.Click(LogBox::Checked);
  Handle(kFull);
  const std::string report = path.MessageReport();
  const std::string liveData = path.LiveData();
  const HeaderFields header = path.Header();
  const PanelState panels = path.Panels();
  const std::string logged = LogFile();
  now.second = 59;
  clockReadings = 0;

  const std::string lowerCase = "M=2 ADDR=n123ua TA=! ML=Q0 B=5\r\nOTHER";
  const std::string noBlock = "M=2 ADDR=F-GKXA TA=! ML=5Z\r\nOTHER";
  for (const std::string& record : {lowerCase, noBlock}) {
    EXPECT_EQ(Handle(record), std::vector<std::string>{"LiveItem " + record});
    EXPECT_EQ(path.LiveItem(), record);
    EXPECT_EQ(path.LiveData(), liveData);
    EXPECT_EQ(path.MessageReport(), report);
    EXPECT_EQ(path.Header(), header);
    EXPECT_EQ(path.Panels(), panels);
    EXPECT_EQ(path.StatusStamp(), "07/12 21:00:05");
    EXPECT_EQ(path.Planes().Entries(), std::vector<std::string>{"N123UA"});
    EXPECT_EQ(store.stored.size(), 1U);
    EXPECT_EQ(LogFile(), logged);
    EXPECT_EQ(path.DecodeMessage(record), "");
  }
  EXPECT_EQ(clockReadings, 4);
  // The label was read before the missing block id rejected the record.
  EXPECT_EQ(path.CurrentLabel(), "5Z");

  // An empty record changes nothing at all, LiveItem included.
  EXPECT_EQ(Handle(""), std::vector<std::string>{});
  EXPECT_EQ(path.LiveItem(), noBlock);
  EXPECT_EQ(path.LiveData(), liveData);
}

TEST_F(MessagePathTest, WithoutStoreTheListAndStoreAreSkipped) {
  log.Click(LogBox::Checked);
  ASSERT_EQ(path.DBType, kNoStore);
  EXPECT_EQ(Handle(kFull),
            (std::vector<std::string>{"LiveItem " + kFull, "Header", "Panels", "Stamp 07/12 21:00:05", "LiveData"}));
  EXPECT_TRUE(path.Planes().Entries().empty());
  EXPECT_TRUE(store.stored.empty());
  EXPECT_EQ(path.Header().vReg, ".N123UA");
  EXPECT_TRUE(path.Panels().Visible(Panel::fMSG));
  EXPECT_EQ(LogFile(), path.MessageReport() + "\r\n");
  EXPECT_FALSE(path.LiveData().empty());
}

TEST_F(MessagePathTest, EachAddressIsListedOnceAtItsSortedPlace) {
  path.DBType = 2;
  path.DBName = "Traffic";
  const auto from = [](const std::string& address) { return "M=2 ADDR=" + address + " TA=! ML=Q0 B=5"; };

  EXPECT_EQ(Handle(from("N123UA"))[1], "Plane 0 N123UA");
  EXPECT_EQ(Handle(from("F-GKXA"))[1], "Plane 0 F-GKXA");
  EXPECT_EQ(Handle(from("G-EUPT"))[1], "Plane 1 G-EUPT");
  // A second message from a listed address adds nothing but is stored.
  EXPECT_EQ(Handle(from("N123UA"))[1], "Store 2 Traffic N123UA");
  // The address is compared as received: the point makes another entry.
  EXPECT_EQ(Handle(from(".F-GKXA"))[1], "Plane 0 .F-GKXA");
  // A blank address is listed as the empty text.
  EXPECT_EQ(Handle(from("       "))[1], "Plane 0 ");
  EXPECT_EQ(path.Planes().Entries(), (std::vector<std::string>{"", ".F-GKXA", "F-GKXA", "G-EUPT", "N123UA"}));
  EXPECT_EQ(store.stored.size(), 6U);
}

TEST_F(MessagePathTest, FilteredMessageKeepsHeaderAndPanelsButUpdatesTheRest) {
  path.DBType = 1;
  path.RegFilter = ".N123UA";
  log.Click(LogBox::Checked);
  Handle(kFull);
  ASSERT_TRUE(path.LastShown());
  const HeaderFields header = path.Header();
  const PanelState panels = path.Panels();
  const std::string firstEntry = LogFile();

  now.second = 6;
  const std::string atis = "M=2 ADDR=F-GKXA TA=! ML=B9 B=2 MSN=M02B\r\n/LFPG.TI2";
  EXPECT_EQ(Handle(atis), (std::vector<std::string>{"LiveItem " + atis, "Plane 0 F-GKXA", "Store 1 Corvane F-GKXA",
                                                    "Stamp 07/12 21:00:06", "LiveData"}));
  EXPECT_FALSE(path.LastShown());
  EXPECT_EQ(path.Header(), header);
  EXPECT_EQ(path.Panels(), panels);
  EXPECT_EQ(path.StatusStamp(), "07/12 21:00:06");

  // The decoder still ran, so the report carries its lines.
  const std::string decoded = Lines({"ATIS", " For:       LFPG " + kParis});
  EXPECT_EQ(path.DecodedBlock(), decoded);
  const std::string report = Lines({StampLine("07/12/2026 21:00:06"), "Mode: 2 Label:B9 MSN:M02B Aircraft:.F-GKXA",
                                    "Request ATIS information", kPoints}) +
                             decoded + Lines({kHyphens}) + "/LFPG.TI2";
  EXPECT_EQ(path.MessageReport(), report);
  EXPECT_EQ(LogFile(), firstEntry + report + "\r\n");
  EXPECT_EQ(path.LiveData(), Lines({"0ACARS mode: 2  Aircraft reg: .F-GKXA",
                                    "Message label: B9  Block id: 2  Msg. no: M02B", "Message content:-"}) +
                                 "/LFPG.TI2");
}

TEST_F(MessagePathTest, DisplayFiltersCompareExactly) {
  struct Case {
    std::string regFilter;
    std::string labelFilter;
    std::string address;
    std::string label;
    bool shown;
  };
  const Case cases[] = {
      {"", "", "N123UA", "H1", true},           {".N123UA", "", "N123UA", "H1", true},
      {".N123UA", "", "F-GKXA", "H1", false},   {"N123UA", "", "N123UA", "H1", false},
      {"", "H1", "N123UA", "H1", true},         {"", "H1", "N123UA", "Q0", false},
      {"", "h1", "N123UA", "H1", false},        {".N123UA", "H1", "N123UA", "H1", true},
      {".N123UA", "H1", "N123UA", "Q0", false}, {".N123UA", "H1", "F-GKXA", "H1", false},
      {"", "_ ", "N123UA", "_\x7f", true},      {"......", "", "       ", "H1", true},
  };
  for (const Case& c : cases) {
    path.RegFilter = c.regFilter;
    path.LabelFilter = c.labelFilter;
    const std::string record = "M=2 ADDR=" + c.address + " TA=! ML=" + c.label + " B=5\r\nTEXT";
    const std::string what = c.regFilter + "|" + c.labelFilter + "|" + c.address + "|" + c.label;
    EXPECT_EQ(Handle(record),
              c.shown ? (std::vector<std::string>{"LiveItem " + record, "Header", "Panels", "Stamp 07/12 21:00:05",
                                                  "LiveData"})
                      : (std::vector<std::string>{"LiveItem " + record, "Stamp 07/12 21:00:05", "LiveData"}))
        << what;
    EXPECT_EQ(path.LastShown(), c.shown) << what;
  }
}

TEST_F(MessagePathTest, HeaderShowsFlightAndNumberOnlyWhenGiven) {
  Handle(kFull);
  ASSERT_TRUE(path.Header().flightVisible);
  ASSERT_TRUE(path.Header().msnVisible);

  Handle("M=12 ADDR=F-GKXA TA=! ML=23 B=A\r\nTEXT");
  EXPECT_EQ(path.Header(), (HeaderFields{"12", ".F-GKXA", "", "", "23 (not in list)", false, false}));
  EXPECT_EQ(path.MessageReport(), Lines({StampLine("07/12/2026 21:00:05"), "Mode:12 Label:23 MSN: Aircraft:.F-GKXA",
                                         "23 (not in list)", kPoints}) +
                                      "TEXT");

  // Flight only, then number only.
  Handle("M=2 ADDR=F-GKXA TA=! ML=5Z B=A FID=AF0001\r\nTEXT");
  EXPECT_TRUE(path.Header().flightVisible);
  EXPECT_FALSE(path.Header().msnVisible);
  Handle("M=2 ADDR=F-GKXA TA=! ML=5Z B=A MSN=0001\r\nTEXT");
  EXPECT_FALSE(path.Header().flightVisible);
  EXPECT_TRUE(path.Header().msnVisible);
  EXPECT_EQ(path.Header().vMsn, "0001");
}

TEST_F(MessagePathTest, MessageWithoutTextGivesShortTexts) {
  log.Click(LogBox::Checked);
  EXPECT_EQ(path.DecodeMessage("M=2 ADDR=N123UA TA=! ML=Q0 B=5"),
            Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: Q0  Block id: 5 "}));
  const std::string report =
      Lines({StampLine("07/12/2026 21:00:05"), "Mode: 2 Label:Q0 MSN: Aircraft:.N123UA", "ACARS Link Test"});
  EXPECT_EQ(path.MessageReport(), report);
  // The log entry ends with an empty line.
  EXPECT_EQ(LogFile(), report + "\r\n");
  EXPECT_EQ(LogFile().substr(LogFile().size() - 4), "\r\n\r\n");
  // A shown message without decoder and without text leaves the area empty.
  EXPECT_EQ(path.Panels().visible, PanelState{}.visible);

  EXPECT_EQ(path.DecodeMessage("M=2 ADDR=N123UA TA=! ML=Q0 B=5 FID=UA0123"),
            Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: Q0  Block id: 5 ", "Flight id: UA0123"}));

  // A squitter without text still has decoded lines, but no text to go with.
  path.DecodeMessage("M=2 ADDR=N123UA TA=! ML=SQ B=5");
  EXPECT_FALSE(path.DecodedBlock().empty());
  EXPECT_EQ(path.MessageReport(),
            Lines({StampLine("07/12/2026 21:00:05"), "Mode: 2 Label:SQ MSN: Aircraft:.N123UA", "Squitter message"}));
}

TEST_F(MessagePathTest, UplinkAcknowledgementLabel) {
  const std::string summary = path.DecodeMessage("M=02 ADDR=N123UA TA=! ML=_\x7f B=5");
  EXPECT_EQ(summary, Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: _   Block id: 5 "}));
  EXPECT_EQ(path.MessageReport(),
            Lines({StampLine("07/12/2026 21:00:05"), "Mode:02 Label:_  MSN: Aircraft:.N123UA", "Uplink Acknowledge"}));
  EXPECT_EQ(path.CurrentLabel(), "_\x7f");
  EXPECT_EQ(path.Header().vMde, "02");
}

TEST_F(MessagePathTest, LogSomeDataLeavesOutLinkTestsAndAcknowledgements) {
  path.DBType = 1;
  log.Click(LogBox::Checked);
  log.Click(LogBox::Unchecked);
  ASSERT_FALSE(log.LogAll());

  // Decoded, shown, stored and published as usual, but not written.
  const std::string linkTest = "M=2 ADDR=N123UA TA=! ML=Q0 B=5";
  EXPECT_EQ(Handle(linkTest),
            (std::vector<std::string>{"LiveItem " + linkTest, "Plane 0 N123UA", "Store 1 Corvane N123UA", "Header",
                                      "Panels", "Stamp 07/12 21:00:05", "LiveData"}));
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Skipped);
  EXPECT_EQ(path.Header().vLbl, "ACARS Link Test");
  const std::string ack = "M=2 ADDR=N123UA TA=! ML=_\x7f B=5";
  EXPECT_EQ(Handle(ack), (std::vector<std::string>{"LiveItem " + ack, "Store 1 Corvane N123UA", "Header", "Panels",
                                                   "Stamp 07/12 21:00:05", "LiveData"}));
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Skipped);
  EXPECT_EQ(path.Header().vLbl, "Uplink Acknowledge");
  EXPECT_EQ(LogFile(), "");
  EXPECT_EQ(store.stored.size(), 2U);

  Handle(kFull);
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Written);
  EXPECT_EQ(LogFile(), path.MessageReport() + "\r\n");
}

TEST_F(MessagePathTest, LogThatCannotBeOpenedLeavesTheOtherOutputsIntact) {
  TrafficLog broken((scratch / "missing" / "Corvane.txt").string());
  path.SetTrafficLog(&broken);
  path.DBType = 1;
  broken.Click(LogBox::Checked);
  ASSERT_TRUE(broken.LogActive());

  EXPECT_EQ(Handle(kFull), (std::vector<std::string>{"LiveItem " + kFull, "Plane 0 N123UA", "Store 1 Corvane N123UA",
                                                     "Header", "Panels", "Stamp 07/12 21:00:05", "LiveData"}));
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Failed);
  EXPECT_FALSE(path.MessageReport().empty());
  EXPECT_EQ(path.LiveData().substr(0, 13), "0ACARS mode: ");

  // Once the directory exists the next entry is written.
  std::filesystem::create_directory(scratch / "missing");
  Handle(kFull);
  EXPECT_EQ(path.LastLogWrite(), LogWrite::Written);
  EXPECT_EQ(ReadBytes(scratch / "missing" / "Corvane.txt"), path.MessageReport() + "\r\n");
}

}  // namespace
}  // namespace corvane::decoding
