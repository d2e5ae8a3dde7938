#!/usr/bin/python3
"""ADS-B aircraft beside the messages, with the real programs: Debian's
dump1090-mutability decodes Mode S frames sent to its raw input port and
writes aircraft.json; corvaned reads that file (--adsb) while the card
server feeds it ACARS messages; /api/adsb must list the aircraft with their
positions, callsigns and the messages matched to them, and the search it
names must find those messages in the store.

The frames are the worked examples of "The 1090 Megahertz Riddle" (Junzi
Sun, TU Delft, 2021): aircraft 40621D's even and odd airborne positions
(52.2572 N, 3.9194 E at 38000 ft), 4840D6's identification (KLM1023), and
485020's airborne velocity (159 kt, track 182.88).

  adsb_feed_test.py BUILD_DIR WEB_DIR
"""
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

TOKEN = "adsb-feed-test-token"
POSITION_ODD = "8D40621D58C386435CC412692AD6"
POSITION_EVEN = "8D40621D58C382D690C8AC2863A7"
IDENTIFICATION = "8D4840D6202CC371C32CE0576098"
VELOCITY = "8D485020994409940838175B284F"
# KLM's IATA designator: the messages' flight KL1023 is flown as KLM1023.
FLIGHT = "KL1023"
TAIL = ".PH-BXA"


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for(what, check, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


DIRECT = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def get(url, token=TOKEN):
    """(status, parsed body) of a GET; status 0 while nothing listens."""
    request = urllib.request.Request(url, headers={"Authorization": "Bearer " + token} if token else {})
    try:
        with DIRECT.open(request, timeout=5) as answer:
            return answer.status, json.loads(answer.read().decode("utf-8"))
    except urllib.error.HTTPError as error:
        return error.code, None
    except urllib.error.URLError:
        return 0, None


class Transponders(threading.Thread):
    """Sends the frames to the decoder's raw input every two seconds, as
    aircraft keep transmitting, so that none of them grows old."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.stopping = threading.Event()

    def run(self):
        connection = None
        while not self.stopping.is_set():
            try:
                connection = connection or socket.create_connection(("127.0.0.1", self.port), timeout=2)
                # Odd first: the even one, the later of the pair, fixes the
                # latitude the book works out.
                for frame in (POSITION_ODD, POSITION_EVEN, IDENTIFICATION, VELOCITY):
                    connection.sendall(("*%s;\n" % frame).encode("ascii"))
                    time.sleep(0.05)
            except OSError:
                connection = None
            self.stopping.wait(2)
        if connection:
            connection.close()


def aircraft_by_hex(listed):
    return {entry["hex"].upper(): entry for entry in listed}


def check_decoder_file(path):
    """dump1090 itself shows the three aircraft."""
    def read():
        try:
            with open(path) as json_file:
                listed = aircraft_by_hex(json.load(json_file)["aircraft"])
        except (OSError, ValueError):
            return None
        wanted = {"40621D": "lat", "4840D6": "flight", "485020": "speed"}
        return listed if all(key in listed.get(hex, {}) for hex, key in wanted.items()) else None

    listed = wait_for("dump1090's aircraft.json", read)
    assert abs(listed["40621D"]["lat"] - 52.2572) < 0.001 and abs(listed["40621D"]["lon"] - 3.9194) < 0.001, listed
    assert listed["40621D"]["altitude"] == 38000, listed
    assert listed["4840D6"]["flight"].strip() == "KLM1023", listed
    assert listed["485020"]["speed"] == 159 and abs(listed["485020"]["track"] - 182.88) < 2, listed


def acarsdec(number, label, text):
    return json.dumps({"timestamp": time.time(), "mode": "2", "label": label, "block_id": str(number),
                       "ack": False, "tail": TAIL, "flight": FLIGHT, "msgno": "M%02dA" % number,
                       "text": text}).encode("utf-8")


def check_answer_before_messages(origin, source):
    wait_for("the page's server", lambda: get(origin + "api/info")[0] == 200)
    assert get(origin + "api/adsb", token=None)[0] == 401
    status, answer = wait_for("the aircraft on /api/adsb", lambda: (lambda a: a if a[1] and len(
        a[1]["aircraft"]) == 3 else None)(get(origin + "api/adsb")))
    assert status == 200 and answer["enabled"] is True and answer["source"] == source, answer
    assert answer["station"] == {"lat": 52.0, "lon": 4.5}, answer
    listed = aircraft_by_hex(answer["aircraft"])
    position = listed["40621D"]
    assert abs(position["lat"] - 52.2572) < 0.001 and abs(position["lon"] - 3.9194) < 0.001, position
    assert position["altitudeFt"] == 38000 and position["positionSecondsAgo"] is not None, position
    assert position["callsign"] is None and position["messagesToday"] == 0 and position["matchedBy"] is None
    velocity = listed["485020"]
    assert velocity["groundSpeedKt"] == 159 and abs(velocity["track"] - 182.88) < 2, velocity
    assert velocity["lat"] is None and velocity["positionSecondsAgo"] is None, velocity
    named = listed["4840D6"]
    assert named["callsign"] == "KLM1023" and named["messagesToday"] == 0 and named["search"] is None, named
    for entry in answer["aircraft"]:
        assert 0 <= entry["seenSecondsAgo"] < 60, entry


def check_matched(origin):
    """Two messages of KL1023, the first with a position, go to KLM1023."""
    def matched():
        status, answer = get(origin + "api/adsb")
        named = aircraft_by_hex(answer["aircraft"]).get("4840D6") if status == 200 else None
        return named if named and named["messagesToday"] == 2 else None

    named = wait_for("the messages matched", matched)
    assert named["matchedBy"] == "callsign" and named["registration"] == "PH-BXA", named
    assert named["search"] == "flight:" + FLIGHT, named
    # The feed has no position for it; the message's is shown.
    assert named["lat"] == 52.3 and named["lon"] == 4.7 and named["positionSecondsAgo"] is not None, named
    query = urllib.parse.urlencode({"q": named["search"]})
    status, found = wait_for("the search's messages", lambda: (lambda a: a if a[1] and len(
        a[1]["hits"]) == 2 else None)(get(origin + "api/search?" + query)))
    assert {hit["flight"] for hit in found["hits"]} == {FLIGHT}, found


def main():
    build, web = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        json_dir = os.path.join(work, "dump1090")
        os.mkdir(json_dir)
        raw_port, card_port, http_port = free_port(), free_port(), free_port()
        udp_port = free_port(socket.SOCK_DGRAM)
        with open(os.path.join(work, "token"), "w") as out:
            out.write(TOKEN + "\n")
        os.chmod(os.path.join(work, "token"), 0o600)
        processes = []
        transponders = Transponders(raw_port)
        try:
            # Its other ports off (0), so that it takes none another test uses.
            processes.append(subprocess.Popen(
                ["dump1090-mutability", "--net-only", "--net-bind-address", "127.0.0.1", "--net-ri-port",
                 str(raw_port), "--net-ro-port", "0", "--net-sbs-port", "0", "--net-bi-port", "0", "--net-bo-port",
                 "0", "--write-json", json_dir, "--quiet"], stdout=subprocess.DEVNULL,
                stderr=open(os.path.join(work, "dump1090.err"), "w")))
            transponders.start()
            source = os.path.join(json_dir, "aircraft.json")
            check_decoder_file(source)

            env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                       XDG_STATE_HOME=os.path.join(work, "state"), CORVANE_WEB_DIR=web)
            processes.append(subprocess.Popen(
                [os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet", "--retry", "1",
                 "--host", "127.0.0.1:%d" % card_port, "--card-type", "1", "--card-number", "1", "--http",
                 "127.0.0.1:%d" % http_port, "--http-token-file", os.path.join(work, "token"), "--adsb", source,
                 "--station-position", "52.0,4.5"], cwd=work, env=env, stdout=subprocess.DEVNULL,
                stderr=open(os.path.join(work, "corvaned.err"), "w")))
            origin = "http://127.0.0.1:%d/" % http_port
            check_answer_before_messages(origin, source)

            processes.append(subprocess.Popen(
                [os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port", str(card_port), "--udp",
                 str(udp_port)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            wait_for("the card link", lambda: get(origin + "api/health")[0] == 200)
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
                out.sendto(acarsdec(1, "1P", "101500,N 52.300,E  4.700,35000"), ("127.0.0.1", udp_port))
                time.sleep(0.05)
                out.sendto(acarsdec(2, "H1", "ADSB FEED TEST"), ("127.0.0.1", udp_port))
            check_matched(origin)
        finally:
            transponders.stopping.set()
            for process in reversed(processes):
                process.terminate()
                process.wait(10)
            for name in ("dump1090.err", "corvaned.err"):
                if os.path.exists(os.path.join(work, name)):
                    with open(os.path.join(work, name)) as err:
                        sys.stderr.write(err.read()[-2000:])
    print("adsb feed test passed")


if __name__ == "__main__":
    main()
