// Tests of capture lines: Latin-1 round trips and UTC time stamps.
#include "capture/capture.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "capture/quick_card_record.h"

namespace corvane::capture {
namespace {

using namespace std::string_literals;

TEST(Latin1, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  const std::string utf8 = Latin1ToUtf8(all);
  EXPECT_EQ(utf8.size(), 128U + 2 * 128U);
  EXPECT_EQ(Utf8ToLatin1(utf8), all);
  EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
}

TEST(Latin1, CharactersBeyondLatin1AreRefused) {
  EXPECT_FALSE(Utf8ToLatin1("\xE2\x82\xAC"));  // the euro sign
  EXPECT_FALSE(Utf8ToLatin1("\xC3"));          // cut short
  EXPECT_FALSE(Utf8ToLatin1("\xC3("));         // bad continuation
  EXPECT_FALSE(Utf8ToLatin1("\xA9"));          // stray continuation
}

TEST(Utc, ParsesAndFormatsCaptureTimes) {
  const auto time = ParseUtc("2026-12-07T21:00:05.005Z");
  ASSERT_TRUE(time);
  EXPECT_EQ(time->year, 2026);
  EXPECT_EQ(time->month, 12);
  EXPECT_EQ(time->day, 7);
  EXPECT_EQ(time->hour, 21);
  EXPECT_EQ(time->minute, 0);
  EXPECT_EQ(time->second, 5);
  EXPECT_EQ(time->millisecond, 5);
  EXPECT_EQ(FormatUtc(*time), "2026-12-07T21:00:05.005Z");
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05Z")->millisecond, 0);
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05.5")->millisecond, 500);
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05.123456Z")->millisecond, 123);
  for (const char* bad : {"", "2026-12-07", "2026-13-07T21:00:05Z", "2026-12-07T24:00:05Z", "2026-12-07T21:00:05.Z",
                          "2026-12-07T21:00:05Zjunk", "2026/12/07T21:00:05Z"}) {
    EXPECT_FALSE(ParseUtc(bad)) << bad;
  }
}

TEST(CaptureLine, ReadsTheCardRecordAsBytes) {
  std::string error;
  const auto record = ParseCaptureLine(
      R"({"utc": "2026-12-07T00:00:00.000Z", "txt": "M=2 ADDR=N123UA TA=! ML=_\u007f B=1\r\n\u00e9\u0000"})", error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2 ADDR=N123UA TA=! ML=_\x7f B=1\r\n\xE9\0"s);
}

TEST(CaptureLine, SaysWhyALineIsRefused) {
  std::string error;
  EXPECT_FALSE(ParseCaptureLine("not json", error));
  EXPECT_EQ(error, "not a JSON object");
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "2026-12-07T00:00:00Z"})", error));
  EXPECT_NE(error.find("txt"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "yesterday", "txt": ""})", error));
  EXPECT_NE(error.find("utc"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "2026-12-07T00:00:00Z", "txt": "\u20ac"})", error));
  EXPECT_NE(error.find("U+00FF"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine("[1, 2]", error));
}

// The hand reader of the usual line gives what the JSON parser gives, and
// hands every other line to it.
TEST(CaptureLine, TheQuickReaderAgreesWithTheParserOrDeclines) {
  for (const std::string line :
       {R"({"utc": "2026-12-07T00:00:00.000Z", "txt": "M=2 ML=H1\r\n\b\f\t\"\\\/\u00e9\u0000\u007F x"})",
        "{\"utc\":\"2026-12-07T00:00:00Z\",\"txt\":\"caf\xC3\xA9 \xC2\xB0\"}  ",
        R"(  { "utc" : "2026-12-07T00:00:00Z" , "txt" : "" } )"}) {
    const auto quick = QuickCardRecord(line);
    ASSERT_TRUE(quick) << line;
    const auto json = nlohmann::json::parse(line);
    EXPECT_EQ(quick->txt, Utf8ToLatin1(json.at("txt").get<std::string>()));
    EXPECT_EQ(FormatUtc(quick->utc), FormatUtc(*ParseUtc(json.at("utc").get<std::string>())));
  }
  std::string error;
  for (const std::string line : {R"({"txt": "x", "utc": "2026-12-07T00:00:00Z"})",
                                 R"({"utc": "2026-12-07T00:00:00Z", "txt": "x", "station": "north"})"}) {
    EXPECT_FALSE(QuickCardRecord(line)) << line;
    const auto parsed = ParseCaptureLine(line, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->txt, "x");
  }
  for (const std::string line :
       {R"({"utc": "2026-12-07T00:00:00Z", "txt": "\u20ac"})", R"({"utc": "2026-12-07T00:00:00Z", "txt": "\ud83d"})",
        "{\"utc\": \"2026-12-07T00:00:00Z\", \"txt\": \"a\tb\"}", R"({"utc": "2026-12-07T00:00:00Z", "txt": "x",})",
        R"({"utc": "2026-12-07T00:00:00Z", "txt": "x"} junk)",
        "{\"utc\": \"2026-12-07T00:00:00Z\", \"txt\": \"\xE2\x82\xAC\"}",
        R"({"utc": "2026-12-07T00:00:00Z", "txt": "x)", R"({"utc": "yesterday", "txt": "x"})"}) {
    EXPECT_FALSE(QuickCardRecord(line)) << line;
    EXPECT_FALSE(ParseCaptureLine(line, error)) << line;
  }
}

