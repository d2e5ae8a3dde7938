#!/usr/bin/python3
"""Makes the README's pictures of the web page: the card server stand-in
replays a capture fast into corvaned serving its page, and headless Chromium
photographs each view once the traffic is in. Then the map with ADS-B: a
corvaned of its own reads an aircraft.json of aircraft around a receiver
near London, a few of which send ACARS position reports first.

  scripts/web-screenshots.py CAPTURE [OUT_DIR]   (default OUT_DIR: docs/)
  scripts/web-screenshots.py --adsb-map [OUT_DIR]   (the map with ADS-B only)

Needs a build in build/ (scripts/setup.sh) and Debian's chromium,
chromium-driver and python3-selenium.
"""
import json
import math
import os
import random
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from browser_support import headless_chromium  # noqa: E402
from process_support import free_port  # noqa: E402


TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("CORVANE_BUILD_DIR", os.path.join(TOP, "build"))


def browser():
    return headless_chromium(window="1280,860", extra=("--hide-scrollbars",))


STATION = (51.47, -0.45)
# Aircraft that send ACARS position reports (registration, flight id) and fly on in the ADS-B feed.
# (registration, ACARS flight id, the ADS-B callsign it is flown under)
REPORTING = [("G-EUPT", "BA0306", "BAW306"), ("G-EZTH", "U28123", "EZY8123"), ("EI-DCL", "FR4521", "RYR4521"),
             ("G-TTNA", "BA0870", "BAW870"), ("D-AIBD", "LH0925", "DLH925")]


def moved(lat, lon, track, miles):
    """Where a flight of `miles` NM on `track` degrees ends (flat enough for a picture)."""
    return (lat + miles / 60 * math.cos(math.radians(track)),
            lon + miles / 60 * math.sin(math.radians(track)) / math.cos(math.radians(lat)))


def report_text(lat, lon):
    """An H1 position report's text at (lat, lon), degrees and tenths of minutes."""
    def part(value, width):
        whole = int(abs(value))
        return "%0*d" % (width, whole * 1000 + round((abs(value) - whole) * 600))
    return "#M2BPOS%s%s%s%s,NAPSI,091010,360,DOMUX,091045,KOVAN,M48,27015,294" % (
        "N" if lat >= 0 else "S", part(lat, 5), "E" if lon >= 0 else "W", part(lon, 6))


def adsb_fleet():
    """The aircraft.json entries and, for the reporting ones, the capture lines of their reports."""
    draw = random.Random(5)
    aircraft, lines = [], []
    for i in range(70):
        distance = 210 * math.sqrt(draw.random())
        lat, lon = moved(STATION[0], STATION[1], draw.uniform(0, 360), distance)
        track = draw.uniform(0, 360)
        entry = {"hex": "%06X" % (0x400000 + 211 * i), "lat": round(lat, 4), "lon": round(lon, 4),
                 "alt_baro": draw.choice([2500, 7000, 14000, 24000, 33000, 37000, 39000]), "track": round(track),
                 "gs": draw.randint(160, 480), "seen": 0.4, "seen_pos": draw.choice([0.4, 1, 2, 5, 14, 30, 45]),
                 "flight": "%s%d" % (draw.choice(["BAW", "EZY", "RYR", "DLH", "KLM", "AFR", "VIR"]),
                                      draw.randint(10, 1999))}
        if i < len(REPORTING):
            registration, flight, callsign = REPORTING[i]
            entry.update({"r": registration, "flight": callsign, "seen_pos": 0.5, "alt_baro": 36000})
            for back in (90, 60, 30):  # earlier reports along the way it came
                fix = moved(lat, lon, track + 180, back)
                text = "M=2  ADDR=.%s TA=! ML=H1 B=1 MSN=M%02dA FID=%s\r\n%s" % (registration, back // 30, flight,
                                                                               report_text(*fix))
                lines.append(json.dumps({"utc": "2026-12-07T09:00:%02d.000Z" % len(lines), "txt": text}))
        aircraft.append(entry)
    return aircraft, lines


