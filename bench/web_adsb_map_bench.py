#!/usr/bin/python3
"""The map's ADS-B aircraft in headless Chromium against the real corvaned:
an aircraft.json of AIRCRAFT aircraft flying straight within about 250 NM of
the receiver is written again every second (as dump1090 does) and read by
corvaned --adsb; the card server stand-in sends one ACARS message for each
of the first 50 flights, so those are drawn marked. With the Map tab open,
the browser's own clock times every frame for SECONDS seconds (one
requestAnimationFrame to the next), and the page's hook gives the time each
drawing of the aircraft took.

  web_adsb_map_bench.py BUILD_DIR [AIRCRAFT] [SECONDS]   (defaults 1000, 30)
"""
import json
import math
import os
import random
import statistics
import subprocess
import sys
import tempfile
import threading
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from browser_support import headless_chromium  # noqa: E402
from process_support import free_port  # noqa: E402


TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STATION = (51.47, -0.45)
MARKED = 50


def fleet(count):
    """Each aircraft's start, track, speed and altitude."""
    draw = random.Random(7)
    planes = []
    for i in range(count):
        distance = 250 * math.sqrt(draw.random()) / 60  # degrees of latitude, spread evenly over the disc
        bearing = draw.uniform(0, 2 * math.pi)
        planes.append({"hex": "%06X" % (0x400000 + i), "callsign": "BAW%d" % (i + 1) if i < MARKED else "TST%d" % i,
                       "lat": STATION[0] + distance * math.cos(bearing),
                       "lon": STATION[1] + distance * math.sin(bearing) / math.cos(math.radians(STATION[0])),
                       "track": draw.uniform(0, 360), "gs": draw.uniform(140, 480),
                       "alt": draw.choice([2500, 9000, 18000, 24000, 33000, 38000, None])})
    return planes


def aircraft_json(planes, elapsed):
    """The fleet after `elapsed` seconds of straight flight, as aircraft.json."""
    now = time.time()
    out = []
    for p in planes:
        miles = p["gs"] * elapsed / 3600
        lat = p["lat"] + miles / 60 * math.cos(math.radians(p["track"]))
        lon = p["lon"] + miles / 60 * math.sin(math.radians(p["track"])) / math.cos(math.radians(lat))
        entry = {"hex": p["hex"], "flight": p["callsign"].ljust(8), "lat": round(lat, 5), "lon": round(lon, 5),
                 "track": round(p["track"], 1), "gs": round(p["gs"]), "seen": 0.3, "seen_pos": 0.6}
        if p["alt"] is not None:
            entry["alt_baro"] = p["alt"]
        out.append(entry)
    return json.dumps({"now": now, "messages": 1, "aircraft": out})


def keep_writing(path, planes, stop):
    start = time.time()
    while not stop.is_set():
        partial = path + ".new"
        with open(partial, "w") as out:
            out.write(aircraft_json(planes, time.time() - start))
        os.replace(partial, path)  # whole, as dump1090 writes it
        stop.wait(1)


def messages(planes, work):
    capture = os.path.join(work, "capture.jsonl")
    with open(capture, "w") as out:
        for i, p in enumerate(planes[:MARKED]):
            flight = "BAW%03d" % (i + 1)  # as ACARS writes it, flown as the callsign BAW<n>
            text = "M=2  ADDR=.G-B%03d TA=! ML=H1 B=1 MSN=M01A FID=%s\r\n- #DFB ETA 1130" % (i, flight)
            out.write(json.dumps({"utc": "2026-12-07T09:00:%02d.000Z" % (i % 60), "txt": text}) + "\n")
    return capture


def receiver(build, work, card_port, http_port, feed):
    config = os.path.join(work, "Nordquill Software")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "Corvane.conf"), "w") as conf:
        conf.write("[General]\nHostName=127.0.0.1:%d\nCardType=1\nCardNumber=1\n" % card_port)
    env = dict(os.environ, XDG_CONFIG_HOME=work, XDG_STATE_HOME=work, CORVANE_WEB_DIR=os.path.join(TOP, "web"))
    return subprocess.Popen([os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet", "--retry",
                             "1", "--http", "127.0.0.1:%d" % http_port, "--adsb", feed, "--station-position",
                             "%s,%s" % STATION], cwd=work, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def browser():
    return headless_chromium(window="1280,900", extra=("--disable-gpu",))


# Every frame's time (one animation frame to the next) and every drawing's
# time over the given seconds.
FRAMES_SCRIPT = """
const done = arguments[arguments.length - 1];
const end = performance.now() + arguments[0] * 1000;
const frames = [], draws = [];
let last = null, draw = window.corvane.adsb.draws;
function frame(now) {
  if (last !== null) frames.push(now - last);
  last = now;
  const adsb = window.corvane.adsb;
  if (adsb.draws !== draw) { draws.push(adsb.drawMs); draw = adsb.draws; }
  if (now < end) requestAnimationFrame(frame);
  else done({frames: frames, draws: draws, drawn: Object.keys(adsb.aircraft).length,
             marked: Object.values(adsb.aircraft).filter(a => a.marked).length,
             labelled: Object.values(adsb.aircraft).filter(a => a.labelled).length});
}
requestAnimationFrame(frame);
"""


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * share))]


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0 if len(sys.argv) > 1 else 2
    build = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 30
    planes = fleet(count)
    stop = threading.Event()
    with tempfile.TemporaryDirectory() as work:
        feed = os.path.join(work, "aircraft.json")
        with open(feed, "w") as out:
            out.write(aircraft_json(planes, 0))
        writer = threading.Thread(target=keep_writing, args=(feed, planes, stop))
        writer.start()
        card_port, http_port = free_port(), free_port()
        station = receiver(build, work, card_port, http_port, feed)
        server = subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port",
                                   str(card_port), "--capture", messages(planes, work), "--speed", "100"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        origin = "http://127.0.0.1:%d/" % http_port
        driver = None
        try:
            time.sleep(3)
            driver = browser()
            driver.set_script_timeout(seconds + 60)
            driver.get(origin + "#map")
            driver.execute_async_script("""
const done = arguments[arguments.length - 1];
(function poll() {
  const adsb = window.corvane.adsb;
  if (adsb.count >= %d && Object.values(adsb.aircraft).filter(a => a.marked).length >= %d) done();
  else setTimeout(poll, 100);
})();""" % (count, MARKED))
            time.sleep(2)  # the first fit of the map done
            result = driver.execute_async_script(FRAMES_SCRIPT, seconds)
        finally:
            if driver:
                driver.quit()
            stop.set()
            writer.join()
            station.terminate()
            server.terminate()
            station.wait(30)
            server.wait(10)
    frames, draws = result["frames"], result["draws"]
    print("%d ADS-B aircraft (%d drawn, %d marked, %d labelled), new positions every second, %.0f s:"
          % (count, result["drawn"], result["marked"], result["labelled"], seconds))
    print("  frame time: %d frames, median %.1f ms, p99 %.1f ms, max %.1f ms"
          % (len(frames), statistics.median(frames), percentile(frames, 0.99), max(frames)))
    print("  drawing the aircraft: %d times, median %.1f ms, p99 %.1f ms, max %.1f ms"
          % (len(draws), statistics.median(draws), percentile(draws, 0.99), max(draws)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
