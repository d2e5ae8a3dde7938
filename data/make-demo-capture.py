#!/usr/bin/env python3
"""Writes data/demo-capture.jsonl: an hour of invented but realistic ACARS
traffic in the card's record format, for the demo and the tests.

Every aircraft, flight and text here is made up; the shapes follow what real
traffic looks like (squitters, link tests, acknowledgements, OOOI reports,
H1 terminal messages, ATIS requests and flight-data sub-messages). A few
records are damaged on purpose so that the reader has something to reject.
Run it again to regenerate the file; the output is the same every time.
"""
import datetime
import json
import random
import sys

random.seed(20261207)

FLEET = [
    (".D-AIPX", "LH010K", "EDDF", "EGLL"), (".D-AINK", "LH1234", "EDDM", "LFPG"),
    (".G-EUUA", "BA0914", "EGLL", "EDDF"), (".G-EUPJ", "BA0306", "EGLL", "LFPG"),
    (".F-GKXA", "AF1234", "LFPG", "EDDF"), (".F-HBNA", "AF0177", "LFPG", "KSEA"),
    (".EI-DCL", "FR9082", "EIDW", "LEMD"), (".EI-EBA", "FR1822", "EGSS", "LIRF"),
    (".OE-LBX", "OS0181", "LOWW", "EDDF"), (".HB-JCA", "LX0318", "LSZH", "EGLL"),
    (".PH-BXA", "KL1775", "EHAM", "EDDM"), (".PH-EXB", "KL0643", "EHAM", "KORD"),
    (".SE-ROC", "SK0635", "EKCH", "ESSA"), (".OY-KBO", "SK1415", "EKCH", "ENGM"),
    (".LN-RKF", "SK4405", "ENGM", "EGLL"), (".OH-LVA", "AY0831", "EFHK", "EGLL"),
    (".TC-JJE", "TK1587", "LTFM", "EDDB"), (".TC-JRO", "TK1823", "LTBA", "LFPG"),
    (".EC-JBA", "IB3166", "LEMD", "EGLL"), (".EC-MXV", "IB0731", "LEBL", "LEMD"),
    (".I-ADJA", "AZ0208", "LIRF", "EGLL"), (".CS-TUA", "TP1352", "LPPT", "EGLL"),
    (".SP-LWA", "LO0281", "EPWA", "EGLL"), (".OK-TVR", "OK0770", "LKPR", "LFPG"),
    (".C-FIVS", "AC0871", "CYUL", "LFPG"), (".C-GHPQ", "AC0848", "CYYZ", "EGLL"),
    (".N173UA", "UA0932", "KSFO", "EDDF"), (".N786AN", "AA0070", "KORD", "EDDF"),
    ("..N67JE", "DL0044", "KEWR", "EHAM"), (".N8560Z", "WN4899", "KSEA", "KSFO"),
    (".9H-AEO", "KM0100", "LMML", "EGLL"), (".SX-DGA", "A30310", "LGAV", "EGLL"),
    (".4X-EKA", "LY0315", "LLBG", "EGLL"), (".A6-EDB", "EK0039", "OMDB", "EGLL"),
    (".A7-BAE", "QR0003", "OTBD", "EGLL"), (".HZ-AK11", "SV0117", "OEJN", "EGLL"),
    (".UR-PSA", "PS0101", "UKBB", "EDDF"), (".4L-TGA", "A90711", "UGGG", "EDDM"),
    (".YU-APA", "JU0330", "LYBE", "LFPG"), (".LZ-FBA", "FB0461", "LBSF", "EGLL"),
]
# One address is eight characters long on purpose: the card cuts it to seven.

STATIONS = [("EDF", "EDDF", "15002N00834E", "131725"), ("LHR", "EGLL", "15128N00027W", "131525"),
            ("CDG", "LFPG", "14900N00233E", "131825"), ("AMS", "EHAM", "15218N00445E", "131725"),
            ("MUC", "EDDM", "14821N01147E", "131550"), ("ARN", "ESSA", "15939N01755E", "131725")]

