// Tests of the flight-data decoder: VER, SCH, ETA, REL, MTR and WXR lines,
// their order, their decoded lines and the panels they fill.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "decoding/decoders.h"
#include "decoding/panel_state.h"
#include "decoding_printers.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {
namespace {

// Each line followed by CR LF.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// The text lines joined by CR LF, with no line end after the last one, as a
// message text arrives.
std::string Text(std::initializer_list<std::string> lines) {
  std::string text = Lines(lines);
  text.resize(text.size() - 2);
  return text;
}

// Airport name padded to 20 characters, then the country.
const std::string kParis = "Paris" + std::string(15, ' ') + "France";
// An airport entry is the code, a blank and the airport text (empty for KJFK).
const std::string kLfpgEntry = "LFPG " + kParis;
const std::string kKjfkEntry = "KJFK ";

const std::string kVer = "VER/077/F-GKXA";
const std::string kSch = "SCH/AF123/LFPG/KJFK/07/1230";
const std::string kVerSchLines = Lines({"VER", " Plane:     F-GKXA", " Flight:    AF123", "SCH", " At:        1230Z/07",
                                        " Departure: " + kLfpgEntry, " Arrival:   " + kKjfkEntry});

struct Decoded {
  bool handled = false;
  std::string block;
  PanelState panels;
};

class FlightDataTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tables.FillBuiltinTables(); }

  // Decodes into the given starting panel state.
  static Decoded Decode(const std::string& text, bool show = true, std::string_view label = "23",
                        PanelState start = {}) {
    Decoded result;
    result.panels = std::move(start);
    DecoderOutput out{result.block, result.panels, tables};
    result.handled = DecodeFlightData(label, text, show, out);
    return result;
  }

  // The panels that are visible, by name, in panel order.
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

reference::ReferenceTables FlightDataTest::tables;

TEST_F(FlightDataTest, AirportTextOfTheTablesIsAsExpected) {
  EXPECT_EQ(tables.AirportInfo("LFPG"), kParis);
  EXPECT_EQ(tables.AirportInfo("KJFK"), "");
}

TEST_F(FlightDataTest, VersionAndScheduleWithTheFlightFirst) {
  PanelState start;
  start.RowVisible(Row::SCH0) = false;
  const Decoded d = Decode(Text({kVer, kSch}), true, "23", start);
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, kVerSchLines);
  EXPECT_EQ(d.panels.Caption(Value::vVER_1), "F-GKXA");
  EXPECT_EQ(d.panels.Caption(Value::vSCH_0), "AF123");
  EXPECT_TRUE(d.panels.RowVisible(Row::SCH0));
  EXPECT_EQ(d.panels.Caption(Value::vSCH_1), "1230Z/07");
  EXPECT_EQ(d.panels.Caption(Value::vSCH_2), kLfpgEntry);
  EXPECT_EQ(d.panels.Caption(Value::vSCH_3), kKjfkEntry);
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX");

  // A VER line alone is handled and shows the same panel.
  const Decoded alone = Decode(kVer);
  EXPECT_TRUE(alone.handled);
  EXPECT_EQ(alone.block, Lines({"VER", " Plane:     F-GKXA"}));
  EXPECT_EQ(VisiblePanels(alone.panels), "fPXX");
}

TEST_F(FlightDataTest, VersionWithoutAThreeCharacterSecondFieldChangesTheLayout) {
  PanelState start;
  start.Caption(Value::vSCH_0) = "OLD";
  const Decoded d = Decode(Text({"VER/12/X/F-GKXA", "SCH/LFPG/KJFK/07/1230"}), true, "23", start);
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA", "SCH", " At:        1230Z/07", " Departure: " + kLfpgEntry,
                            " Arrival:   " + kKjfkEntry}));
  EXPECT_EQ(d.panels.Caption(Value::vVER_1), "F-GKXA");
  EXPECT_EQ(d.panels.Caption(Value::vSCH_0), "");
  EXPECT_FALSE(d.panels.RowVisible(Row::SCH0));
  EXPECT_EQ(d.panels.Caption(Value::vSCH_1), "1230Z/07");
  EXPECT_EQ(d.panels.Caption(Value::vSCH_2), kLfpgEntry);
  EXPECT_EQ(d.panels.Caption(Value::vSCH_3), kKjfkEntry);

  // Four characters are not three either; the plane field is then missing.
  EXPECT_EQ(Decode("VER/1234/X").block, Lines({"VER", " Plane:     "}));
  // Two characters with a plane in field 2 still read field 3.
  EXPECT_EQ(Decode("VER/12/F-GKXA").block, Lines({"VER", " Plane:     "}));
}

