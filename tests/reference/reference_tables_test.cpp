// Tests of the built-in reference tables, the airport index and the lookups.
#include "reference/reference_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::reference {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  return words;
}

std::string Padded(const std::string& name, const std::string& country) {
  std::string text = name;
  if (text.size() < 20) {
    text.resize(20, ' ');
  }
  return text + country;
}

class BuiltinTables : public ::testing::Test {
 protected:
  void SetUp() override { tables.FillBuiltinTables(); }
  ReferenceTables tables;
};

TEST_F(BuiltinTables, CountriesAreTheEightyNineNamesInIdOrder) {
  const std::vector<std::string> expected = {
      "Albania",
      "Algeria",
      "Armenia",
      "Austria",
      "Azerbadjan",
      "Bahrain",
      "Belarus",
      "Belgium",
      "Bosnia-Herzegovina",
      "Brazil",
      "Bulgaria",
      "Cambodia",
      "Canada",
      "Cap Verde",
      "China",
      "Croatia",
      "Cyprus",
      "Czech Republic",
      "Denmark",
      "Dominican Republic",
      "Egypt",
      "Equatorial Guinea",
      "Eritrea",
      "Estonia",
      "Ethiopia",
      "Faroe Islands",
      "Finland",
      "France",
      "Gambia",
      "Georgia",
      "Germany",
      "Greece",
      "Greenland",
      "Hungary",
      "Iceland",
      "India",
      "Indonesia",
      "Iran",
      "Iraq",
      "Ireland",
      "Israel",
      "Italy",
      "Japan",
      "Jordania",
      "Kenya",
      "Kosovo",
      "Kuwait",
      "Latvia",
      "Lebanon",
      "Lithuania",
      "Luxembourg",
      "Macedonia",
      "Malta",
      "Marocko",
      "Mauretania",
      "Mauritius",
      "Mexico",
      "Mongolia",
      "Netherlands",
      "Norway",
      "Oman",
      "Poland",
      "Portugal",
      "Qatar",
      "Romania",
      "Russia",
      "Saudi Arabia",
      "Senegal",
      "Singapore",
      "Slovakia",
      "Slovenia",
      "South Africa",
      "Spain",
      "Sudan",
      "Sweden",
      "Switzerland",
      "Syria",
      "Thailand",
      "Tunisia",
      "Turkey",
      "Turkmenistan",
      "Ukraine",
      "UAE",
      "UK",
      "USA",
      "Vietnam",
      "Yemen",
      "Yugoslavia-Montenegro",
      "Yugoslavia-Serbia",
  };
  EXPECT_EQ(tables.Countries(), expected);
}

