#!/usr/bin/python3
"""The web page in a real browser: the card server stand-in sends a few
messages (one position report, hostile texts) to the real corvaned serving
its page, and headless Chromium, driven through WebDriver, checks that the
live page shows them, a search finds them, the map puts the aircraft where
the report says, the label chart counts them, and the hostile texts run
nothing (no dialog, no changed title, no new element, no request to any
other address).

  page_test.py BUILD_DIR WEB_DIR
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import time

from selenium.common.exceptions import NoAlertPresentException
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from browser_support import headless_chromium  # noqa: E402
from process_support import free_port, wait_for  # noqa: E402

TAIL = ".T-WEBA"
FLIGHT = "TW0001"
POSITION_TEXT = "#M2BPOSN48265E001319,NAPSI,091010,360,DOMUX,091045,KOVAN,M48,27015,294"
HOSTILE_TEXTS = [
    "<img src=x onerror=\"document.title='pwned';alert(1)\">",
    "<script>alert(2)</script><b>BOLD</b>",
    "\"'><svg onload=alert(3)> &amp; &lt;",
    "CTRL \x01\x07\x1b[31m END",
    "<iframe src=\"http://198.51.100.7/\"></iframe>",
    "L" * 10000,
]


def record(address, flight, label, block, text):
    return "M=2  ADDR=%s TA=! ML=%s B=%s MSN=M01A FID=%s\r\n%s" % (address, label, block, flight, text)


def capture_lines():
    lines = [record(TAIL, FLIGHT, "H1", "1", POSITION_TEXT)]
    for i, text in enumerate(HOSTILE_TEXTS):
        lines.append(record(".X-EVIL", "EV0666", "5Z", str(i % 10), text))
    return [json.dumps({"utc": "2026-12-07T09:00:%02d.000Z" % (i + 1), "txt": line}) for i, line in enumerate(lines)]


def start_receiver(build, web, work, card_port, *extra):
    """corvaned with its page, trying the card server (not there yet) every second."""
    config = os.path.join(work, "config", "Nordquill Software")
    os.makedirs(config)
    with open(os.path.join(config, "Corvane.conf"), "w") as out:
        out.write("[General]\nHostName=127.0.0.1:%d\nCardType=1\nCardNumber=1\n" % card_port)
    http_port = free_port()
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=os.path.join(work, "state"),
               CORVANE_WEB_DIR=web)
    receiver = subprocess.Popen([os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet",
                                 "--retry", "1", "--http", "127.0.0.1:%d" % http_port, *extra], cwd=work, env=env,
                                stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "corvaned.err"), "w"))
    return receiver, "http://127.0.0.1:%d/" % http_port


def start_card_server(build, work, card_port):
    capture = os.path.join(work, "capture.jsonl")
    with open(capture, "w") as out:
        out.write("\n".join(capture_lines()) + "\n")
    return subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port", str(card_port),
                             "--capture", capture, "--speed", "100"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def browser():
    return headless_chromium(extra=("--disable-gpu", "--disable-dev-shm-usage"),
                             capabilities={"goog:loggingPrefs": {"performance": "ALL", "browser": "ALL"}})


def hook(driver, expression):
    return driver.execute_script("return " + expression)


def check_page(driver, origin, send):
    driver.get(origin)
    title = driver.title
    wait_for("the live feed", lambda: hook(driver, "window.corvane.ready.live"))
    # Nothing stored yet: the list says it waits.
    wait_for("the empty list", lambda: driver.find_element("id", "live-empty").text == "Waiting for messages...")
    send()
    # Live: the position report and the hostile texts arrive over the live feed.
    live = wait_for("the live messages", lambda: hook(driver, "window.corvane.messages.filter(m => "
                                                              "m.address === '%s').length" % TAIL))
    assert live == 1, live
    wait_for("the hostile messages", lambda: hook(driver, "window.corvane.messages.filter(m => "
                                                          "m.flight === 'EV0666').length") >= 5)
    shown = driver.find_element("tag name", "body").text
    assert "onerror" in shown and "<script>alert(2)</script>" in shown, "hostile texts are not shown as text"

    # Search: the position report is found by its flight.
    driver.get(origin + "#search?q=" + "flight:" + FLIGHT + " label:H1")
    hits = wait_for("the search hits", lambda: hook(driver, "window.corvane.searchHits"))
    assert [hit["address"] for hit in hits] == [TAIL], hits

    # Map: the aircraft where its report put it.
    driver.get(origin + "#map")
    wait_for("the map", lambda: hook(driver, "window.corvane.ready.map"))
    plane = wait_for("the aircraft on the map", lambda: hook(driver, "window.corvane.aircraft['%s']" % TAIL))
    assert abs(plane["lat"] - 48.4417) < 0.001 and abs(plane["lon"] - 1.5317) < 0.001, plane
    # Without an ADS-B source the map is as it always was: nothing of ADS-B drawn or shown.
    wait_for("the ADS-B answer", lambda: hook(driver, "window.corvane.adsb.enabled === false"))
    assert hook(driver, "document.querySelectorAll('.adsb-canvas').length") == 0
    assert not driver.find_element("id", "map-adsb-legend").is_displayed()
    assert not driver.find_element("id", "map-adsb").is_displayed()

    # Statistics: today's label chart counts what was sent.
    driver.get(origin + "#stats")
    wait_for("the charts", lambda: hook(driver, "window.corvane.ready.stats"))
    labels = wait_for("the label chart", lambda: hook(driver, "window.corvane.charts.byLabel"))
    counts = dict(zip(labels["labels"], labels["data"]))
    accepted = hook(driver, "window.corvane.messages.filter(m => m.label === '5Z').length")
    assert counts.get("H1") == 1 and counts.get("5Z") == accepted, (counts, accepted)

    # Nothing ran: no dialog, the same title, no element the texts carried,
    # and no request anywhere but this server.
    try:
        driver.switch_to.alert
        raise AssertionError("a dialog opened")
    except NoAlertPresentException:
        pass
    assert driver.title == title, driver.title
    assert hook(driver, "document.querySelectorAll('img[src=\"x\"], svg[onload], iframe, b').length") == 0
    requests = [json.loads(entry["message"])["message"] for entry in driver.get_log("performance")]
    addresses = [r["params"]["request"]["url"] for r in requests if r["method"] == "Network.requestWillBeSent"]
    outside = [a for a in addresses if not a.startswith(origin) and not a.startswith("data:")]
    assert not outside, outside

    # The page opened again: the Live list starts with the stored messages,
    # each once, before any new one comes.
    driver.get(origin + "#live")
    driver.refresh()
    wait_for("the live feed again", lambda: hook(driver, "window.corvane.ready.live"))
    listed = wait_for("the stored messages", lambda: hook(driver, "window.corvane.messages.map(m => m.address)"))
    assert listed.count(TAIL) == 1 and len(listed) == 1 + accepted, listed
    assert not driver.find_element("id", "live-empty").is_displayed()


def main():
    build, web = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        card_port = free_port()
        receiver, origin = start_receiver(build, web, work, card_port)
        server = None
        driver = None

        def send():
            nonlocal server
            server = start_card_server(build, work, card_port)

        try:
            wait_for("the page's server", lambda: subprocess.run(["curl", "-sf", origin + "api/info"],
                                                                   capture_output=True).returncode == 0)
            driver = browser()
            check_page(driver, origin, send)
        finally:
            if driver:
                driver.quit()
            for process in (receiver, server):
                if process:
                    process.terminate()
                    process.wait(10)
            with open(os.path.join(work, "corvaned.err")) as err:
                sys.stderr.write(err.read()[-2000:])
    print("page test passed")


if __name__ == "__main__":
    main()