TEST_F(FlightDataTest, MissingFieldsLeaveEntriesEmpty) {
  // Flight first, but no airports and no time.
  EXPECT_EQ(Decode(Text({kVer, "SCH/AF123"})).block, Lines({"VER", " Plane:     F-GKXA", " Flight:    AF123", "SCH",
                                                            " At:        ", " Departure: ", " Arrival:   "}));
  // A time needs both of its fields; an empty airport field gives one blank.
  EXPECT_EQ(Decode(Text({kVer, "SCH/AF123//KJFK/07"})).block,
            Lines({"VER", " Plane:     F-GKXA", " Flight:    AF123", "SCH",
                   " At:        ", " Departure:  ", " Arrival:   " + kKjfkEntry}));
  // An ETA line without its runway and time fields.
  EXPECT_EQ(Decode(Text({kVer, kSch, "ETA/x"})).block, kVerSchLines + Lines({"ETA", " At:        ", " Runway   : "}));
}

TEST_F(FlightDataTest, KnownKindsMustComeInSequence) {
  // SCH as the first line with a "/": nothing accepted, nothing shown.
  Decoded d = Decode(Text({kSch, kVer}));
  EXPECT_FALSE(d.handled);
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(d.panels, PanelState{});

  // A second VER ends the call: the SCH after it is not looked at.
  d = Decode(Text({kVer, "VER/077/F-GKXB", kSch}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));
  EXPECT_EQ(d.panels.Caption(Value::vVER_1), "F-GKXA");
  EXPECT_EQ(d.panels.Caption(Value::vSCH_1), "");

  // ETA straight after VER is out of sequence.
  d = Decode(Text({kVer, "ETA/x/y/27R/07/1230"}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX");

  // Only one of ETA, REL, MTR and WXR is accepted; a second ends the call
  // and what was shown stays.
  d = Decode(Text({kVer, kSch, "ETA/x/y/27R/07/1230", "MTR/LFPG/KJFK/07/1230"}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, kVerSchLines + Lines({"ETA", " At:        1230Z/07", " Runway   : 27R"}));
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fETA");

  // A line of another kind ends the acceptance of known kinds.
  d = Decode(Text({kVer, "FREE/TEXT", kSch}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));
  EXPECT_EQ(d.panels.Caption(Value::vSCH_1), "");

  // Before anything was accepted, a line of another kind makes VER late.
  d = Decode(Text({"PAX/12", kVer}));
  EXPECT_FALSE(d.handled);
  EXPECT_EQ(d.block, "");

  // A line without "/" changes nothing, not even the sequence.
  d = Decode(Text({"HELLO", kVer, "JUST TEXT", kSch}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, kVerSchLines);

  // No line of a known kind at all.
  EXPECT_FALSE(Decode("").handled);
  EXPECT_FALSE(Decode("NOTHING HERE").handled);
}

TEST_F(FlightDataTest, EstimatedArrival) {
  const Decoded d = Decode(Text({kVer, kSch, "ETA/x/y/27R/07/1230"}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, kVerSchLines + Lines({"ETA", " At:        1230Z/07", " Runway   : 27R"}));
  EXPECT_EQ(d.panels.Caption(Value::vETA_1), "1230Z/07");
  EXPECT_EQ(d.panels.Caption(Value::vETA_2), "27R");
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fETA");
}

TEST_F(FlightDataTest, Release) {
  const Decoded d = Decode(Text({kVer, kSch, "REL/LFPG/KJFK/07/1230"}));
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, kVerSchLines + Lines({"REL", " At:        1230Z/07", " Departure: " + kLfpgEntry,
                                           " Arrival:   " + kKjfkEntry}));
  EXPECT_EQ(d.panels.Caption(Value::vREL_1), "1230Z/07");
  EXPECT_EQ(d.panels.Caption(Value::vREL_2), kLfpgEntry);
  EXPECT_EQ(d.panels.Caption(Value::vREL_3), kKjfkEntry);
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fREL");
}

TEST_F(FlightDataTest, WeatherReportShowsItsSecondAirportOnlyWhenGiven) {
  PanelState hidden;
  hidden.RowVisible(Row::MTR3) = false;
  Decoded d = Decode(Text({kVer, kSch, "MTR/LFPG/KJFK/07/1230"}), true, "23", hidden);
  EXPECT_EQ(d.block, kVerSchLines + Lines({"MTR", " At:        1230Z/07", " Airport 1: " + kLfpgEntry,
                                           " Airport 2: " + kKjfkEntry}));
  EXPECT_EQ(d.panels.Caption(Value::vMTR_1), "1230Z/07");
  EXPECT_EQ(d.panels.Caption(Value::vMTR_2), kLfpgEntry);
  EXPECT_EQ(d.panels.Caption(Value::vMTR_3), kKjfkEntry);
  EXPECT_TRUE(d.panels.RowVisible(Row::MTR3));
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fMTR");

  // Field 2 empty, blank, or missing: no second airport, row 3 hidden.
  for (const std::string line : {"MTR/LFPG//07/1230", "MTR/LFPG/  /07/1230", "MTR/LFPG"}) {
    d = Decode(Text({kVer, kSch, line}));
    const std::string at = line == "MTR/LFPG" ? "" : "1230Z/07";
    EXPECT_EQ(d.block, kVerSchLines + Lines({"MTR", " At:        " + at, " Airport 1: " + kLfpgEntry})) << line;
    EXPECT_FALSE(d.panels.RowVisible(Row::MTR3)) << line;
    EXPECT_TRUE(d.panels.Visible(Panel::fMTR)) << line;
  }
}

TEST_F(FlightDataTest, WeatherRequestShowsAsManyAirportsAsGiven) {
  PanelState start;
  start.RowVisible(Row::WXR3) = false;
  Decoded d = Decode(Text({kVer, kSch, "WXR/A/LFPG/KJFK/EDDF"}), true, "23", start);
  const std::string eddf = "EDDF " + tables.AirportInfo("EDDF");
  EXPECT_EQ(d.block, kVerSchLines + Lines({"WXR", " Mode:      A", " Airport 1: " + kLfpgEntry,
                                           " Airport 2: " + kKjfkEntry, " Airport 3: " + eddf}));
  EXPECT_EQ(d.panels.Caption(Value::vWXR_1), "A");
  EXPECT_EQ(d.panels.Caption(Value::vWXR_2), kLfpgEntry);
  EXPECT_EQ(d.panels.Caption(Value::vWXR_3), kKjfkEntry);
  EXPECT_EQ(d.panels.Caption(Value::vWXR_4), eddf);
  EXPECT_TRUE(d.panels.RowVisible(Row::WXR3));
  EXPECT_TRUE(d.panels.RowVisible(Row::WXR4));
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fWXR");

  // Kind, mode and two airports: rows 1 to 3 only.
  d = Decode(Text({kVer, kSch, "WXR/A/LFPG/KJFK"}));
  EXPECT_EQ(d.block,
            kVerSchLines + Lines({"WXR", " Mode:      A", " Airport 1: " + kLfpgEntry, " Airport 2: " + kKjfkEntry}));
  EXPECT_TRUE(d.panels.RowVisible(Row::WXR3));
  EXPECT_FALSE(d.panels.RowVisible(Row::WXR4));

  // Kind, mode and one airport: rows 3 and 4 hidden.
  d = Decode(Text({kVer, kSch, "WXR/A/LFPG"}));
  EXPECT_EQ(d.block, kVerSchLines + Lines({"WXR", " Mode:      A", " Airport 1: " + kLfpgEntry}));
  EXPECT_FALSE(d.panels.RowVisible(Row::WXR3));
  EXPECT_FALSE(d.panels.RowVisible(Row::WXR4));

  // An empty airport field is one blank and counts as blank; the third
  // airport is still shown.
  d = Decode(Text({kVer, kSch, "WXR/A/LFPG//KJFK"}));
  EXPECT_EQ(d.block,
            kVerSchLines + Lines({"WXR", " Mode:      A", " Airport 1: " + kLfpgEntry, " Airport 3: " + kKjfkEntry}));
  EXPECT_FALSE(d.panels.RowVisible(Row::WXR3));
  EXPECT_TRUE(d.panels.RowVisible(Row::WXR4));
  EXPECT_EQ(d.panels.Caption(Value::vWXR_3), " ");
}

TEST_F(FlightDataTest, LinesBeginningWithASlashUnderLabel80) {
  Decoded d = Decode("/VER/077/F-GKXA", true, "80");
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));
  EXPECT_EQ(d.panels.Caption(Value::vVER_1), "F-GKXA");

  // Under another label field 0 is empty: a line of another kind.
  d = Decode("/VER/077/F-GKXA", true, "30");
  EXPECT_FALSE(d.handled);
  EXPECT_EQ(d.block, "");
  EXPECT_EQ(d.panels, PanelState{});

  // Fields 0 to 3 move down by one; field 4 keeps its place, so it appears
  // twice: SCH, AF123, LFPG, KJFK, KJFK, 07, 1230.
  d = Decode(Text({"/VER/077/F-GKXA", "/SCH/AF123/LFPG/KJFK/07/1230"}), true, "80");
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA", " Flight:    AF123", "SCH", " At:        07Z/KJFK",
                            " Departure: " + kLfpgEntry, " Arrival:   " + kKjfkEntry}));

  // A field without a successor keeps its value: "", VER, 077 reads
  // VER, 077, 077.
  EXPECT_EQ(Decode("/VER/077", true, "80").block, Lines({"VER", " Plane:     077"}));

  // Lines not beginning with "/" are read as under any label.
  EXPECT_EQ(Decode(Text({kVer, kSch}), true, "80").block, kVerSchLines);
}