TEST_F(BuiltinTables, AirportCodesAreInTheirFixedOrder) {
  const auto expected = Words(
      "BGBW BGKK BGSF BGTL BIKF BIRK CYMX CYUL CYVR CYYR DAAG DTMB DTNZ DTTA DTTJ EBBR "
      "EBCI EBLG EBOS EDDB EDDC EDDE EDDF EDDH EDDI EDDK EDDL EDDM EDDN EDDP EDDS EDDT "
      "EDDV EDDW EDLP EDLW EDNY EETN EFHK EFIV EFJY EFKS EFKT EFKU EFMA EFOU EFPO EFRO "
      "EFTP EFTU EFVA EGAA EGBB EGCC EGFF EGGD EGGP EGGW EGHH EGHI EGJJ EGKB EGKK EGLC "
      "EGLL EGNM EGNT EGNX EGPD EGPE EGPF EGPH EGPK EGPO EGSS EGTE EHAM EHBK EHGG EHRD "
      "EICK EIDW EINN EKAH EKAL EKBI EKCH EKKA EKRK EKRN EKVG ELLX ENAL ENAN ENAT ENBO "
      "ENBR ENCN ENDU ENEV ENFB ENFG ENFL ENGM ENHD ENKB ENKR ENML ENNA ENOL ENRO ENSB "
      "ENTC ENTO ENVA ENZV EPGD EPKK EPKT EPPO EPSC EPWA EPWR ESDF ESGG ESGJ ESGL ESGP "
      "ESKN ESMK ESMQ ESMS ESMT ESMX ESNG ESNK ESNN ESNO ESNQ ESNS ESNU ESNX ESNZ ESOE "
      "ESOK ESOW ESPA ESSA ESSB ESSD ESSL ESSP ESSV ESTA ESUP ESUT EVRA EYKA EYPA EYVI "
      "FACT FAJS FGSL FIMP GBYD GCFV GCLA GCLP GCRR GCTS GCXO GMAD GMME GMMN GMMX GMMZ "
      "GMTT GOOY GQNN GVAC HAAB HEAL HEAX HECA HEGN HELX HEMA HESH HESN HHAS HKJK HKMO "
      "HSSS KBFI KEWR KFLL KIAD KORD KSEA KSFO LATI LBBG LBSF LBWN LCLK LCPH LDDU LDPL "
      "LDSP LDZA LEAL LEAM LEAS LEBB LEBL LECO LECU LEGE LEGR LEIB LEJR LELC LEMD LEMG "
      "LEMH LEPA LEPP LERS LESO LEST LETO LEVC LEVT LEVX LEZG LEZL LFBD LFBE LFBO LFBP "
      "LFBT LFBZ LFJL LFKB LFKF LFKJ LFLL LFLS LFML LFMN LFMP LFMQ LFMT LFOB LFPG LFPO "
      "LFQQ LFRB LFRH LFRK LFRS LFSB LFSD LFST LFTB LFTH LFTW LGAV LGEL LGHI LGIR LGKF "
      "LGKL LGKO LGKP LGKR LGKV LGLM LGMK LGMT LGPZ LGRP LGSA LGSK LGSM LGSR LGTS LGZA "
      "LHBP LIBD LIBR LICA LICC LICJ LIEA LIEE LIEO LIMC LIME LIMF LIMJ LIML LIPE LIPK "
      "LIPQ LIPR LIPX LIPZ LIRA LIRF LIRN LIRP LIRQ LIRS LJLJ LJMB LKPR LKTB LLBG LMML "
      "LOWG LOWI LOWK LOWL LOWS LOWW LPAZ LPFR LPLA LPMA LPPD LPPR LPPS LPPT LQSA LRCK "
      "LROP LRTR LSGG LSZH LTAC LTAF LTAI LTAN LTBA LTBJ LTBS LTCE LTCG LTFE LTFH LWSK "
      "LYBE LYPG LYPR LYTV LZIB MDPP MMUN OBBI OEDF OEJN OEMA OERK OIFN OIII OISS OITR "
      "OITT OIZH OJAI OJAM OJAQ OKBK OLBA OMAA OMDB OMRK OMSJ OOMS ORBS ORMM OSAP OSDI "
      "OTBD OYSN RJAA SBNT SBRF UBBB UDYZ UGGG UHHH UHWW UIII UKBB UKFF UKLL UKLR UKOO "
      "ULLI UMGG UMKK UMMS UNNT URRR USSS UTAA UUDD UUEE UUWW VABB VAGO VDPP VECC VHHH "
      "VIDP VOBG VOBL VOMM VTBS VTBU VTCC VTSC VTSG VTSM VTSP VVTS WARQ WIDD WSSS ZBAA "
      "ZMUB ZSPD ");
  ASSERT_EQ(tables.Airports().size(), 434U);
  ASSERT_EQ(expected.size(), 434U);
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(tables.Airports()[r].code, expected[r]) << "row " << r;
  }
}

TEST_F(BuiltinTables, EveryAirportHasANameAndACountryThatExists) {
  for (const AirportRow& row : tables.Airports()) {
    EXPECT_FALSE(row.name.empty()) << row.code;
    const int id = std::stoi(row.countryId);
    EXPECT_EQ(std::to_string(id), row.countryId) << row.code;
    EXPECT_GE(id, 0) << row.code;
    EXPECT_LT(id, 89) << row.code;
    for (const char c : row.name) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7f) << row.code << " has a non-ASCII name";
    }
  }
}

