#!/usr/bin/python3
"""The web page in headless Chromium against the real corvaned: a store is
filled with the real capture replayed over and over (MESSAGES of them, all
of today), then the page is opened while the card server goes on sending,
and the browser's own clock times (from the start of the navigation):

  - the first live message shown on the Live tab, over RUNS openings;
  - the Map tab opened directly: the positions of the day fetched and drawn;
  - the Map tab chosen once the page is open: the positions drawn.

  web_page_bench.py BUILD_DIR CAPTURE [MESSAGES] [RUNS]   (defaults 25000, 5)
"""
import os
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from browser_support import headless_chromium  # noqa: E402
from process_support import free_port  # noqa: E402


TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def stored(work):
    try:
        with sqlite3.connect("file:%s?mode=ro" % os.path.join(work, "Corvane.db"), uri=True, timeout=1) as db:
            return db.execute("SELECT COUNT(*) FROM Planes").fetchone()[0]
    except sqlite3.Error:
        return 0


def card_server(build, capture, port, *pace):
    return subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port", str(port),
                             "--capture", capture, "--loop", *pace], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def receiver(build, work, port, *extra):
    config = os.path.join(work, "Nordquill Software")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "Corvane.conf"), "w") as conf:
        conf.write("[General]\nHostName=127.0.0.1:%d\nCardType=1\nCardNumber=1\n" % port)
    env = dict(os.environ, XDG_CONFIG_HOME=work, XDG_STATE_HOME=work, CORVANE_WEB_DIR=os.path.join(TOP, "web"))
    return subprocess.Popen([os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet", *extra],
                            cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fill(build, capture, work, messages):
    port = free_port()
    server = card_server(build, capture, port, "--speed", "5000")  # about 700 messages a second
    filling = receiver(build, work, port)
    while stored(work) < messages:
        time.sleep(0.2)
    filling.terminate()
    filling.wait(30)
    server.terminate()
    server.wait(10)
    return stored(work)


def browser():
    return headless_chromium(window="1280,900", extra=("--disable-gpu",))


# Milliseconds from the navigation's start until check() holds, read off the
# page's own clock at the first animation frame after it does.
WAIT_SCRIPT = """
const done = arguments[arguments.length - 1];
(function poll() {
  if (%s) requestAnimationFrame(() => done(performance.now()));
  else setTimeout(poll, 2);
})();
"""


def time_until(driver, url, check):
    driver.get("about:blank")
    driver.get(url)
    return driver.execute_async_script(WAIT_SCRIPT % check)


def switch_to_map(driver, origin):
    driver.get("about:blank")
    driver.get(origin + "#live")
    driver.execute_async_script(WAIT_SCRIPT % "window.corvane.ready.live && "
                                "Object.keys(window.corvane.aircraft).length > 0")
    time.sleep(1)  # the coastlines in the browser's cache, as after any first visit
    return driver.execute_async_script("""
const done = arguments[arguments.length - 1];
const start = performance.now();
location.hash = '#map';
(function poll() {
  if (window.corvane.ready.map) requestAnimationFrame(() => done(performance.now() - start));
  else setTimeout(poll, 2);
})();
""")


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    build, capture = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    messages = int(sys.argv[3]) if len(sys.argv) > 3 else 25000
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    with tempfile.TemporaryDirectory() as work:
        count = fill(build, capture, work, messages)
        port, http = free_port(), free_port()
        server = card_server(build, capture, port, "--speed", "150")  # about 20 messages a second
        station = receiver(build, work, port, "--http", "127.0.0.1:%d" % http)
        origin = "http://127.0.0.1:%d/" % http
        time.sleep(2)
        driver = browser()
        driver.set_script_timeout(30)
        try:
            live = [time_until(driver, origin + "#live", "window.corvane.messages.length > 0") for _ in range(runs)]
            maps = [time_until(driver, origin + "#map", "window.corvane.ready.map && "
                               "Object.values(window.corvane.aircraft).reduce((n, a) => n + a.track.length, 0) > 0")
                    for _ in range(runs)]
            switched = [switch_to_map(driver, origin) for _ in range(runs)]
            positions = driver.execute_script(
                "return Object.values(window.corvane.aircraft).reduce((n, a) => n + a.track.length, 0)")
            aircraft = driver.execute_script("return Object.keys(window.corvane.aircraft).length")
        finally:
            driver.quit()
            station.terminate()
            server.terminate()
            station.wait(30)
            server.wait(10)
    print("store of %d messages; first live message shown %.0f ms after opening (median of %d, max %.0f ms)"
          % (count, statistics.median(live), runs, max(live)))
    print("map opened directly: %d positions of %d aircraft fetched and drawn %.0f ms after opening "
          "(median of %d, max %.0f ms)" % (positions, aircraft, statistics.median(maps), runs, max(maps)))
    print("map chosen once the page is open: drawn %.0f ms after the click (median of %d, max %.0f ms)"
          % (statistics.median(switched), runs, max(switched)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
