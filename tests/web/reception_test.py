#!/usr/bin/python3
"""What the decoders know travels with each message, end to end: the
acarsdec and JAERO samples of tests/data/reception and the published
dumpvdl2 and dumphfdl lines quoted verbatim in the shared capture's notes
(CAPTURES_DIR/source/NOTES.md) go as UDP datagrams to the real card
server, which hands them to the real corvaned with their reception facts. Checked: LiveJSON (read over the live link with
corvane-link), the store's MessageReception rows, corvane-search's counts of
freq:, link: and level: terms, and /api/stats' byFrequency and byLink.

  reception_test.py BUILD_DIR WEB_DIR DATA_DIR CAPTURES_DIR
"""
import json
import os
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from process_support import free_port, wait_for  # noqa: E402

TOKEN = "reception-test-token"
DIRECT = urllib.request.build_opener(urllib.request.ProxyHandler({}))

# What each sample must arrive with: (frequency in MHz, level, unit, link,
# decoder station, decoder); None where the sample says nothing.
EXPECTED = {
    "acarsdec": (130.025, -22, "dB", "acars", "sigint", None),
    "dumpvdl2": (136.975, -4.74145, "dBFS", "vdl2", "CS-KABQ-VDLM", "dumpvdl2"),
    "dumphfdl": (8.942, -13.255735, "dBFS", "hfdl", "CS-KABQ-HFDL", "dumphfdl"),
    "jaero": (None, None, None, "satcom", "XX-XXXX-AERO-XXX", "JAERO"),
}


def get(url):
    request = urllib.request.Request(url, headers={"Authorization": "Bearer " + TOKEN})
    try:
        with DIRECT.open(request, timeout=5) as answer:
            return answer.status, answer.read().decode("utf-8")
    except urllib.error.HTTPError as error:
        return error.code, ""
    except urllib.error.URLError:
        return 0, ""


# The shared capture's notes quote one published line of each of these
# decoders' JSON output, each on a line of its own.
PUBLISHED = {"dumpvdl2": '{"vdl2":', "dumphfdl": '{"hfdl":'}


def published_line(name, captures):
    """The verbatim published line of a decoder; the test fails without it."""
    notes_path = os.path.join(captures, "source", "NOTES.md")
    with open(notes_path) as notes:
        lines = [line for line in notes if line.startswith(PUBLISHED[name])]
    assert len(lines) == 1, "one published %s line in %s" % (name, notes_path)
    return lines[0]


def sample_now(name, data, captures):
    """The sample with its time set to now (the rest as published)."""
    if name in PUBLISHED:
        message = json.loads(published_line(name, captures))
    else:
        with open(os.path.join(data, name + ".json")) as sample:
            message = json.loads(sample.read())
    now = time.time()
    if "timestamp" in message:
        message["timestamp"] = now
    for holder in (message.get("vdl2"), message.get("hfdl"), message):
        if isinstance(holder, dict) and isinstance(holder.get("t"), dict):
            holder["t"] = {"sec": int(now), "usec": 0}
            break
    return json.dumps(message).encode("utf-8")


def start(build, web, work, link_name):
    card_port, http_port = free_port(), free_port()
    with open(os.path.join(work, "token"), "w") as out:
        out.write(TOKEN + "\n")
    os.chmod(os.path.join(work, "token"), 0o600)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=os.path.join(work, "state"),
               CORVANE_WEB_DIR=web)
    receiver = subprocess.Popen([os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet",
                                 "--retry", "1", "--host", "127.0.0.1:%d" % card_port, "--card-type", "1",
                                 "--card-number", "1", "--link-name", link_name,
                                 "--http", "127.0.0.1:%d" % http_port, "--http-token-file",
                                 os.path.join(work, "token")], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=open(os.path.join(work, "corvaned.err"), "w"))
    return receiver, card_port, "http://127.0.0.1:%d/" % http_port