TEST_F(FlightDataTest, OtherLinesWithASlashGoToTheInformationPanel) {
  Decoded d = Decode(Text({kVer, "FREE TEXT", "PAX/12/34", "NO SLASH", "MORE/5"}));
  EXPECT_TRUE(d.handled);
  // The last such line stays; the lines are not decoded.
  EXPECT_EQ(d.panels.infText, "MORE/5");
  EXPECT_EQ(VisiblePanels(d.panels), "fPXX fINF");
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));

  // Lines without "/" are ignored.
  d = Decode(Text({kVer, "FREE TEXT"}));
  EXPECT_EQ(d.panels.infText, "");
  EXPECT_FALSE(d.panels.Visible(Panel::fINF));

  // Before anything was accepted the line is not shown.
  d = Decode("PAX/12/34");
  EXPECT_FALSE(d.handled);
  EXPECT_EQ(d.panels, PanelState{});

  // Under label 80 the whole line is shown as received.
  d = Decode(Text({"/VER/077/F-GKXA", "/PAX/12"}), true, "80");
  EXPECT_EQ(d.panels.infText, "/PAX/12");
}

TEST_F(FlightDataTest, KindIsTakenFromTheEndOfTheFirstField) {
  Decoded d = Decode("01VER/077/F-GKXA");
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.block, Lines({"VER", " Plane:     F-GKXA"}));

  // Kinds are compared exactly, in upper case.
  EXPECT_FALSE(Decode("ver/077/F-GKXA").handled);
  // Blanks around the last three characters are removed.
  EXPECT_TRUE(Decode(" VER/077/F-GKXA").handled);
  // "VER " ends in "ER ", which is not a known kind.
  EXPECT_FALSE(Decode("VER /077/F-GKXA").handled);
  // A shorter field 0 is taken whole.
  EXPECT_FALSE(Decode("VE/077/F-GKXA").handled);
  EXPECT_EQ(Decode(Text({kVer, "XXSCH/AF123/LFPG/KJFK/07/1230"})).block, kVerSchLines);
}

