// Every position form read in all four hemispheres: one real example per
// form, rewritten north-east, north-west, south-east and south-west, must
// give the same magnitudes with south and west negative. A new form is one
// more row of the table.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "readable/text_scan.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

// How a row writes its hemispheres. In a template, "{N}" is the latitude's
// letter (N or S) and "{E}" the longitude's (E or W); signed forms write
// "{-n}"/"{-e}" (nothing or "-"), "{+n}"/"{+e}" ("+" or "-") and, where the
// width is fixed, "{_n}"/"{_e}" (a space or "-"). "{[}" marks where a
// checksum starts counting and "{CRC}" stands for it: the CRC-16 (polynomial
// 0x1021, inverted) in four hex digits, highest first, which the terminal
// and AFN checksums both take.
struct PositionForm {
  const char* name;
  const char* label;
  const char* text;
  double latitude;  // as the north-east rewriting gives them
  double longitude;
};

constexpr double Minutes(double degrees, double minutes) { return degrees + minutes / 60; }

constexpr std::array kForms = {
    PositionForm{"airline report POS (80)", "80",
                 "3N01 POSRPT 0783/09 MMSD/MMMX .XA-VSG\r\n/POS {N}20381{E}103350/ALT +36969/MCH 767/FOB 0043/ETA 1959",
                 Minutes(20, 38.1), Minutes(103, 35.0)},
    PositionForm{"flight management POS (H1)", "H1", "POS{N}34261{E}108337,TMALE,000013,301,,,,M44,21922,849AEE",
                 Minutes(34, 26.1), Minutes(108, 33.7)},
    PositionForm{"flight management POS behind a prefix (H1)", "H1",
                 "#M2BPOS{N}48265{E}001319,DRYHT,003009,350,TXO,005818,TURKI,M54,23922", Minutes(48, 26.5),
                 Minutes(1, 31.9)},
    PositionForm{"flight events LAT/LON lines (39)", "39",
                 "PBS01AFL2137   /13131406LTFMUUEE\r\n140644\r\nFOB  149\r\nLAT{N} 41.264\r\nLON{E} 28.750\r\n", 41.264,
                 28.75},
    PositionForm{"off event LOC (14)", "14",
                 "/14 OFF EVENT      / KIAD EDDF 09 025055/TIME 0250\r\n/LOC {+n}38.9603,{+e}077.4595", 38.9603,
                 77.4595},
    PositionForm{"load and position report (10)", "10",
                 "POS082150, {N} 3885,{E} 7841,---,308,26922,  51,22290, 529,  19,-225,6", 38.85, 78.41},
    PositionForm{
        "POX report, letters (18)", "18",
        "POX,CSN433    ,04AUG22,121839,PANC,KORD,{N}048.89,{E}099.14,309, 247,838, 121.7, -69.0,035,-39.1,135139,",
        48.89, 99.14},
    PositionForm{
        "POX report, signs (18)", "18",
        "POX,CSN433    ,04AUG22,121839,PANC,KORD,N0{-n}48.89,E0{-e}99.14,309, 247,838, 121.7, -69.0,035,-39.1,", 48.89,
        99.14},
    PositionForm{"numbered points (16)", "16",
                 "/P1 1204,{N}  3.807/{E}101.294,  28068,   97/P2 1206,{N}  3.689/{E}101.484,  25047,   96", 3.689,
                 101.484},
    PositionForm{"phase change with position (19)", "19", "ERDC{N} 50.168{E}  9.277,37998,  9.1,433", 50.168, 9.277},
    PositionForm{"route and position behind a number (1L)", "1L",
                 "000000660{N}50442{E}005566,100444359SOG-06 ,,--- 21-,83617441", Minutes(50, 44.2), Minutes(5, 56.6)},
    PositionForm{"dated route with position (1L)", "1L", "000000070LOWW,KEWR,0932,1744,{N} 49.223,{E} 12.038,0659",
                 49.223, 12.038},
    PositionForm{"route and frequency (1X)", "1X", "----,----,04AUG22,1442\r\n{N} 59.377,{E} 17.945,22,1,136975,",
                 59.377, 17.945},
    PositionForm{"LAT/LON position (16)", "16", "LAT {N} 47.176/LON {E}  2.943", 47.176, 2.943},
    PositionForm{"decimal position first (16)", "16", "{N} 44.203,{E} 86.546,31965,6, 290", 44.203, 86.546},
    PositionForm{"automatic position report (16)", "16", "005236,36787,0135,  97,{N} 38.364 {E} 75.226", 38.364,
                 75.226},
    PositionForm{"position report with fixes (16)", "16",
                 "POSA1{N}46956{E}160289,N45W170,083018,309,N47W160,091905,,-50, 54, 331,828", 46.956, 160.289},
    PositionForm{"position, route and flight level (15)", "15",
                 "FST01KLAXEGLL{N}366221{E}1089766330 671 136 M36C 1726706507551111603210080136", 36.6221, 108.9766},
    PositionForm{"AUTPOS degrees, minutes and seconds (16)", "16",
                 "010394/AUTPOS/LLD {N}350447 {E}1070026\r\n/ALT 32400/SAT -048\r\n/WND 227027/TAT ****/TAS 467/CRZ 080"
                 "\r\n/FOB 034840\r\n/DAT 260202/TIM 010133",
                 35 + 4 / 60.0 + 47 / 3600.0, 107 + 26 / 3600.0},
    PositionForm{"position in hundredths (2F)", "2F", "1130{+n}5447{+e}1265/34182", 54.47, 12.65},
    PositionForm{"short position report (2L)", "2L", "P/2357/290-/\r\n{+n}52.7{+e}15.5/-43/2/5\r\n", 52.7, 15.5},
    PositionForm{"position and time (3L)", "3L", "{N} 33.889/{E}151.177 /UTC 0438", 33.889, 151.177},
    PositionForm{"dated position record (32)", "32",
                 "P,R,2026-02-02 00:55:09,7688,68300,{N}36.795 {E}107.615,20717,256,22,-20,428,409,659,,", 36.795,
                 107.615},
    PositionForm{"waypoint position report (4A)", "4A",
                 "{N}22456{E}077014OSE35 ,192027370VEX36 ,192316,M46,275043309,85220111", Minutes(22, 45.6),
                 Minutes(77, 1.4)},
    PositionForm{"position with registration and route (12)", "12",
                 "LGKO,EBBR,04AUG22,1218,124800\r\n{N} 50.308,{E}  8.443,32892\r\nEBBR25R,SN3244", 50.308, 8.443},
    PositionForm{"squitter, hemisphere after the digits (SQ)", "SQ", "02XAABQKABQ13502{N}10637{E}V136975/ARINC",
                 Minutes(35, 2), Minutes(106, 37)},
    PositionForm{"tagged position report (1L)", "1L",
                 "00040220200 {N} 22.027/{E} 20.426/UTC 2122/FOB     6.2/ALT  41000/CAS 236.5/ETA 2308", 22.027,
                 20.426},
    PositionForm{"flight status line, hemisphere after the digits (4T)", "4T",
                 "AGFSR AC0620/07/08/YYZYHZ/0340Z/453/4435.1{N}07143.4{E}/350/ /0063/0035/ /281065/----/ "
                 "/512/0240/0253/----/----",
                 Minutes(44, 35.1), Minutes(71, 43.4)},
    PositionForm{"fuel and destination lead (44)", "44",
                 " /FB 0160/AD KORH/{N} 38.655,{E} 75.325,JBU2834,INA03,KORH,2043", 38.655, 75.325},
    PositionForm{"weather position record (36)", "36",
                 "59,E,0734,2,1,EPWA,{-n}51.47,{-e}17.36,51.47,17.37,34,338066,-56,44.5,11041,10,36,415,423,73599A2",
                 51.47, 17.36},
    PositionForm{"weather position report (4J)", "4J",
                 "4J01 POSWX 0318/20 ETAD/ETAD .00318S\r\n/POS {N}5043.5{E}01121.8/OVR 0817\r\n/ALT 270/TFW 1342\r\n",
                 Minutes(50, 43.5), Minutes(11, 21.8)},
    PositionForm{"comma position line (80)", "80",
                 "3C01 POS {N}39328{E}077307  ,,143700,               ,      ,               ,P47,124,0069",
                 Minutes(39, 32.8), Minutes(77, 30.7)},
    PositionForm{"slash altitude and position (24)", "24", "/241710/1021/04WM/34962/{N}53.13/{E}001.33/3374/1056/",
                 53.13, 1.33},
    PositionForm{"off report lines (22)", "22", "OFF02XA0000/{N}38568 {E}077261251152KIADEPRZ1152****1958",
                 Minutes(38, 56.8), Minutes(77, 26.1)},
    PositionForm{
        "mission report PS (2P)", "2P",
        "POS/ID50007B,RCH4086,ABB02R70E037/DC10022025,051804/MR103,/ET090738/PS{N}56012{E}013273,051804,350,,,,,"
        "084081,/CG,,/FB0857/",
        Minutes(56, 1.2), Minutes(13, 27.3)},
    PositionForm{"slash flight position (58)", "58", "OG0704/06/230942/{N}39.214/{E}76.106/22683/N/", 39.214, 76.106},
    PositionForm{"packed position (15)", "15", "(2{N}34496{E}107267287 44429-55(Z", Minutes(34, 49.6),
                 Minutes(107, 26.7)},
    PositionForm{"position with route, signed (83)", "83",
                 "KIAH,RJAA,110012,{_n}39.12,{-e}175.10,39001,265,-107.6, 64900", 39.12, 175.10},
    PositionForm{"position, comma-separated (16)", "16", "000118,34986,0154, 184,{N} 35.975,{E}109.384", 35.975,
                 109.384},
    PositionForm{"position with registration (12)", "12", "{N} 34.076,{E}107.484,38000,001217, 204,.C-GWBT,0242",
                 34.076, 107.484},
    PositionForm{"position, degrees, minutes and seconds (12)", "12",
                 "POS{N} 390104{E} 754601,-------,1244,1446,,-  4,23249  12,FOB   73,ETA 1303,KATL,KPHL,",
                 39 + 1 / 60.0 + 4 / 3600.0, 75 + 46 / 60.0 + 1 / 3600.0},
    PositionForm{"position, decimal degrees, with destination (21)", "21",
                 "POS{N} 35.062{E}109.746, 148,005530,37015,23566,  29,-58,024930,KIAH", 35.062, 109.746},
    PositionForm{
        "route record (32)", "32",
        "H,H,08DEC19 06:49:57,14352840,07DEC,5407,KLAX,KMFR,7860,60,L,{N} 38.294,{E}120.619,{N} 38.068,{E}120.503,"
        "32000,32000,246,107,- 18,  47280,085,320,439500,275.3, 28680,760,0734,,,,0550,",
        38.294, 120.619},
    PositionForm{"AFN contact (B0)", "B0",
                 "/KZWY.{[}AFN/FMHJBU803,.N949JT,AD2F71,000203/FPO{N}40122{E}072597,1/FCOADS,01/FCOATC,01{CRC}",
                 Minutes(40, 12.2), Minutes(72, 59.7)},
    PositionForm{"numbered route record (33)", "33",
                 "96,C,{-n}38.026,{-e}77.605,14233,*****,KILM,KIAD,19L,9,0,0,,,,,41.8,0,0,0,,", 38.026, 77.605},
    PositionForm{"flight data report, samples (H1)", "H1",
                 "++76502,XXX,B737-800,260202,WN4899,KPHX,KSTL,0994,SW2501\r\n6\r\n"
                 "{N}3351.3,{E}11047.7,012347,25835,-33.3,165,025,CL,00000,0,\r\n",
                 Minutes(33, 51.3), Minutes(110, 47.7)},
    PositionForm{"flight data report, snapshot (H1)", "H1",
                 "7T217,8560,B737-800,260201,WN4899,KPHX,KSTL,0994,SW2501\r\n"
                 "23.58.47,CR,1899,37026,255.0,.788,-57.5,-30.8,{N}3421.9,{E}10912.9,153920\r\n",
                 Minutes(34, 21.9), Minutes(109, 12.9)},
    PositionForm{"flight data report, packed samples (H1)", "H1",
                 "76401\r\n02E02KPHXKSTL\r\n{N}34743{E}10790200073702M057248030G0000220030PSZ\r\n", 34.743, 107.902},
    PositionForm{"flight data feed, position record (H1)", "H1",
                 "6{-n}342787,{-e}1080968,350,01641,451,0229,1/C70000058,0000023,0255,23087,16359,-53/C8", 34.2787,
                 108.0968},
    PositionForm{"trip report (H1)", "H1",
                 "A38/A32138,1,1/C1TRP,000913,KPSP,KDFW,08,8,75738/C2{-n}341606,{-e}1099966,349,01653,449,0230,1/C3",
                 34.1606, 109.9966},
    PositionForm{"flight data report, blocks (H1)", "H1",
                 "#DFBABS001DA_N8719Q  KMDWKPHX287\r\n{_n}35322{_e}1078960003037993-585264034X20W/X0100150000--\r\n",
                 35.322, 107.896},
    PositionForm{"position (H1 *WOB)", "H1", "*WOBLAXATL5100F 3101000000M290M56837080107{N}35237{E}108412247032:\r\n",
                 Minutes(35, 23.7), Minutes(108, 41.2)},
    PositionForm{"progress and position report items (H1 POS/)", "H1",
                 "#M1B{[}POS/ID746026,,/DC03032024,173207/MR1,/ET031846/PS{N}42579{E}108090,173207,320,WAIDE,031759,"
                 "WEDAK,M49,267070,T468/CG264,110,360/FB742/VR32{CRC}",
                 Minutes(42, 57.9), Minutes(108, 9.0)},
    PositionForm{"flight data feed, signed decimals (H1)", "H1",
                 "YSSY,KSFO,101621,{_n} 4.9985,{-e}169.9820,35003,290,  35.1, 44100,S05W169,S02W167,1645", 4.9985,
                 169.982},
    PositionForm{"trip position (H1 TRP)", "H1",
                 "TRP 003451 {_n}33.9963 {_e}109.5385 332 154.8 460   2124 0.02088\r\n  25.00 -124.45 1.021\r\n",
                 33.9963, 109.5385},
    PositionForm{"position (H1 *POS)", "H1", "#DFB*POS\r\n02020007{N}3523{E}10701360251029790M5550336", Minutes(35, 23),
                 Minutes(107, 1)},
    PositionForm{"ICAO position report (H1)", "H1",
                 "(POS-KLM296  -3911{N}07600{E}/234212 F250\r\nRMK/FUEL  37.0 M0.69)", Minutes(39, 11), 76},
    PositionForm{"flight monitor report, spaced signs (2P)", "2P",
                 "FM3 1217,1312,{+n} 43.77,{+e} 70.18, 39981, 426, 25", 43.77, 70.18},
    PositionForm{"flight monitor report with route (2P)", "2P",
                 "FM4KIAD,OMAA,140256,1448,{_n}39.43,{_e} 75.62,23228,328,  43.5, 72500", 39.43, 75.62},
    PositionForm{"tagged position report, signs (1L)", "1L",
                 "{+n} 39.126/{+e} 77.358/UTC 085208/FOB   8.2/ALT  3997/CAS  239/ETA 0903", 39.126, 77.358},
    PositionForm{"waypoint position report behind a C-band prefix (4A)", "4A",
                 "M60ALH0752{N}50412{E}005316KON39 ,084417370GUBAX ,085553,M57,159003254,85609571", Minutes(50, 41.2),
                 Minutes(5, 31.6)},
    PositionForm{"position after the time stamp (H1 POS/TS)", "H1",
                 "/.{[}POS/TS140122,141124{N}38321{E}078003,,140122,450,,140122,,M56,24739,127,830{CRC}",
                 Minutes(38, 32.1), Minutes(78, 0.3)},
    PositionForm{
        "position report item PS (H1 POS/)", "H1",
        "/.{[}POS/TS100316,210324/PS{N}35333{E}058220,,100316,250,S37131W059150,101916,S39387W060377,M23,27282,"
        "241,780,MANUAL,0,813{CRC}",
        Minutes(35, 33.3), Minutes(58, 22.0)},
    PositionForm{"position on one line (H1 *POS)", "H1", "*POS10300950{N}3954{E}07759363312045802M5230175",
                 Minutes(39, 54), Minutes(77, 59)},
    PositionForm{"timed position (83)", "83", "001PR11013423{N}0556.6{E}11603.0000000----", Minutes(5, 56.6),
                 Minutes(116, 3.0)},
};