TEST_F(BuiltinTables, TellingAirportRowsAreExact) {
  struct Row {
    int row;
    const char* code;
    const char* countryId;
    const char* name;
  };
  const Row telling[] = {
      {0, "BGBW", "32", "Narsarsuaq"},
      {4, "BIKF", "34", "Keflavik"},
      {8, "CYVR", "12", "Vancouver"},
      {9, "CYYR", "12", "Goose Bay"},
      {11, "DTMB", "7", "Monastir"},
      {12, "DTNZ", "78", "Monastir"},
      {92, "ENAL", "59", "alesund"},
      {137, "ESNO", "74", "ornskoldsvik"},
      {153, "ESTA", "74", "angelholm"},
      {169, "GCTS", "72", "Tenerife (S)"},
      {193, "KBFI", "84", "Seattle-Boeing Field, WA"},
      {197, "KORD", "84", "Chicago O'Hare, IL"},
      {200, "LATI", "0", "Tirana"},
      {229, "LEST", "72", "Santiago de Compostela"},
      {271, "LGKF", "31", "Kefallinia/Argostolion"},
      {352, "LYBE", "88", "Belgrade"},
      {353, "LYPG", "87", "Podgorica"},
      {354, "LYPR", "45", "Pristina"},
      {408, "UUDD", "65", "Moscow"},
      {428, "WARQ", "36", "Adisunarmo/Solo City"},
      {433, "ZSPD", "14", "hanghai - Pu Dong"},
      {409, "UUEE", "65", "Moscow"},
      {410, "UUWW", "65", "Moscow"},
  };
  for (const Row& expected : telling) {
    const AirportRow& row = tables.Airports()[static_cast<std::size_t>(expected.row)];
    EXPECT_EQ(row.code, expected.code) << "row " << expected.row;
    EXPECT_EQ(row.countryId, expected.countryId) << "row " << expected.row;
    EXPECT_EQ(row.name, expected.name) << "row " << expected.row;
  }
  // Names that begin with a lower-case letter are kept exactly so.
  std::vector<std::string> lowerCase;
  for (const AirportRow& row : tables.Airports()) {
    if (row.name.front() >= 'a' && row.name.front() <= 'z') {
      lowerCase.push_back(row.name);
    }
  }
  EXPECT_EQ(lowerCase, (std::vector<std::string>{"alesund", "ornskoldsvik", "ostersund", "orebro", "angelholm",
                                                 "hanghai - Pu Dong"}));
}