TEST_F(FlightDataTest, HiddenMessageFillsTheDecodedLinesButNoPanel) {
  PanelState used;
  used.Visible(Panel::fMSG) = true;
  used.msgText = "previous message";
  used.infText = "previous line";
  used.Caption(Value::vVER_1) = "N1";
  used.Caption(Value::vSCH_0) = "XX1";
  used.RowVisible(Row::SCH0) = false;
  used.RowVisible(Row::MTR3) = false;
  used.RowVisible(Row::WXR4) = false;

  for (const std::string& text :
       {Text({kVer, kSch, "ETA/x/y/27R/07/1230", "A/B"}), Text({kVer, kSch, "REL/LFPG/KJFK/07/1230"}),
        Text({kVer, kSch, "MTR/LFPG/KJFK/07/1230"}), Text({kVer, kSch, "WXR/A/LFPG/KJFK/EDDF"}),
        Text({"VER/12/X/F-GKXA", "SCH/LFPG/KJFK/07/1230"}), Text({kVer, "VER/1/2/3"}), std::string("HELLO/WORLD")}) {
    const Decoded shown = Decode(text, true);
    const Decoded hidden = Decode(text, false, "23", used);
    EXPECT_EQ(hidden.handled, shown.handled) << text;
    EXPECT_EQ(hidden.block, shown.block) << text;
    EXPECT_EQ(hidden.panels, used) << text;
  }
}

