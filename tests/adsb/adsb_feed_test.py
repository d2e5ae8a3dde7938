#!/usr/bin/python3
"""adsb_feed_test.py BUILD_DIR WEB_DIR: Debian's dump1090-mutability decodes
Mode S frames sent to its raw input and writes aircraft.json; corvaned --adsb
reads it while the card server feeds it ACARS messages; /api/adsb must list
the aircraft with positions, callsigns and matched messages, whose search
finds them. The frames are the worked examples of "The 1090 Megahertz
Riddle" (Junzi Sun, TU Delft, 2021): 40621D's odd and even airborne
positions (52.2572 N, 3.9194 E, 38000 ft), 4840D6's identification
(KLM1023) and 485020's airborne velocity (159 kt, track 182.88). Last,
headless Chromium opens the page's map and checks that it draws what
dump1090 wrote: the aircraft with a position where the decoder put it, the
one with messages at its message's position and marked, and none for the
aircraft the decoder knows no position of."""
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.parse
import urllib.request
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from process_support import free_port, wait_for  # noqa: E402
from page_test import browser, hook  # noqa: E402
from adsb_page_test import DRAWN_PIXELS  # noqa: E402

TOKEN = "adsb-feed-test-token"
# Odd first: the later, even one fixes the latitude the book works out.
FRAMES = ["8D40621D58C386435CC412692AD6", "8D40621D58C382D690C8AC2863A7", "8D4840D6202CC371C32CE0576098",
          "8D485020994409940838175B284F"]
FLIGHT = "KL1023"  # KLM's IATA designator: flown as KLM1023
DIRECT = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def get(url, token=TOKEN):
    request = urllib.request.Request(url, headers={"Authorization": "Bearer " + token} if token else {})
    try:
        with DIRECT.open(request, timeout=5) as answer:
            return answer.status, json.loads(answer.read().decode("utf-8"))
    except urllib.error.HTTPError as error:
        return error.code, None
    except urllib.error.URLError:  # nothing listens yet
        return 0, None


def transmit(port, stopping):
    """The frames every two seconds, as transponders repeat them, so that no aircraft grows old."""
    connection = None
    while not stopping.wait(0 if connection is None else 2):
        try:
            connection = connection or socket.create_connection(("127.0.0.1", port), timeout=2)
            connection.sendall("".join("*%s;\n" % frame for frame in FRAMES).encode("ascii"))
        except OSError:
            connection = None
            time.sleep(0.2)


def by_hex(aircraft):
    return {entry["hex"].upper(): entry for entry in aircraft}


def decoder_file(path):
    try:
        with open(path) as json_file:
            listed = by_hex(json.load(json_file)["aircraft"])
    except (OSError, ValueError):
        return None
    wanted = {"40621D": "lat", "4840D6": "flight", "485020": "speed"}
    return listed if all(key in listed.get(hex, {}) for hex, key in wanted.items()) else None


def adsb(origin, check):
    answer = get(origin + "api/adsb")[1]
    return answer if answer and check(answer) else None


def acarsdec(number, label, text):
    return json.dumps({"timestamp": time.time(), "mode": "2", "label": label, "block_id": str(number), "ack": False,
                       "tail": ".PH-BXA", "flight": FLIGHT, "msgno": "M%02dA" % number, "text": text}).encode()