TEST_F(BuiltinTables, LabelsAreInTheirFixedOrderWithTheirSmi) {
  const std::vector<std::string> expected = {
      "_ ", ":;", "00", "19", "2S", "2U", "51", "52", "54", "57", "5D", "5P", "5R", "5U", "5Y", "5Z", "7A", "7B", "8X",
      "A0", "A1", "A2", "A4", "A5", "A6", "A7", "A8", "A9", "AA", "AB", "AC", "AD", "AF", "B0", "B1", "B2", "B3", "B4",
      "B5", "B6", "B7", "B8", "B9", "BA", "BB", "BC", "BD", "BE", "BF", "C0", "C1", "C2", "C3", "CA", "CB", "CC", "CD",
      "CE", "CF", "EI", "F3", "H1", "H2", "H3", "HX", "M1", "M2", "M3", "M4", "Q0", "Q1", "Q2", "Q3", "Q4", "Q5", "Q6",
      "Q7", "QA", "QB", "QC", "QD", "QE", "QF", "QG", "QH", "QK", "QL", "QM", "QN", "QX", "RA", "RB", "S1", "S2", "S3",
      "S4", "SA", "SQ", "WX", "10", "11", "14", "15", "16", "17", "1L", "24", "30", "31", "36", "39", "3F", "3G", "3J",
      "3S", "3U", "4A", "4M", "4Q", "4R", "4X", "4Z", "80", "81", "82", "83", "84", "85", "86", "87", "88", "89",
  };
  ASSERT_EQ(tables.Labels().size(), 132U);
  std::map<std::string, std::string> smi;
  for (const std::string& pair :
       Words("00:HJK 52:AGM 5R:AEP 5U:WXR 5Y:ETA 5Z:AGM 7A:ENG 7B:ABM A0:AFN A1:CLX A2:CLD A4:CLA A5:RPR A6:RAR A7:FTU "
             "A8:DDS A9:DAI B1:RCL B2:CLA B3:RCD B5:PPR B6:PAR B7:FTD B8:RDS B9:RAI HX:REJ M1:MVA M2:MVA M3:MVA M4:MVA "
             "Q2:ETA Q3:CLK Q7:DLA QA:DEP QB:DEP QC:ARR QD:ARR QE:DEP QF:DEP QG:RTN QH:DEP QK:ARR QL:ARR QM:ARR QN:DIV "
             "RA:RPR")) {
    smi[pair.substr(0, 2)] = pair.substr(3);
  }
  ASSERT_EQ(smi.size(), 46U);
  for (std::size_t r = 0; r < expected.size(); ++r) {
    const LabelRow& row = tables.Labels()[r];
    EXPECT_EQ(row.label, expected[r]) << "row " << r;
    const auto found = smi.find(row.label);
    EXPECT_EQ(row.smi, found == smi.end() ? "" : found->second) << row.label;
    EXPECT_FALSE(row.description.empty()) << row.label;
  }
}

TEST_F(BuiltinTables, TellingLabelRowsAreExact) {
  struct Row {
    int row;
    const char* label;
    const char* description;
    const char* smi;
  };
  const Row telling[] = {
      {0, "_ ", "Uplink Acknowledge", ""},
      {1, ":;", "Frequency Change Request", ""},
      {2, "00", "Emergency Situation report", "HJK"},
      {3, "19", "ATIS report", ""},
      {13, "5U", "Weather Request", "WXR"},
      {14, "5Y", "Revision to previous ETA", "ETA"},
      {19, "A0", "ATIS facility notification", "AFN"},
      {33, "B0", "ATIS Facility Notification", ""},
      {42, "B9", "Request ATIS information", "RAI"},
      {61, "H1", "Message to/from terminal", ""},
      {62, "H2", "Meteorological report", ""},
      {69, "Q0", "ACARS Link Test", ""},
      {70, "Q1", "ETA Departure/Arrival Report", ""},
      {71, "Q2", "ETA Report", "ETA"},
      {77, "QA", "Out/Fuel report", "DEP"},
      {79, "QC", "On  report", "ARR"},
      {88, "QN", "Diversion report", "DIV"},
      {89, "QX", "Intercept", ""},
      {97, "SQ", "Squitter message", ""},
      {98, "WX", "Weather Report", ""},
      {99, "10", "Airlines dedicated label", ""},
      {101, "14", "General Aviation Free Text", ""},
      {102, "15", "General Aviation Position Report", ""},
      {103, "16", "Airlines dedicated label", ""},
      {104, "17", "Northwest Airlines Position/Weather", ""},
      {105, "1L", "United Express QF OFF message", ""},
      {106, "24", "Northwest Airlines Weather Request", ""},
      {107, "30", "UPS Position Report", ""},
      {108, "31", "Northwest Airlines Weather Report", ""},
      {109, "36", "Northwest Airlines In Range Message", ""},
      {110, "39", "Northwest Airlines arrival/free text message", ""},
      {111, "3F", "UPS ETA Downlink Message", ""},
      {112, "3G", "UPS Free Text Message", ""},
      {113, "3J", "UPS Downlink Message", ""},
      {120, "4X", "Air Canada Frequency Lis", ""},
      {122, "80", "Aircraft addressed downlink", ""},
      {131, "89", "Aircraft addressed downlink", ""},
  };
  for (const Row& expected : telling) {
    const LabelRow& row = tables.Labels()[static_cast<std::size_t>(expected.row)];
    EXPECT_EQ(row.label, expected.label) << "row " << expected.row;
    EXPECT_EQ(row.description, expected.description) << "row " << expected.row;
    EXPECT_EQ(row.smi, expected.smi) << "row " << expected.row;
  }
  for (std::size_t r = 122; r <= 131; ++r) {
    EXPECT_EQ(tables.Labels()[r].description, "Aircraft addressed downlink") << "row " << r;
  }
}