// The text's placeholders for one hemisphere of each axis filled in.
std::string Fill(std::string_view text, bool south, bool west) {
  const std::array<std::pair<std::string_view, std::string_view>, 8> kTokens = {{
      {"{N}", south ? "S" : "N"},
      {"{E}", west ? "W" : "E"},
      {"{-n}", south ? "-" : ""},
      {"{-e}", west ? "-" : ""},
      {"{+n}", south ? "-" : "+"},
      {"{+e}", west ? "-" : "+"},
      {"{_n}", south ? "-" : " "},
      {"{_e}", west ? "-" : " "},
  }};
  std::string out;
  while (!text.empty()) {
    bool replaced = false;
    for (const auto& [token, value] : kTokens) {
      if (text.starts_with(token)) {
        out += value;
        text.remove_prefix(token.size());
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out += text.front();
      text.remove_prefix(1);
    }
  }
  return out;
}

// "{[}" dropped and "{CRC}" replaced by the checksum of what lies between.
std::string WithChecksum(const std::string& text) {
  const auto start = text.find("{[}");
  const auto end = text.find("{CRC}");
  if (start == std::string::npos || end == std::string::npos) {
    return text;
  }
  const std::string counted = text.substr(start + 3, end - start - 3);
  std::uint16_t crc = 0xFFFF;
  for (const char c : counted) {
    crc = CcittCrcStep(crc, static_cast<std::uint8_t>(c));
  }
  crc = static_cast<std::uint16_t>(~crc);
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string digits;
  for (int shift = 12; shift >= 0; shift -= 4) {
    digits += kHex[(crc >> shift) & 0xF];
  }
  return text.substr(0, start) + counted + digits + text.substr(end + 5);
}

// The kind and the names of the fields, so that a rewritten text read by
// another form shows.
std::string ShapeOf(const Decoding& decoding) {
  std::string shape(decoding.kind);
  for (const Field& field : decoding.fields) {
    shape += ' ';
    shape += field.name;
  }
  return shape;
}

TEST_F(RealMessages, EveryPositionFormReadsAllFourHemispheres) {
  for (const PositionForm& form : kForms) {
    std::string northEastShape;
    for (const bool south : {false, true}) {
      for (const bool west : {false, true}) {
        const std::string text = WithChecksum(Fill(form.text, south, west));
        const auto decoding = Decode({form.label, "2", text, {}}, tables_);
        if (!decoding) {
          ADD_FAILURE() << form.name << " is not read: " << text;
          continue;
        }
        EXPECT_DOUBLE_EQ(NumberOf(*decoding, "latitude"), south ? -form.latitude : form.latitude)
            << form.name << ": " << text;
        EXPECT_DOUBLE_EQ(NumberOf(*decoding, "longitude"), west ? -form.longitude : form.longitude)
            << form.name << ": " << text;
        if (!south && !west) {
          northEastShape = ShapeOf(*decoding);
        }
        EXPECT_EQ(ShapeOf(*decoding), northEastShape) << form.name << ": " << text;
      }
    }
  }
}

}  // namespace
}  // namespace corvane::readable
