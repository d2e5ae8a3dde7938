#!/usr/bin/python3
"""The ADS-B aircraft on the page's map in a real browser: corvaned reads an
aircraft.json this test writes (--adsb FILE) with two aircraft, one flying
as the flight of an ACARS message the card server stand-in sends, and
headless Chromium checks that the map draws both where the file puts them,
turned to their tracks with their labels, the receiver given, only the one
with a message marked, and that a click on that one lists its message in
the Search tab.

  adsb_page_test.py BUILD_DIR WEB_DIR
"""
import json
import math
import os
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.action_chains import ActionChains

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from page_test import browser, free_port, hook, record, start_receiver, wait_for  # noqa: E402

FLIGHT = "BAW306"  # an ACARS flight id written as the ICAO callsign it is flown under
MATCHED = {"hex": "4CA87C", "flight": FLIGHT + "  ", "lat": 52.2, "lon": -1.3, "alt_baro": 35000, "track": 271.5,
           "gs": 450, "seen": 0.4, "seen_pos": 0.4}
OTHER = {"hex": "400ABC", "flight": "EZY12   ", "lat": 51.0, "lon": 0.6, "alt_baro": 8000, "track": 90, "gs": 250,
         "seen": 0.2, "seen_pos": 0.2}
STATION = (51.47, -0.45)

# The canvas's pixels around a container point of the map: how many are drawn.
DRAWN_PIXELS = """
const canvas = document.querySelector('.adsb-canvas');
const c = canvas.getBoundingClientRect(), m = document.getElementById('map').getBoundingClientRect();
const ratio = canvas.width / c.width;
const x = (arguments[0] + m.left - c.left) * ratio, y = (arguments[1] + m.top - c.top) * ratio;
const data = canvas.getContext('2d').getImageData(x - 4 * ratio, y - 4 * ratio, 8 * ratio, 8 * ratio).data;
let drawn = 0;
for (let i = 3; i < data.length; i += 4) if (data[i] > 0) drawn++;
return drawn;
"""


def write_feed(path):
    # No "now": the receiver takes every reading of the file as new, so the
    # aircraft stay as fresh as their "seen" says for the whole test.
    with open(path, "w") as out:
        json.dump({"messages": 1000, "aircraft": [MATCHED, OTHER]}, out)


def start_card_server(build, work, card_port):
    capture = os.path.join(work, "capture.jsonl")
    line = record(".G-ADSB", FLIGHT, "H1", "1", "- #DFB ETA 1130 EGLL")
    with open(capture, "w") as out:
        out.write(json.dumps({"utc": "2026-12-07T09:00:01.000Z", "txt": line}) + "\n")
    return subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port", str(card_port),
                             "--capture", capture, "--speed", "100"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def click_at(driver, x, y):
    """A real mouse click at a container point of the map."""
    area = driver.find_element("id", "map")
    size = area.size
    ActionChains(driver).move_to_element_with_offset(area, int(x - size["width"] / 2),
                                                     int(y - size["height"] / 2)).click().perform()


def check_map(driver, origin):
    driver.get(origin + "#map")
    drawn = wait_for("both aircraft drawn, the one with a message marked", lambda: (lambda a: a if len(a) == 2 and a[
        MATCHED["hex"]]["marked"] else None)(hook(driver, "window.corvane.adsb.aircraft")))
    # drawn again once more, after the map has moved to show them
    draws = hook(driver, "window.corvane.adsb.draws")
    wait_for("the aircraft drawn again", lambda: hook(driver, "window.corvane.adsb.draws") > draws + 1)
    adsb = hook(driver, "window.corvane.adsb")
    drawn = adsb["aircraft"]
    assert adsb["enabled"] is True and adsb["count"] == 2, adsb
    assert adsb["station"] == {"lat": STATION[0], "lon": STATION[1]}, adsb["station"]
    matched, other = drawn[MATCHED["hex"]], drawn[OTHER["hex"]]
    for plane, feed in ((matched, MATCHED), (other, OTHER)):
        assert abs(plane["lat"] - feed["lat"]) < 1e-6 and abs(plane["lon"] - feed["lon"]) < 1e-6, plane
        assert abs(plane["rotation"] - math.radians(feed["track"])) < 1e-9, plane
        assert plane["opacity"] == 1 and plane["labelled"], plane
        assert driver.execute_script(DRAWN_PIXELS, plane["x"], plane["y"]) > 10, "nothing drawn at %s" % plane
    assert matched["label"] == [FLIGHT, "35,000 ft"] and other["label"] == ["EZY12", "8,000 ft"], (matched, other)
    assert not other["marked"] and other["query"] == "", other
    # west of the receiver on the screen as on the Earth, the other east
    assert matched["x"] < other["x"] and matched["y"] < other["y"], (matched, other)
    assert driver.find_element("id", "map-adsb-legend").is_displayed()
    answer = json.loads(subprocess.run(["curl", "-sf", origin + "api/adsb"], capture_output=True,
                                       check=True).stdout)
    served = {a["hex"]: a for a in answer["aircraft"]}
    assert matched["query"] == served[MATCHED["hex"]]["search"] and matched["query"], (matched, served)

    # A click on an aircraft without messages leaves the map; on the marked one it opens its messages.
    click_at(driver, other["x"], other["y"])
    assert hook(driver, "location.hash") == "#map"
    click_at(driver, matched["x"], matched["y"])
    hits = wait_for("the aircraft's messages", lambda: hook(driver, "!document.getElementById('view-search')"
                                                                    ".hidden && window.corvane.searchHits"))
    assert [(hit["address"], hit["flight"]) for hit in hits] == [(".G-ADSB", FLIGHT)], hits
    assert driver.find_element("id", "search-q").get_attribute("value") == matched["query"]
    # the map left, its aircraft are no longer asked for
    polls = hook(driver, "window.corvane.adsb.polls")
    time.sleep(2.5)
    assert hook(driver, "window.corvane.adsb.polls") == polls


def main():
    build, web = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        feed = os.path.join(work, "aircraft.json")
        write_feed(feed)
        card_port = free_port()
        receiver, origin = start_receiver(build, web, work, card_port, "--adsb", feed, "--station-position",
                                          "%s,%s" % STATION)
        server = start_card_server(build, work, card_port)
        driver = None
        try:
            wait_for("the message stored", lambda: json.loads(subprocess.run(
                ["curl", "-sf", origin + "api/count?q=flight:" + FLIGHT], capture_output=True).stdout or "{}")
                .get("count") == 1)
            driver = browser()
            check_map(driver, origin)
        finally:
            if driver:
                driver.quit()
            for process in (receiver, server):
                process.terminate()
                process.wait(10)
            with open(os.path.join(work, "corvaned.err")) as err:
                sys.stderr.write(err.read()[-2000:])
    print("ADS-B page test passed")


if __name__ == "__main__":
    main()