TEST_F(BuiltinTables, CodesAreInTheirFixedOrderAndShareTexts) {
  const auto expected = Words(
      "CF DF EC EI H1 H2 HD M1 M2 M3 MD PS S1 S2 SD T0 T1 T2 T3 T4 T5 T6 T7 T8 WO A1 A3 A4 A6 A7 A8 A9 A0 AC AD AF B1 "
      "B2 B3 B4 B6 B7 B8 B9 B0 BB BC BD BE BF H3");
  ASSERT_EQ(tables.Codes().size(), 51U);
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(tables.Codes()[r].code, expected[r]) << "row " << r;
  }
  for (const char* code : {"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7", "T8"}) {
    EXPECT_EQ(tables.CodeDescription(code), "Cabin Terminal Messages") << code;
  }
  EXPECT_EQ(tables.CodeDescription("A7"), "Free Text");
  EXPECT_EQ(tables.CodeDescription("B7"), "Free Text");
  EXPECT_EQ(tables.CodeDescription("A0"), "ATS Facility Notification");
  EXPECT_EQ(tables.CodeDescription("B0"), "ATS Facility Notification");
  EXPECT_EQ(tables.CodeDescription("H3"), "Icing Report");
}

TEST_F(BuiltinTables, FillingReplacesWhateverTheTablesHeld) {
  tables.SetLabels(std::vector<LabelRow>(3, LabelRow{"ZZ", "stale", ""}));
  tables.SetCountries({});
  tables.SetCodes(std::vector<CodeRow>(500));
  tables.FillBuiltinTables();
  EXPECT_EQ(tables.Countries().size(), 89U);
  EXPECT_EQ(tables.Labels().size(), 132U);
  EXPECT_EQ(tables.Codes().size(), 51U);
  EXPECT_EQ(tables.LabelDescription("ZZ"), "ZZ (not in list)");
}

TEST_F(BuiltinTables, LabelDescriptions) {
  EXPECT_EQ(tables.LabelDescription("SQ"), "Squitter message");
  EXPECT_EQ(tables.LabelDescription("_ "), "Uplink Acknowledge");
  EXPECT_EQ(tables.LabelDescription("sq"), "sq (not in list)");
  EXPECT_EQ(tables.LabelDescription(""), "");
  EXPECT_EQ(tables.LabelDescription("QC"), "On  report");
  EXPECT_EQ(tables.LabelDescription("23"), "23 (not in list)");
  // Exact length: a one-character prefix of a label does not match it.
  EXPECT_EQ(tables.LabelDescription("_"), "_ (not in list)");
  EXPECT_EQ(tables.LabelDescription("SQ "), "SQ  (not in list)");
}

TEST_F(BuiltinTables, LabelLookupTakesTheFirstMatchingRow) {
  auto labels = tables.Labels();
  labels.push_back(LabelRow{"SQ", "shadowed", ""});
  tables.SetLabels(labels);
  EXPECT_EQ(tables.LabelDescription("SQ"), "Squitter message");
  auto codes = tables.Codes();
  codes.insert(codes.begin(), CodeRow{"DF", "first"});
  tables.SetCodes(codes);
  EXPECT_EQ(tables.CodeDescription("DF"), "first");
  // Keys longer than the packed part still compare in full.
  tables.SetCodes({{"LONGER-KEY-1", "one"}, {"LONGER-KEY-2", "two"}});
  EXPECT_EQ(tables.CodeDescription("LONGER-KEY-2"), "two");
  EXPECT_EQ(tables.CodeDescription("LONGER-KEY-3"), "#LONGER-KEY-3 (not in list)");
  tables.SetLabels({});
  EXPECT_EQ(tables.LabelDescription("SQ"), "SQ (not in list)");
}