ATIS = ["/{a}.TI2/000{a}AAB12", "/{a}.TI2/040{a}AAC7F", "{a}"]

H1_TEXTS = [
    "#M1BPOSN{lat}E{lon},ANEKI,{t}55,340,RUDUS,{t}40,SPESA,M52,26512,301",
    "#M2BPOSN{lat}E{lon},NAPSI,{t}10,360,DOMUX,{t}45,KOVAN,M48,27015,294",
    "#DFB*PERF REPORT 210 34000 M.78 FF 2650 EGT 801",
    "#CFBFAULT 21-52 PACK 2 FLOW CTL VALVE/INTERMITTENT",
    "#T2BPASSENGER CONNECTION LIST FOR {flight}",
    "#ZZBUNLISTED TERMINAL TEST",
    "#MDBREQPOS037B",
    "- #M1/AA PAROPYA.AT1.{reg}8E7B01D2F0",
    "POS REPORT N{lat} E{lon} FL350",
]

FREE = ["OOOI REPORT FOLLOWS", "REQ GATE ASSIGNMENT", "CREW CONNECT 1410 GATE B22",
        "WX REQ {dep} {arr}", "FUEL ON BOARD 8.4T", "CABIN TEMP FWD 23\xb0C AFT 24\xb0C",
        "PAX 156 INF 2\rCARGO 3.1T", "LOAD SHEET RECEIVED\nTHANK YOU", ""]

