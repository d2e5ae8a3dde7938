// Tests of the squitter and ATIS-request decoders, and of the label dispatch
// that chooses a decoder and falls back to the raw text.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "decoding/decoders.h"
#include "decoding/panel_state.h"
#include "decoding_printers.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {
namespace {

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

const std::string kParis = "Paris" + std::string(15, ' ') + "France";

// Squitter parts by character position: 1-4 code, 5-7 origin, 8-11 station,
// 12-17 latitude, 18-23 longitude, 24 unused, 25-30 frequency.
const std::string kSquitter = std::string("02XS") + "CDG" + "LFPG" + "N49012" + "E00253" + "1" + "131725";

const std::array<std::string_view, 16> kFlightDataLabels = {"23", "26", "2A", "2T", "30", "31", "41", "42",
                                                            "43", "44", "46", "47", "4H", "4G", "5U", "80"};

// A panel state as a previous message left it: every panel visible, every
// caption and text set, every optional row hidden.
PanelState UsedPanels() {
  PanelState panels;
  panels.visible.fill(true);
  for (std::size_t i = 0; i < kValueCount; ++i) {
    panels.captions[i] = "old " + std::to_string(i);
  }
  panels.rowVisible.fill(false);
  panels.infText = "old line";
  panels.msgText = "old message";
  return panels;
}

struct Decoded {
  bool handled = false;
  std::string block;
  PanelState panels;
};

class SquitterAtisTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tables.FillBuiltinTables(); }

  using Decoder = bool (*)(std::string_view, std::string_view, bool, DecoderOutput&);

  static Decoded Run(Decoder decoder, const std::string& text, bool show = true, PanelState start = {}) {
    Decoded result;
    result.panels = std::move(start);
    result.block = "left over\r\n";  // the decoders only append
    DecoderOutput out{result.block, result.panels, tables};
    result.handled = decoder("XX", text, show, out);
    return result;
  }

  static Decoded Dispatch(std::string_view label, const std::string& text, bool show = true,
                          PanelState start = UsedPanels()) {
    Decoded result;
    result.panels = std::move(start);
    result.block = "previous message's lines\r\n";
    DecoderOutput out{result.block, result.panels, tables};
    DispatchLabel(label, text, show, out);
    return result;
  }

  static std::string VisiblePanels(const PanelState& panels) {
    std::string names;
    for (std::size_t i = 0; i < kPanelCount; ++i) {
      if (panels.visible[i]) {
        names += names.empty() ? "" : " ";
        names += PanelName(static_cast<Panel>(i));
      }
    }
    return names;
  }

  static reference::ReferenceTables tables;
};

reference::ReferenceTables SquitterAtisTest::tables;

TEST_F(SquitterAtisTest, SquitterWithFrequency) {
  ASSERT_EQ(kSquitter.size(), 30U);
  const Decoded d = Run(DecodeSquitter, kSquitter);
  EXPECT_TRUE(d.handled);
  const std::string from = "CDG LFPG " + kParis;
  EXPECT_EQ(d.block, "left over\r\n" + Lines({"Squitter", " Mode:      02XS", " From:      " + from,
                                              " Lat/Long:  N49012/E00253", " Frequency: 131.725Mhz"}));
  EXPECT_EQ(d.panels.Caption(Value::vSQT_1), "02XS");
  EXPECT_EQ(d.panels.Caption(Value::vSQT_2), from);
  EXPECT_EQ(d.panels.Caption(Value::vSQT_3), "N49012");
  EXPECT_EQ(d.panels.Caption(Value::vSQT_4), "E00253");
  EXPECT_EQ(d.panels.Caption(Value::vSQT_5), "131.725Mhz");
  EXPECT_TRUE(d.panels.RowVisible(Row::SQT5));
  EXPECT_EQ(VisiblePanels(d.panels), "fPQS");
}

