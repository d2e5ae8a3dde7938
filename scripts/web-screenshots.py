#!/usr/bin/python3
"""Makes the README's pictures of the web page: the card server stand-in
replays a capture fast into corvaned serving its page, and headless Chromium
photographs each view once the traffic is in.

  scripts/web-screenshots.py CAPTURE [OUT_DIR]   (default OUT_DIR: docs/)

Needs a build in build/ (scripts/setup.sh) and Debian's chromium,
chromium-driver and python3-selenium.
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("CORVANE_BUILD_DIR", os.path.join(TOP, "build"))


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0 if len(sys.argv) > 1 else 2
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
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--window-size=1280,860", "--hide-scrollbars"):
            options.add_argument(argument)
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
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
    return 0


if __name__ == "__main__":
    sys.exit(main())
