// Built-in table of the two-character codes that open the text of label H1
// messages (the terminal that sent or receives the message). Lookups scan it
// from the top.
#include "reference/builtin_data.h"

namespace corvane::reference {

// clang-format off
const std::array<BuiltinCode, kBuiltinCodeCount> kBuiltinCodes = {{
    // row 0
    {"CF", "Central Fault Display"},
    {"DF", "DF Data Acquisition Unit"},
    {"EC", "Engine Display System"},
    {"EI", "Engine Report"},
    {"H1", "HF DR - Left "},
    {"H2", "HF DR - Right"},
    {"HD", "HF DR - Selected"},
    {"M1", "FMC - Left"},
    {"M2", "FMC - Right"},
    {"M3", "FMC - Center"},
    // row 10
    {"MD", "FMC - Selected"},
    {"PS", "Keyboard/Display Unit"},
    {"S1", "SDU - Left"},
    {"S2", "SDU - Right"},
    {"SD", "SDU - Selected"},
    {"T0", "Cabin Terminal Messages"},
    {"T1", "Cabin Terminal Messages"},
    {"T2", "Cabin Terminal Messages"},
    {"T3", "Cabin Terminal Messages"},
    {"T4", "Cabin Terminal Messages"},
    // row 20
    {"T5", "Cabin Terminal Messages"},
    {"T6", "Cabin Terminal Messages"},
    {"T7", "Cabin Terminal Messages"},
    {"T8", "Cabin Terminal Messages"},
    {"WO", "Weather Observation Report"},
    {"A1", "Oceanic Clearance"},
    {"A3", "Departure Clearance Response"},
    {"A4", "Flight Systems Message"},
    {"A6", "Request ADS Reports"},
    {"A7", "Free Text"},
    // row 30
    {"A8", "Deliver Departure Slot"},
    {"A9", "ATIS report"},
    {"A0", "ATS Facility Notification"},
    {"AC", "Pushback Clearance"},
    {"AD", "Expected Taxi Clearance"},
    {"AF", "CPC Command/Response"},
    {"B1", "Request Oceanic Clearance"},
    {"B2", "Oceanic Clearance Readback"},
    {"B3", "Request Departure Clearance"},
    {"B4", "Departure Clearance Readback"},
    // row 40
    {"B6", "Provide ADS Report"},
    {"B7", "Free Text"},
    {"B8", "Request Departure Slot"},
    {"B9", "Request ATIS Report"},
    {"B0", "ATS Facility Notification"},
    {"BB", "Request TWIP Report"},
    {"BC", "Pushback Clearance Request"},
    {"BD", "Expected Taxi Clearance Request"},
    {"BE", "CPC Aircraft Log-On/Off Request"},
    {"BF", "CPC WILCO/UNABLE Response"},
    // row 50
    {"H3", "Icing Report"},
}};
// clang-format on

}  // namespace corvane::reference