def flight_data(label, reg, flight, dep, arr, day, hhmm):
    """Flight-data sub-messages in the order the decoder expects, with the
    occasional variation that it must handle."""
    plane = reg.lstrip(".")
    shape = random.randrange(9)
    if shape == 0:
        lines = ["VER/077/" + plane, "SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm),
                 "ETA/%s/%s/27R/%s/%s" % (dep, arr, day, hhmm)]
    elif shape == 1:
        lines = ["VER/12/X/" + plane, "SCH/%s/%s/%s/%s" % (dep, arr, day, hhmm),
                 "REL/%s/%s/%s/%s" % (dep, arr, day, hhmm)]
    elif shape == 2:
        lines = ["VER/077/" + plane, "SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm),
                 "MTR/%s/%s/%s/%s" % (dep, arr, day, hhmm)]
    elif shape == 3:
        lines = ["VER/077/" + plane, "SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm),
                 "MTR/%s//%s/%s" % (arr, day, hhmm)]
    elif shape == 4:
        airports = random.choice([[dep, arr, "EDDM"], [dep, arr], [arr]])
        lines = ["VER/077/" + plane, "SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm),
                 "WXR/" + "/".join(["M"] + airports)]
    elif shape == 5:
        lines = ["VER/077/" + plane, "FREE/TEXT FOLLOWS", "REMARK/CHECK GATE " + arr]
    elif shape == 6:
        lines = ["SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm)]
    elif shape == 7:
        lines = ["VER/077/" + plane, "VER/077/" + plane]
    else:
        lines = ["01VER/077/" + plane, "SCH/%s/%s/%s/%s/%s" % (flight, dep, arr, day, hhmm),
                 "ETA/%s/%s/09L/%s/%s" % (dep, arr, day, hhmm)]
    if label == "80" and random.random() < 0.7:
        lines = ["/" + line for line in lines]
    return "\r\n".join(lines)

def squitter(version):
    station, icao, position, freq = random.choice(STATIONS)
    text = "%02dXA%s%s%s" % (version, station, icao, position)
    text += "V" + freq + "/ARINC"
    # Mostly whole; sometimes cut just before or just into the frequency.
    return random.choice([text, text, text, text[:26], text[:27]])

def record(mode, addr, ack, label, block, msn, flight, text):
    header = "M=%-2s ADDR=%-7s TA=%s ML=%-2s B=%s" % (mode, addr, ack, label, block)
    if msn:
        header += " MSN=%-4s" % msn
    if flight:
        header += " FID=%-6s" % flight
    return header + "\r\n" + text

def traffic():
    start = datetime.datetime(2026, 12, 7, 9, 0, 0)
    at = start
    msn_counter = 0
    blocks = "0123456789"
    uplink_blocks = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    for n in range(360):
        at += datetime.timedelta(milliseconds=random.randrange(2000, 18000))
        reg, flight, dep, arr = random.choice(FLEET)
        msn_counter += 1
        msn = "%s%02d%s" % (random.choice("MDS"), msn_counter % 100, "ABC"[msn_counter % 3])
        block = blocks[n % 10]
        day, hhmm = "%02d" % at.day, at.strftime("%H%M")
        lat, lon = "%05d" % random.randrange(45000, 55000), "%06d" % random.randrange(0, 15000)
        kind = random.random()
        if kind < 0.08:
            txt = record("2", "", "!", "SQ", " ", "", "", squitter(random.choice([1, 2])))
        elif kind < 0.16:
            txt = record("2", reg, "!", "Q0", block, msn, flight, "")
        elif kind < 0.24:
            txt = record("2", reg, random.choice(blocks), "_\x7f", random.choice(uplink_blocks), "", "", "")
        elif kind < 0.30:
            txt = record("2", reg, "!", "B9", block, msn, flight, random.choice(ATIS).format(a=arr))
        elif kind < 0.50:
            text = random.choice(H1_TEXTS).format(lat=lat, lon=lon, t=hhmm, flight=flight, reg=reg.lstrip("."))
            txt = record("2", reg, "!", "H1", block, msn, flight, text)
        elif kind < 0.66:
            label = random.choice(["80", "80", "80", "80", "80", "5U", "2A", "23", "26", "2T", "30", "31", "41", "42", "43",
                                   "44", "46", "47", "4H", "4G"])
            txt = record("2", reg, "!", label, block, msn, flight,
                         flight_data(label, reg, flight, dep, arr, day, hhmm))
        elif kind < 0.80:
            label, text = random.choice([
                ("QA", "OUT%s FUEL %04d" % (hhmm, random.randrange(50, 200))), ("QB", "OFF" + hhmm),
                ("QC", "ON " + hhmm), ("QD", "IN %s FUEL %04d" % (hhmm, random.randrange(20, 90))),
                ("Q1", "%s %s ETA%s" % (dep, arr, hhmm)), ("5Y", "ETA %s %s" % (arr, hhmm)),
                ("QX", ""), ("SA", "0EV%s01V" % hhmm)])
            txt = record("2", reg, "!", label, block, msn, flight, text)
        elif kind < 0.97:
            label = random.choice(["5Z", "10", "16", "15", "14", "2S", "54", "7A", "B6", "C1", "RA", "23"])
            text = random.choice(FREE).format(dep=dep, arr=arr)
            txt = record(random.choice(["2", "2", "X"]), reg, "!", label, block, msn, flight, text)
        else:
            txt = random.choice([
                record("2", reg.lower(), "!", "H1", block, msn, flight, "LOWER CASE ADDRESS"),
                record("2", "N12/3", "!", "5Z", block, msn, flight, "BAD ADDRESS"),
                "M=2  ADDR=%-7s TA=! ML=QA MSN=%s\r\nNO BLOCK ID" % (reg, msn),
                "M=2  ADDR=%-7s ML=H1 B=1\r\nNO ACK TAG" % reg,
            ])
        yield at.strftime("%Y-%m-%dT%H:%M:%S.") + "%03dZ" % (at.microsecond // 1000), txt

def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "demo-capture.jsonl"
    with open(path, "w", encoding="ascii") as out:
        for utc, txt in traffic():
            out.write(json.dumps({"utc": utc, "txt": txt}) + "\n")

if __name__ == "__main__":
    main()