TEST(CardRecord, FieldsArePaddedAndCutToTheirWidths) {
  const AirMessage message{"2", ".N123UA", "!", "H1", "5", "M01A", "UA0123", "TEXT"};
  EXPECT_EQ(CardRecordOf(message), "M=2  ADDR=.N123UA TA=! ML=H1 B=5 MSN=M01A FID=UA0123\r\nTEXT");
  // Too long values are cut; an empty message number leaves its tag out.
  const AirMessage longer{"2", "HZ-AK11X", "!", "H1", "5", "", "ABCDEFGH", "TEXT"};
  EXPECT_EQ(CardRecordOf(longer), "M=2  ADDR=HZ-AK11 TA=! ML=H1 B=5 FID=ABCDEF\r\nTEXT");
  EXPECT_EQ(CardRecordOf(AirMessage{}), "M=   ADDR=        TA=  ML=   B= \r\n");
}

TEST(CaptureLine, AcarsdecMessagesBecomeCardRecords) {
  std::string error;
  auto record =
      ParseCaptureLine(R"({"timestamp": 1796677205.0051, "channel": 1, "freq": 131.725, "mode": "2", "label": "H1", )"
                       R"("block_id": "4", "ack": false, "tail": "G-EUUA", "flight": "BA0914", "msgno": "D21A", )"
                       R"("sublabel": "M1", "mfi": "BA", "text": "POSN50023E008345"})",
                       error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(FormatUtc(record->utc), "2026-12-07T21:00:05.005Z");
  EXPECT_EQ(record->txt, "M=2  ADDR=.G-EUUA TA=! ML=H1 B=4 MSN=D21A FID=BA0914\r\n#M1B/BA POSN50023E008345");

  // An uplink acknowledgement: "_d" is "_" and DEL, the ack is a character.
  record = ParseCaptureLine(
      R"({"timestamp": 1796677206, "mode": "2", "label": "_d", "block_id": "K", "ack": "7", "tail": "N8560Z"})", error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2  ADDR=.N8560Z TA=7 ML=_\x7f B=K\r\n");

  // A squitter has no block id, ack or tail.
  record = ParseCaptureLine(R"({"timestamp": 1796677207, "mode": "2", "label": "SQ", "text": "02XAEDFEDDF1"})", error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2  ADDR=        TA=! ML=SQ B= \r\n02XAEDFEDDF1");

  // An uplink's sublabel goes back after "- #".
  record = ParseCaptureLine(
      R"({"timestamp": 1796677208, "mode": "2", "label": "H1", "block_id": "C", "ack": "!", "tail": ".F-GKXA", )"
      R"("sublabel": "MD", "text": "REQPOS"})",
      error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2  ADDR=.F-GKXA TA=! ML=H1 B=C\r\n- #MDREQPOS");
}

TEST(CaptureLine, DumpVdl2AndDumpHfdlMessagesBecomeCardRecords) {
  std::string error;
  auto record = ParseCaptureLine(
      R"({"vdl2": {"t": {"sec": 1796677205, "usec": 5999}, "avlc": {"src": {"addr": "ABCDEF"}, "acars": )"
      R"({"err": false, "crc_ok": true, "more": false, "reg": "..N67JE", "mode": "2", "label": "H1", "blk_id": "5", )"
      R"("ack": "!", "flight": "DL0044", "msg_num": "D54", "msg_num_seq": "A", "sublabel": "DF", )"
      R"("msg_text": "76401\r\n02E10"}}}})",
      error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(FormatUtc(record->utc), "2026-12-07T21:00:05.005Z");
  EXPECT_EQ(record->txt, "M=2  ADDR=..N67JE TA=! ML=H1 B=5 MSN=D54A FID=DL0044\r\n#DFB76401\r\n02E10");

  record = ParseCaptureLine(
      R"({"hfdl": {"t": {"sec": 1796677205, "usec": 0}, "lpdu": {"hfnpdu": {"acars": {"err": false, )"
      R"("reg": ".N8308K", "mode": "2", "label": "SA", "blk_id": "2", "ack": "!", "flight": "WN1668", )"
      R"("msg_num": "S64", "msg_num_seq": "A", "msg_text": "0EH0031232SH/"}}}}})",
      error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2  ADDR=.N8308K TA=! ML=SA B=2 MSN=S64A FID=WN1668\r\n0EH0031232SH/");

  EXPECT_FALSE(ParseCaptureLine(R"({"vdl2": {"t": {"sec": 1, "usec": 0}, "avlc": {"acars": {"err": true}}}})", error));
  EXPECT_NE(error.find("damaged"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"vdl2": {"t": {"sec": 1, "usec": 0}, "avlc": {}}})", error));
  EXPECT_NE(error.find("acars"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"vdl2": {"t": {"sec": -5, "usec": 0}, "avlc": {"acars": {}}}})", error));
  EXPECT_FALSE(ParseCaptureLine(R"({"hfdl": {"t": {"sec": "x"}, "lpdu": {}}})", error));
}

TEST(CaptureLine, BadDecoderValuesAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(ParseCaptureLine(R"({"timestamp": "yesterday", "label": "H1"})", error));
  EXPECT_NE(error.find("timestamp"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"timestamp": -1, "label": "H1"})", error));
  EXPECT_FALSE(ParseCaptureLine(R"({"timestamp": 1e300, "label": "H1"})", error));
  EXPECT_FALSE(ParseCaptureLine(R"({"timestamp": 1, "label": 12})", error));
  EXPECT_NE(error.find("label"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"timestamp": 1, "text": "\u0100"})", error));
  EXPECT_NE(error.find("U+00FF"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"something": "else"})", error));
  EXPECT_NE(error.find("acarsdec"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": 5, "txt": ""})", error));
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "2026-12-07T00:00:00Z", "txt": 5})", error));
  EXPECT_NE(error.find("txt"), std::string::npos);
}

// What each decoder knew, read where a fault could hide: frequencies in Hz
// and in MHz, levels without a unit of their own, numbers written as text,
// facts missing or unreadable (the message is kept without them), JAERO's
// earth stations on either side, LiveJSON passing them on, and a card
// record, which has none. Facts are compared as the card link's items.
TEST(CaptureLine, DecodersFactsAreReadWithTheirUnits) {
  const auto factsOf = [](std::string_view line) {
    std::string error;
    const auto record = ParseCaptureLine(line, error);
    return record ? reception::FactsText(record->facts) : "refused: " + error;
  };
  EXPECT_EQ(factsOf(R"({"timestamp":1,"channel":2,"freq":130.025,"level":-22,"label":"H1","station_id":"sigint",)"
                    R"("app":{"name":"acarsdec","ver":"4.1"}})"),
            "freq=130.025\nlevel=-22\nlevel_unit=dB\nchannel=2\ndecoder=acarsdec\ndecoder_version=4.1\nlink=acars\n"
            "decoder_station=sigint");
  EXPECT_EQ(factsOf(R"({"timestamp":1,"freq":131725000,"level":"-9.5","label":"H1"})"),
            "freq=131.725\nlevel=-9.5\nlevel_unit=dB\nlink=acars");
  EXPECT_EQ(factsOf(R"({"timestamp":1,"freq":"near 131","level":true,"channel":[1],"label":"H1"})"), "link=acars");
  EXPECT_EQ(
      factsOf(R"({"vdl2":{"app":{"name":"dumpvdl2","ver":"2.3.0"},"station":"XX","t":{"sec":1,"usec":0},)"
              R"("freq":136975000,"idx":0,"sig_level":-18.3,"noise_level":-47.1,"avlc":{"acars":{"label":"H1"}}}})"),
      "freq=136.975\nlevel=-18.3\nnoise=-47.1\nlevel_unit=dBFS\nchannel=0\ndecoder=dumpvdl2\n"
      "decoder_version=2.3.0\nlink=vdl2\ndecoder_station=XX");
  EXPECT_EQ(factsOf(R"({"hfdl":{"t":{"sec":1,"usec":0},"freq":8927000,"lpdu":{"hfnpdu":{"acars":{"label":"H1"}}}}})"),
            "freq=8.927\nlink=hfdl");
  EXPECT_EQ(factsOf(R"({"app":{"name":"JAERO","ver":"VFO01"},"isu":{"acars":{"label":"H1","reg":"ABCDEF"},)"
                    R"("dst":{"addr":"ABCDEF","type":"Aircraft Earth Station"},)"
                    R"("src":{"addr":"C1","type":"Ground Earth Station"}},"t":{"sec":1,"usec":0},"station":"S1"})"),
            "decoder=JAERO\ndecoder_version=VFO01\nlink=satcom\ndecoder_station=S1\nsatellite=C1\naes=ABCDEF");
  EXPECT_EQ(factsOf(R"({"isu":{"acars":{"label":"H1"},"src":{"addr":"0A1B2C","type":"Aircraft Earth Station"},)"
                    R"("dst":{"addr":"90","type":"Ground Earth Station"}},"t":{"sec":1,"usec":0},"freq":1545.135})"),
            "freq=1545.135\nlink=satcom\nsatellite=90\naes=0A1B2C");
  EXPECT_EQ(factsOf(R"({"isu":{"qno":"00"},"t":{"sec":1,"usec":0}})"),
            "refused: \"acars\" is missing or not an object");
  EXPECT_EQ(factsOf(R"({"mode":"2","address":".N1","label":"H1","time":"2026-12-07T00:00:00.000Z","hops":1,)"
                    R"("freq":136.975,"level":-18.3,"level_unit":"dBFS","link":"vdl2","decoder_station":"XX"})"),
            "freq=136.975\nlevel=-18.3\nlevel_unit=dBFS\nlink=vdl2\ndecoder_station=XX");
  EXPECT_EQ(factsOf(R"({"mode":"2","address":".N1","label":"H1","time":"2026-12-07T00:00:00.000Z"})"), "");
  EXPECT_EQ(factsOf(R"({"utc":"2026-12-07T00:00:00Z","txt":"M=2"})"), "");

  // JAERO's record and time, the address padded as the card pads it.
  std::string error;
  const auto jaero =
      ParseCaptureLine(R"({"isu":{"acars":{"ack":"!","blk_id":"A","label":"H1","mode":"2","reg":"ABCDEF"}},)"
                       R"("t":{"sec":1700000000,"usec":123456}})",
                       error);
  ASSERT_TRUE(jaero) << error;
  EXPECT_EQ(jaero->txt, "M=2  ADDR=.ABCDEF TA=! ML=H1 B=A\r\n");
  EXPECT_EQ(FormatUtc(jaero->utc), "2023-11-14T22:13:20.123Z");
}

}  // namespace
}  // namespace corvane::capture