TEST_F(BuiltinTables, CodeDescriptions) {
  EXPECT_EQ(tables.CodeDescription("DF"), "DF Data Acquisition Unit");
  EXPECT_EQ(tables.CodeDescription("H1"), "HF DR - Left ");
  EXPECT_EQ(tables.CodeDescription("ZZ"), "#ZZ (not in list)");
  EXPECT_EQ(tables.CodeDescription(""), "");
  EXPECT_EQ(tables.CodeDescription("m1"), "#m1 (not in list)");
}

TEST_F(BuiltinTables, IndexRunsMatchTheSortedTable) {
  const std::map<char, std::pair<int, int>> runs = {
      {'B', {0, 5}},     {'C', {6, 9}},     {'D', {10, 14}},   {'E', {15, 159}},  {'F', {160, 163}}, {'G', {164, 179}},
      {'H', {180, 192}}, {'K', {193, 199}}, {'L', {200, 356}}, {'M', {357, 358}}, {'O', {359, 385}}, {'R', {386, 386}},
      {'S', {387, 388}}, {'U', {389, 410}}, {'V', {411, 427}}, {'W', {428, 430}}, {'Z', {431, 433}}};
  for (int k = 0; k < kAirportBucketCount; ++k) {
    const char letter = static_cast<char>('A' + k);
    const AirportRun run = tables.AirportIndex()[static_cast<std::size_t>(k)];
    const auto expected = runs.find(letter);
    if (expected == runs.end()) {
      EXPECT_EQ(run.first, -1) << "bucket " << k;
    } else {
      EXPECT_EQ(run.first, expected->second.first) << letter;
      EXPECT_EQ(run.last, expected->second.second) << letter;
    }
  }
}

TEST_F(BuiltinTables, ReindexingGivesTheSameRuns) {
  const AirportIndexTable before = tables.AirportIndex();
  tables.IndexAirports();
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(tables.AirportIndex()[k].first, before[k].first) << k;
    if (before[k].first != -1) {
      EXPECT_EQ(tables.AirportIndex()[k].last, before[k].last) << k;
    }
  }
}

TEST_F(BuiltinTables, EveryBuiltinAirportIsFound) {
  for (const AirportRow& row : tables.Airports()) {
    const std::string info = tables.AirportInfo(row.code);
    ASSERT_GE(info.size(), 20U) << row.code;
    const std::string country = tables.Countries()[static_cast<std::size_t>(std::stoi(row.countryId))];
    EXPECT_EQ(info, Padded(row.name, country)) << row.code;
  }
}

TEST_F(BuiltinTables, AirportInfo) {
  EXPECT_EQ(tables.AirportInfo("EDDF"), "Frankfurt           Germany");
  EXPECT_EQ(tables.AirportInfo("CYVR"), Padded("Vancouver", "Canada"));
  EXPECT_EQ(tables.AirportInfo("CYYR"), Padded("Goose Bay", "Canada"));
  EXPECT_EQ(tables.AirportInfo("LYPR"), Padded("Pristina", "Kosovo"));
  EXPECT_EQ(tables.AirportInfo("DTMB"), Padded("Monastir", "Belgium"));
  EXPECT_EQ(tables.AirportInfo("BGBW"), Padded("Narsarsuaq", "Greenland"));
  EXPECT_EQ(tables.AirportInfo("ZSPD"), Padded("hanghai - Pu Dong", "China"));
  // Names longer than 20 characters are kept whole.
  EXPECT_EQ(tables.AirportInfo("LEST"), "Santiago de CompostelaSpain");
  EXPECT_EQ(tables.AirportInfo("LGKF"), "Kefallinia/ArgostolionGreece");
  // The bucket is found through the upper-cased letter, the code compared as given.
  EXPECT_EQ(tables.AirportInfo("eddf"), "");
  EXPECT_EQ(tables.AirportInfo("AAAA"), "");
  EXPECT_EQ(tables.AirportInfo("1ABC"), "");
  EXPECT_EQ(tables.AirportInfo("[ABC"), "");
  EXPECT_EQ(tables.AirportInfo("\xC9"
                               "DDF"),
            "");
  EXPECT_EQ(tables.AirportInfo(""), "");
  EXPECT_EQ(tables.AirportInfo("EDD"), "");
  EXPECT_EQ(tables.AirportInfo("EDDFX"), "");
}