def follow_live_json(build, link_name, count, work):
    """corvane-link advising LiveJSON, started once the link is up."""
    out_path = os.path.join(work, "live.jsonl")

    def started():
        link = subprocess.Popen([os.path.join(build, "tools/link/corvane-link"), "--server", link_name, "--count",
                                 str(count), "advise", "LiveJSON"], stdout=open(out_path, "w"),
                                stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        if link.poll() is None:
            return link
        return None

    return wait_for("the live link", started), out_path


def check_live_json(out_path, names):
    lines = wait_for("every LiveJSON object", lambda: (lambda text: text.count("\n") >= len(names) and text)(
        open(out_path).read()))
    objects = [json.loads(line) for line in lines.splitlines() if line.strip()]
    assert len(objects) == len(names), objects
    for name, live in zip(names, objects):
        freq, level, unit, link, station, decoder = EXPECTED[name]
        assert live.get("freq") == freq, (name, live)
        assert live.get("level") == level, (name, live)
        assert live.get("level_unit") == unit, (name, live)
        assert live["link"] == link and live["decoder_station"] == station, (name, live)
        assert live.get("decoder") == decoder, (name, live)
    jaero = objects[names.index("jaero")]
    assert jaero["aes"] == "ABCDEF" and jaero["satellite"] == "C1", jaero
    assert objects[names.index("dumpvdl2")]["noise"] == -41.072136


def check_store(work, count):
    path = os.path.join(work, "Corvane.db")

    def rows():
        try:
            with sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=2) as db:
                found = db.execute("SELECT FreqHz, Level, Link, Facts FROM MessageReception ORDER BY Id").fetchall()
                planes = db.execute("SELECT count(*) FROM Planes").fetchone()[0]
                return found if len(found) == count and planes == count else None
        except sqlite3.Error:
            return None

    stored = wait_for("the stored reception facts", rows)
    assert [row[0] for row in stored] == [130025000, 136975000, 8942000, None], stored
    assert [row[2] for row in stored] == ["acars", "vdl2", "hfdl", "satcom"], stored
    assert "decoder_station=sigint" in stored[0][3].split("\n"), stored[0]
    assert "aes=ABCDEF" in stored[3][3].split("\n"), stored[3]


def search_count(build, work, query):
    answer = subprocess.run([os.path.join(build, "tools/corvane-search"), "--database", "1", "--store",
                             os.path.join(work, "Corvane.db"), "--count", "--", query], capture_output=True, text=True,
                            timeout=30)
    assert answer.returncode == 0, (query, answer.stderr)
    return int(answer.stdout.strip())


def check_search(build, work):
    counts = {"freq:130.025": 1, "freq:130.02500": 1, "freq:136.975": 1, "freq:8.942": 1, "link:vdl2": 1,
              "link:satcom": 1, "level:-25..-5": 2, "level:>-20": 2, "level:<=-22": 1, "level:-13.3..-13.2": 1,
              "label:H1 -link:acars": 2, "label:SA link:hfdl": 1}
    found = {query: search_count(build, work, query) for query in counts}
    assert found == counts, found


def check_stats(origin):
    status, body = get(origin + "api/stats?period=today")
    assert status == 200, status
    stats = json.loads(body)
    by_frequency = {entry["key"]: entry["count"] for entry in stats["byFrequency"]}
    by_link = {entry["key"]: entry["count"] for entry in stats["byLink"]}
    assert by_frequency == {"130.025": 1, "136.975": 1, "8.942": 1}, by_frequency
    assert by_link == {"acars": 1, "vdl2": 1, "hfdl": 1, "satcom": 1}, by_link


def main():
    build, web, data, captures = sys.argv[1:5]
    names = ["acarsdec", "dumpvdl2", "dumphfdl", "jaero"]
    link_name = "corvane-reception-test-%d" % os.getpid()
    with tempfile.TemporaryDirectory() as work:
        receiver, card_port, origin = start(build, web, work, link_name)
        udp_port = free_port(socket.SOCK_DGRAM)
        server = link = None
        try:
            wait_for("the page's server", lambda: get(origin + "api/info")[0] == 200)
            link, live_path = follow_live_json(build, link_name, len(names), work)
            server = subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port",
                                       str(card_port), "--udp", str(udp_port)], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
            wait_for("the card link", lambda: get(origin + "api/health")[0] == 200)
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
                for name in names:
                    out.sendto(sample_now(name, data, captures), ("127.0.0.1", udp_port))
                    time.sleep(0.1)
            check_live_json(live_path, names)
            check_store(work, len(names))
            check_search(build, work)
            check_stats(origin)
        finally:
            for process in (link, receiver, server):
                if process and process.poll() is None:
                    process.terminate()
                    process.wait(10)
            with open(os.path.join(work, "corvaned.err")) as err:
                sys.stderr.write(err.read()[-2000:])
    print("reception test passed")


if __name__ == "__main__":
    main()