TEST_F(FlightDataTest, CaptionLabelsCarryTheirDesignTexts) {
  std::string all;
  for (const CaptionLabel& label : CaptionLabels()) {
    all += std::string(PanelName(label.panel)) + ":" + std::string(label.objectName) + "=" + std::string(label.text) +
           "\n";
  }
  const std::string expected =
      "fPXX:lVer_0=VER\nfPXX:lVer_1=Plane\nfPXX:lVer_2=Flight\nfPXX:lSCH_0=SCH\nfPXX:lSCH_1=Departure\n"
      "fPXX:lSCH_2=From\nfPXX:lSCH_3=To\n"
      "fETA:lETA_0=ETA\nfETA:lETA_1=Arrival\nfETA:lETA_2=Runway\n"
      "fREL:lREL_0=REL\nfREL:lREL_1=Release\nfREL:lREL_2=From\nfREL:lREL_3=To\n"
      "fMTR:lMTR_0=MTR\nfMTR:lMTR_1=At\nfMTR:lMTR_2=Airp1\nfMTR:lMTR_3=Airp2\n"
      "fWXR:lWXR_0=WXR\nfWXR:lWXR_1=Mode\nfWXR:lWXR_2=Airp1\nfWXR:lWXR_3=Airp2\nfWXR:lWXR_4=Airp3\n"
      "fPQS:lSQT_0=SQUITTER\nfPQS:lSQT_1=Code\nfPQS:lSQT_2=From\nfPQS:lSQT_3=Lat.\nfPQS:lSQT_4=Lon.\n"
      "fPQS:lSQT_5=Freq.\n"
      "fPB9:lATIS_0=ATIS\nfPB9:lATIS_1=Req.\n";
  EXPECT_EQ(all, expected);
  // Each optional row pairs a value label with the caption label beside it.
  EXPECT_EQ(RowValueName(Row::MTR3), "vMTR_3");
  EXPECT_EQ(RowCaptionName(Row::MTR3), "lMTR_3");
  EXPECT_EQ(RowValueName(Row::SCH0), "vSCH_0");
  EXPECT_EQ(RowCaptionName(Row::SCH0), "lSCH_0");
  EXPECT_EQ(RowCaptionName(Row::SQT5), "lSQT_5");
}

}  // namespace
}  // namespace corvane::decoding