def run(build, web, work, processes, stopping):
    json_dir, token = os.path.join(work, "dump1090"), os.path.join(work, "token")
    os.mkdir(json_dir)
    with open(token, "w") as out:
        out.write(TOKEN + "\n")
    os.chmod(token, 0o600)
    raw, card, http, udp = free_port(), free_port(), free_port(), free_port(socket.SOCK_DGRAM)
    # Its other ports off (0), so that it takes none another test uses.
    processes.append(subprocess.Popen(
        ["dump1090-mutability", "--net-only", "--net-bind-address", "127.0.0.1", "--net-ri-port", str(raw)] +
        [arg for port in ("ro", "sbs", "bi", "bo") for arg in ("--net-%s-port" % port, "0")] +
        ["--write-json", json_dir, "--quiet"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    threading.Thread(target=transmit, args=(raw, stopping), daemon=True).start()
    source = os.path.join(json_dir, "aircraft.json")
    listed = wait_for("dump1090's aircraft.json", lambda: decoder_file(source))
    assert (round(listed["40621D"]["lat"], 4), round(listed["40621D"]["lon"], 4)) == (52.2572, 3.9194), listed
    assert listed["40621D"]["altitude"] == 38000 and listed["4840D6"]["flight"].strip() == "KLM1023", listed
    assert listed["485020"]["speed"] == 159 and abs(listed["485020"]["track"] - 182.88) < 2, listed

    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=os.path.join(work, "state"),
               CORVANE_WEB_DIR=web)
    processes.append(subprocess.Popen(
        [os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet", "--retry", "1", "--host",
         "127.0.0.1:%d" % card, "--card-type", "1", "--card-number", "1", "--http", "127.0.0.1:%d" % http,
         "--http-token-file", token, "--adsb", source, "--station-position", "52.0,4.5"], cwd=work, env=env,
        stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "corvaned.err"), "w")))
    origin = "http://127.0.0.1:%d/" % http
    wait_for("the page's server", lambda: get(origin + "api/info")[0] == 200)
    assert get(origin + "api/adsb", token=None)[0] == 401
    answer = wait_for("three aircraft", lambda: adsb(origin, lambda a: len(a["aircraft"]) == 3))
    assert (answer["enabled"], answer["source"], answer["station"]) == (True, source, {"lat": 52.0, "lon": 4.5})
    listed = by_hex(answer["aircraft"])
    moving, fast, named = listed["40621D"], listed["485020"], listed["4840D6"]
    assert (round(moving["lat"], 4), round(moving["lon"], 4), moving["altitudeFt"]) == (52.2572, 3.9194, 38000)
    assert moving["positionSecondsAgo"] is not None and moving["matchedBy"] is None, moving
    assert fast["groundSpeedKt"] == 159 and abs(fast["track"] - 182.88) < 2 and fast["lat"] is None, fast
    assert (named["callsign"], named["messagesToday"], named["search"]) == ("KLM1023", 0, None), named
    assert all(0 <= entry["seenSecondsAgo"] < 60 for entry in answer["aircraft"]), answer

    processes.append(subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port",
                                       str(card), "--udp", str(udp)], stdout=subprocess.DEVNULL))
    wait_for("the card link", lambda: get(origin + "api/health")[0] == 200)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
        out.sendto(acarsdec(1, "1P", "101500,N 52.300,E  4.700,35000"), ("127.0.0.1", udp))
        out.sendto(acarsdec(2, "H1", "ADSB FEED TEST"), ("127.0.0.1", udp))
    answer = wait_for("the messages matched", lambda: adsb(
        origin, lambda a: by_hex(a["aircraft"]).get("4840D6", {}).get("messagesToday") == 2))
    named = by_hex(answer["aircraft"])["4840D6"]
    assert (named["matchedBy"], named["registration"], named["search"]) == ("callsign", "PH-BXA", "flight:KL1023")
    # The feed has no position for it: the message's is shown.
    assert (named["lat"], named["lon"]) == (52.3, 4.7) and named["positionSecondsAgo"] is not None, named
    query = origin + "api/search?" + urllib.parse.urlencode({"q": named["search"]})
    found = wait_for("the search's messages", lambda: (lambda a: a[1] if a[1] and len(a[1]["hits"]) == 2 else None)(
        get(query)))
    assert {hit["flight"] for hit in found["hits"]} == {FLIGHT}, found
    return origin


def check_map_in_browser(origin):
    """The page's map draws dump1090's own aircraft: the positioned one and the one placed by its message."""
    driver = browser()
    try:
        driver.get(origin + "#token=" + TOKEN)
        wait_for("the page with its token", lambda: hook(driver, "window.corvane && window.corvane.adsb"))
        driver.get(origin + "#map")
        drawn = wait_for("dump1090's aircraft drawn", lambda: (lambda a: a if a and "40621D" in a and "4840D6" in a
                                                                else None)(hook(driver, "window.corvane.adsb.aircraft")))
        draws = hook(driver, "window.corvane.adsb.draws")
        wait_for("the aircraft drawn again", lambda: hook(driver, "window.corvane.adsb.draws") > draws + 1)
        drawn = hook(driver, "window.corvane.adsb.aircraft")
        assert "485020" not in drawn, drawn  # dump1090 knows its speed and track, not where it is
        positioned, named = drawn["40621D"], drawn["4840D6"]
        assert (round(positioned["lat"], 4), round(positioned["lon"], 4)) == (52.2572, 3.9194), positioned
        assert (named["lat"], named["lon"]) == (52.3, 4.7) and named["marked"], named
        assert not positioned["marked"] and named["label"][0] == "KLM1023", (positioned, named)
        assert named["query"] == "flight:KL1023", named
        for plane in (positioned, named):
            assert driver.execute_script(DRAWN_PIXELS, plane["x"], plane["y"]) > 10, "nothing drawn at %s" % plane
        # the Earth's order on the screen: the message's position is north-east of the decoder's
        assert named["x"] > positioned["x"] and named["y"] < positioned["y"], (positioned, named)
    finally:
        driver.quit()


def main():
    processes, stopping = [], threading.Event()
    with tempfile.TemporaryDirectory() as work:
        try:
            origin = run(sys.argv[1], sys.argv[2], work, processes, stopping)
            check_map_in_browser(origin)
        finally:
            stopping.set()
            for process in reversed(processes):
                process.terminate()
                process.wait(10)
            if os.path.exists(os.path.join(work, "corvaned.err")):
                sys.stderr.write(open(os.path.join(work, "corvaned.err")).read()[-2000:])
    print("adsb feed test passed")


if __name__ == "__main__":
    main()