TEST_F(BuiltinTables, AirportInfoSurvivesDamagedRows) {
  auto airports = tables.Airports();
  airports[22].name.clear();       // EDDF
  airports[23].countryId = "999";  // EDDH
  airports[24].countryId = "x";    // EDDI
  airports[25].countryId = " 30";  // EDDK
  tables.SetAirports(airports);
  EXPECT_EQ(tables.AirportInfo("EDDF"), "");
  EXPECT_EQ(tables.AirportInfo("EDDH"), Padded(airports[23].name, ""));
  EXPECT_EQ(tables.AirportInfo("EDDI"), Padded(airports[24].name, ""));
  EXPECT_EQ(tables.AirportInfo("EDDK"), Padded(airports[25].name, "Germany"));
  // A code changed in place is found at once, without a new index.
  const std::string before = airports[26].code;
  airports[26].code = "EDDZ";
  tables.SetAirports(airports);
  EXPECT_EQ(tables.AirportInfo("EDDZ"), Padded(airports[26].name, "Germany"));
  EXPECT_EQ(tables.AirportInfo(before), "");
  // An index left over from a longer table never reads past the rows.
  airports.resize(300);
  tables.SetAirports(airports);
  EXPECT_EQ(tables.AirportInfo("ZSPD"), "");
  EXPECT_EQ(tables.AirportInfo("LATI"), Padded("Tirana", "Albania"));
}

TEST(AirportIndex, CodesBeginningWithAAndStrayRowsAreIndexed) {
  ReferenceTables tables;
  tables.SetCountries({"Nowhere"});
  tables.SetAirports({{"9XYZ", "0", "Digit"}, {"AAAA", "0", "Alpha"}, {"ABCD", "0", "Beta"}, {"BBBB", "0", "Gamma"}});
  tables.IndexAirports();
  EXPECT_EQ(tables.AirportIndex()[0].first, 1);
  EXPECT_EQ(tables.AirportIndex()[0].last, 2);
  EXPECT_EQ(tables.AirportIndex()[1].first, 3);
  EXPECT_EQ(tables.AirportIndex()[1].last, 3);
  EXPECT_EQ(tables.AirportInfo("ABCD"), Padded("Beta", "Nowhere"));
  EXPECT_EQ(tables.AirportInfo("9XYZ"), "");
}

TEST(AirportIndex, AnEmptyTableLeavesEveryBucketEmpty) {
  ReferenceTables tables;
  tables.IndexAirports();
  for (const AirportRun& run : tables.AirportIndex()) {
    EXPECT_EQ(run.first, -1);
  }
  EXPECT_EQ(tables.AirportInfo("EDDF"), "");
}

TEST(GlobalTables, FreeFunctionsUseTheProcessTables) {
  FillBuiltinTables();
  EXPECT_EQ(&Global(), &Global());
  EXPECT_EQ(LabelDescription("H1"), "Message to/from terminal");
  EXPECT_EQ(CodeDescription("M1"), "FMC - Left");
  EXPECT_EQ(AirportInfo("KORD"), Padded("Chicago O'Hare, IL", "USA"));
  IndexAirports();
  EXPECT_EQ(AirportInfo("UUDD"), Padded("Moscow", "Russia"));
}

}  // namespace
}  // namespace corvane::reference