def adsb_map_picture(out):
    """The map with ADS-B aircraft, the receiver and its rings, a few aircraft with messages ringed."""
    with tempfile.TemporaryDirectory() as work:
        card, http = free_port(), free_port()
        config = os.path.join(work, "Nordquill Software")
        os.makedirs(config)
        with open(os.path.join(config, "Corvane.conf"), "w") as conf:
            conf.write("[General]\nHostName=127.0.0.1:%d\nCardType=1\nCardNumber=1\nStationName=loft\n" % card)
        aircraft, lines = adsb_fleet()
        feed, capture = os.path.join(work, "aircraft.json"), os.path.join(work, "capture.jsonl")
        with open(feed, "w") as file:
            json.dump({"messages": 1, "aircraft": aircraft}, file)  # no "now": every reading is new
        with open(capture, "w") as file:
            file.write("\n".join(lines) + "\n")
        env = dict(os.environ, XDG_CONFIG_HOME=work, XDG_STATE_HOME=work)
        receiver = subprocess.Popen([os.path.join(BUILD, "tools/corvaned/corvaned"), "--database", "1", "--quiet",
                                     "--retry", "1", "--http", "127.0.0.1:%d" % http, "--adsb", feed,
                                     "--station-position", "%s,%s" % STATION], cwd=work, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server = subprocess.Popen([os.path.join(BUILD, "tools/cardserver/corvane-cardserver"), "--port", str(card),
                                   "--capture", capture, "--speed", "100"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        driver = browser()
        try:
            time.sleep(4)  # the reports in
            driver.get("http://127.0.0.1:%d/#map" % http)
            time.sleep(6)
            driver.save_screenshot(os.path.join(out, "screenshot-web-map-adsb.png"))
            print("wrote", os.path.join(out, "screenshot-web-map-adsb.png"))
        finally:
            driver.quit()
            receiver.terminate()
            server.terminate()
            receiver.wait(10)
            server.wait(10)


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0 if len(sys.argv) > 1 else 2
    if sys.argv[1] == "--adsb-map":
        adsb_map_picture(os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(TOP, "docs")))
        return 0
    capture = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(TOP, "docs"))
    with tempfile.TemporaryDirectory() as work:
        card, http = free_port(), free_port()
        config = os.path.join(work, "Nordquill Software")
        os.makedirs(config)
        with open(os.path.join(config, "Corvane.conf"), "w") as conf:
            conf.write("[General]\nHostName=127.0.0.1:%d\nCardType=1\nCardNumber=1\nStationName=loft\n"
                       "Alerts=\"MEDICAL\\nlabel:B6\"\n" % card)
        env = dict(os.environ, XDG_CONFIG_HOME=work, XDG_STATE_HOME=work)
        server = subprocess.Popen([os.path.join(BUILD, "tools/cardserver/corvane-cardserver"), "--port", str(card),
                                   "--capture", capture, "--speed", "400"], stdout=subprocess.DEVNULL)
        receiver = subprocess.Popen([os.path.join(BUILD, "tools/corvaned/corvaned"), "--database", "1", "--quiet",
                                     "--http", "127.0.0.1:%d" % http], cwd=work, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        driver = browser()
        origin = "http://127.0.0.1:%d/" % http
        try:
            time.sleep(2)
            driver.get(origin)
            time.sleep(45)  # the capture replayed
            views = [("live", "#live"), ("search", "#search?q=has:position label:H1"), ("map", "#map"),
                     ("stats", "#stats"), ("alerts", "#alerts")]
            for name, route in views:
                driver.get(origin + route)
                time.sleep(4)
                driver.save_screenshot(os.path.join(out, "screenshot-web-%s.png" % name))
                print("wrote", os.path.join(out, "screenshot-web-%s.png" % name))
        finally:
            driver.quit()
            receiver.terminate()
            server.terminate()
            receiver.wait(10)
            server.wait(10)
    adsb_map_picture(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