TEST_F(SquitterAtisTest, SquitterFrequencyNeedsMoreThan26Characters) {
  PanelState start;
  start.Caption(Value::vSQT_5) = "999.999Mhz";
  const Decoded exact = Run(DecodeSquitter, kSquitter.substr(0, 26), true, start);
  EXPECT_TRUE(exact.handled);
  EXPECT_EQ(exact.block, "left over\r\n" + Lines({"Squitter", " Mode:      02XS", " From:      CDG LFPG " + kParis,
                                                  " Lat/Long:  N49012/E00253"}));
  EXPECT_EQ(exact.panels.Caption(Value::vSQT_5), "");
  EXPECT_FALSE(exact.panels.RowVisible(Row::SQT5));

  // 27 characters: characters 25 to 27, a point, nothing, "Mhz".
  const Decoded longer = Run(DecodeSquitter, kSquitter.substr(0, 27));
  EXPECT_EQ(longer.panels.Caption(Value::vSQT_5), "131.Mhz");
  EXPECT_TRUE(longer.panels.RowVisible(Row::SQT5));
  EXPECT_NE(longer.block.find(" Frequency: 131.Mhz\r\n"), std::string::npos);

  // Character 24 is not used.
  std::string other = kSquitter;
  other[23] = '9';
  EXPECT_EQ(Run(DecodeSquitter, other).block, Run(DecodeSquitter, kSquitter).block);
}

TEST_F(SquitterAtisTest, ShortSquitterTextsGiveShortValues) {
  // Fewer than 8 characters: the origin, then two blanks.
  Decoded d = Run(DecodeSquitter, "02XSCDG");
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, "left over\r\n" + Lines({"Squitter", " Mode:      02XS", " From:      CDG  ", " Lat/Long:  /"}));
  EXPECT_EQ(d.panels.Caption(Value::vSQT_2), "CDG  ");
  EXPECT_FALSE(d.panels.RowVisible(Row::SQT5));

  // A station without a known airport, and a latitude cut short.
  d = Run(DecodeSquitter, "02XSCDGKJFKN49");
  EXPECT_EQ(d.block,
            "left over\r\n" + Lines({"Squitter", " Mode:      02XS", " From:      CDG KJFK ", " Lat/Long:  N49/"}));

  d = Run(DecodeSquitter, "");
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, "left over\r\n" +
                         Lines({"Squitter", " Mode:      ", " From:      " + std::string(2, ' '), " Lat/Long:  /"}));
  EXPECT_EQ(VisiblePanels(d.panels), "fPQS");
}

TEST_F(SquitterAtisTest, AtisRequestNamesItsAirport) {
  Decoded d = Run(DecodeAtisRequest, "/LFPG.TI2");
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, "left over\r\n" + Lines({"ATIS", " For:       LFPG " + kParis}));
  EXPECT_EQ(d.panels.Caption(Value::vATIS_1), "LFPG " + kParis);
  EXPECT_EQ(VisiblePanels(d.panels), "fPB9");

  // The airport as found, a blank, and its airport text.
  const auto airport = [](const std::string& text) {
    return Run(DecodeAtisRequest, text).panels.Caption(Value::vATIS_1);
  };
  EXPECT_EQ(airport("LFPG"), "LFPG " + kParis);       // no "." : the whole text
  EXPECT_EQ(airport("A.B"), "A.B ");                  // "." at position 2: whole
  EXPECT_EQ(airport(".LFPG"), ".LFPG ");              // "." at position 1: whole
  EXPECT_EQ(airport("XY."), "Y ");                    // "." at position 3: character 2
  EXPECT_EQ(airport("/LFPG.A.B"), "LFPG " + kParis);  // the first "." counts
  EXPECT_EQ(airport("/KJFK.TI2"), "KJFK ");
  EXPECT_EQ(airport(""), " ");
}

TEST_F(SquitterAtisTest, HiddenMessagesStillFillTheDecodedLines) {
  const PanelState used = UsedPanels();
  for (const std::string& text : {kSquitter, kSquitter.substr(0, 26), std::string("02"), std::string()}) {
    const Decoded shown = Run(DecodeSquitter, text, true);
    const Decoded hidden = Run(DecodeSquitter, text, false, used);
    EXPECT_TRUE(hidden.handled);
    EXPECT_EQ(hidden.block, shown.block) << text;
    EXPECT_EQ(hidden.panels, used) << text;
  }
  for (const std::string text : {"/LFPG.TI2", "LFPG", "A.B", ""}) {
    const Decoded shown = Run(DecodeAtisRequest, text, true);
    const Decoded hidden = Run(DecodeAtisRequest, text, false, used);
    EXPECT_TRUE(hidden.handled);
    EXPECT_EQ(hidden.block, shown.block) << text;
    EXPECT_EQ(hidden.panels, used) << text;
  }
}

TEST_F(SquitterAtisTest, TerminalMessagesShowTheirRawText) {
  const std::string text = "#M1BPOSN47123W122456,FL350";
  Decoded d = Dispatch("H1", text);
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(VisiblePanels(d.panels), "fMSG");
  EXPECT_EQ(d.panels.msgText, text);
  // A shown message hides every panel and clears every caption; the rows
  // and the information text stay as they were.
  PanelState expected = UsedPanels();
  expected.visible.fill(false);
  expected.captions.fill("");
  expected.Visible(Panel::fMSG) = true;
  expected.msgText = text;
  EXPECT_EQ(d.panels, expected);

  // Even a text shaped like flight data is not decoded under H1.
  d = Dispatch("H1", "VER/077/F-GKXA");
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(VisiblePanels(d.panels), "fMSG");

  // Not shown: the panels keep the previous message.
  d = Dispatch("H1", text, false);
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(d.panels, UsedPanels());
}

TEST_F(SquitterAtisTest, HiddenAtisRequestStillFillsTheDecodedLines) {
  const Decoded d = Dispatch("B9", "/LFPG.TI2", false);
  EXPECT_EQ(d.block, Lines({"ATIS", " For:       LFPG " + kParis}));
  EXPECT_EQ(d.panels, UsedPanels());
}

TEST_F(SquitterAtisTest, ShownMessageWithoutDecoderOrTextLeavesTheAreaEmpty) {
  for (const std::string_view label : {"5Z", "H1", "Q0", "_ ", ""}) {
    const Decoded d = Dispatch(label, "");
    EXPECT_EQ(VisiblePanels(d.panels), "") << label;
    EXPECT_EQ(d.block, "") << label;
  }
}

TEST_F(SquitterAtisTest, FlightDataNotHandledShowsTheRawText) {
  Decoded d = Dispatch("30", "POSITION REPORT N47 W122");
  EXPECT_EQ(VisiblePanels(d.panels), "fMSG");
  EXPECT_EQ(d.panels.msgText, "POSITION REPORT N47 W122");
  EXPECT_EQ(d.block, "");

  // An out-of-sequence first line: nothing accepted, raw text shown.
  d = Dispatch("2A", "SCH/AF123/LFPG/KJFK/07/1230");
  EXPECT_EQ(VisiblePanels(d.panels), "fMSG");
  EXPECT_EQ(d.panels.msgText, "SCH/AF123/LFPG/KJFK/07/1230");

  // Handled: the decoder's panel, no raw text.
  d = Dispatch("2A", "VER/077/F-GKXA");
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX");
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));

  // A flight-data label with an empty text leaves the area empty.
  d = Dispatch("80", "");
  EXPECT_EQ(VisiblePanels(d.panels), "");
}

TEST_F(SquitterAtisTest, EachLabelGoesToItsDecoder) {
  const std::string flightData = "VER/077/F-GKXA";
  for (const std::string_view label : kFlightDataLabels) {
    EXPECT_TRUE(HasDecoder(label)) << label;
    const Decoded d = Dispatch(label, flightData);
    EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"})) << label;
    EXPECT_EQ(VisiblePanels(d.panels), "fPXX") << label;
  }
  // Labels are compared exactly.
  for (const std::string_view label : {"H1", "5Z", "4h", "2a", "8", "80 ", "B8", "A9", "b9", "sq", "SQ ", ""}) {
    EXPECT_FALSE(HasDecoder(label)) << label;
    const Decoded d = Dispatch(label, flightData);
    EXPECT_EQ(d.block, "") << label;
    EXPECT_EQ(VisiblePanels(d.panels), "fMSG") << label;
  }

  // Squitters and ATIS requests are always handled, even without a text.
  Decoded d = Dispatch("SQ", kSquitter);
  EXPECT_EQ(VisiblePanels(d.panels), "fPQS");
  EXPECT_EQ(d.block.substr(0, 10), "Squitter\r\n");
  d = Dispatch("SQ", "");
  EXPECT_EQ(VisiblePanels(d.panels), "fPQS");
  d = Dispatch("B9", "");
  EXPECT_EQ(VisiblePanels(d.panels), "fPB9");
  EXPECT_EQ(d.block, Lines({"ATIS", std::string(" For:       ") + " "}));
  // A flight-data text under SQ is read as a squitter.
  d = Dispatch("SQ", flightData);
  EXPECT_EQ(d.block.substr(0, 10), "Squitter\r\n");
  EXPECT_TRUE(HasDecoder("SQ"));
  EXPECT_TRUE(HasDecoder("B9"));
}

}  // namespace
}  // namespace corvane::decoding
