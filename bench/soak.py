#!/usr/bin/env python3
"""The soak benchmark: a station left running with retention on, for many
days lived through in a short run.

The real corvane-cardserver replays the demo capture in a loop at about 100
records a second into the real corvaned (SQLite store, --keep-days 7, the web
page on a loopback port), whose clock runs --clock-speed times as fast as the
real one, so that one simulated day passes in --day-seconds of real time.
Meanwhile the bench

  - runs a few typical searches with corvane-search every --search-every
    seconds and times them (process start included);
  - follows the web page's live feed (the WebSocket at /api/live) and keeps
    the longest gap between two messages;
  - reads /metrics every second: the writer's pending count (its largest
    value is the message path's view of a pause) and, when the station has
    it, corvane_store_prune_longest_seconds;
  - at the end of every simulated day notes the store's size (Corvane.db and
    its -wal), its message count, and corvaned's resident memory.

It prints one table row a simulated day and a summary, and writes every
sample to soak.json in the work folder. Goal: after the kept days the store's
size and count level off, and the memory stays flat.
"""

import argparse
import base64
import datetime
import json
import os
import re
import shutil
import signal
import socket
import sqlite3
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = "soak.py"

# corvane-search queries a listener would type: a word, a phrase, a flight,
# a label with positions; and a count of a common word.
QUERIES = [
    ["FUEL"],
    ['"PERF REPORT"'],
    ["flight:TK1587"],
    ["label:H1", "has:position"],
    ["--count", "ETA"],
]


def fail(message):
    print(f"{PROGRAM}: {message}", file=sys.stderr)
    sys.exit(1)


def parse_arguments():
    parser = argparse.ArgumentParser(
        prog=PROGRAM,
        description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter,
    )
    parser.add_argument("--days", type=int, default=30, help="simulated days to run (default 30)")
    parser.add_argument("--day-seconds", type=float, default=60, help="real seconds a simulated day lasts (default 60)")
    parser.add_argument("--rate", type=float, default=100, help="records a second the card server sends (default 100)")
    parser.add_argument("--keep-days", type=int, default=7, help="corvaned's --keep-days (default 7)")
    parser.add_argument("--search-every", type=float, default=10, help="seconds between rounds of searches (default 10)")
    parser.add_argument("--capture", default=os.path.join(TOP, "data", "demo-capture.jsonl"),
                        help="capture the card server replays (default data/demo-capture.jsonl)")
    parser.add_argument("--build-dir", default=os.environ.get("CORVANE_BENCH_DIR", os.path.join(TOP, "build-bench")),
                        help="Release build folder, as bench/run.sh uses (default $CORVANE_BENCH_DIR or build-bench)")
    parser.add_argument("--no-build", action="store_true", help="use the programs already built in the build folder")
    parser.add_argument("--work-dir", help="folder for the store and the logs (default: a new temporary one, removed "
                        "at the end unless --keep-work)")
    parser.add_argument("--keep-work", action="store_true", help="keep the temporary work folder")
    arguments = parser.parse_args()
    if arguments.days < 1 or arguments.day_seconds <= 0 or arguments.rate <= 0 or arguments.search_every <= 0:
        parser.error("--days, --day-seconds, --rate and --search-every must be above 0")
    if arguments.keep_days < 1:
        parser.error("--keep-days must be 1 or more")
    if not os.path.isfile(arguments.capture):
        parser.error(f"no capture file {arguments.capture}")
    return arguments


def build(build_dir):
    """Configures and builds the three programs as bench/run.sh does (Release)."""
    configure = ["cmake", "-S", TOP, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                 "-DCORVANE_BUILD_TESTS=OFF"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    for command in (configure, ["cmake", "--build", build_dir, "--parallel", "2", "--target", "corvaned",
                                "corvane-cardserver", "corvane-search"]):
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            fail(f"the build failed ({' '.join(command)}):\n{done.stderr[-3000:]}")


def replay_speed(capture, rate):
    """The card server's --speed at which its looped replay sends rate records
    a second: it waits out each gap of the capture (at most 10 s) and 1 s
    between the loops, all divided by the speed."""
    times = []
    with open(capture, encoding="utf-8") as lines:
        for line in lines:
            if line.strip():
                stamp = json.loads(line)["utc"].replace("Z", "+00:00")
                times.append(datetime.datetime.fromisoformat(stamp).timestamp())
    if len(times) < 2:
        fail(f"{capture} holds fewer than two records")
    loop_seconds = sum(min(max(b - a, 0), 10.0) for a, b in zip(times, times[1:])) + 1.0
    return loop_seconds * rate / len(times), len(times)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def resident_kib(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return None


def store_bytes(work):
    total = 0
    for name in ("Corvane.db", "Corvane.db-wal"):
        path = os.path.join(work, name)
        if os.path.exists(path):
            total += os.path.getsize(path)
    return total


def stored_messages(work):
    path = os.path.join(work, "Corvane.db")
    if not os.path.exists(path):
        return 0
    connection = sqlite3.connect(f"file:{path}?mode=ro", uri=True, timeout=10)
    try:
        return connection.execute("SELECT count(*) FROM Planes").fetchone()[0]
    finally:
        connection.close()


def read_metrics(address):
    """The /metrics page as {name: value} (labelled series left out)."""
    with urllib.request.urlopen(f"http://{address}/metrics", timeout=10) as answer:
        text = answer.read().decode("utf-8")
    values = {}
    for line in text.splitlines():
        match = re.match(r"^([a-z_]+) ([-+0-9.eE]+|NaN)$", line)
        if match:
            values[match.group(1)] = float(match.group(2))
    return values


class LiveFeed(threading.Thread):
    """Follows the web page's live feed (a WebSocket, python's standard
    library only) and keeps the longest gap between two messages."""

    def __init__(self, address, stop):
        super().__init__(daemon=True)
        self.address = address
        self.stop = stop
        self.messages = 0
        self.longest_gap = 0.0
        self.longest_gap_at = None  # seconds into the run, at the end of the gap
        self.error = None
        self.started = None

    def run(self):
        try:
            self.follow()
        except (OSError, ValueError) as error:
            if not self.stop.is_set():
                self.error = str(error)

    def read_exactly(self, connection, count):
        data = b""
        while len(data) < count:
            chunk = connection.recv(count - len(data))
            if not chunk:
                raise ValueError("the live feed closed")
            data += chunk
        return data

    def follow(self):
        host, port = self.address.rsplit(":", 1)
        connection = socket.create_connection((host, int(port)), timeout=5)
        key = base64.b64encode(os.urandom(16)).decode("ascii")
        connection.sendall((f"GET /api/live HTTP/1.1\r\nHost: {self.address}\r\nUpgrade: websocket\r\n"
                            f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                           .encode("ascii"))
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.read_exactly(connection, 1)
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise ValueError("the live feed refused the upgrade: " + head.split(b"\r\n", 1)[0].decode("latin-1"))
        connection.settimeout(1)
        last = None
        while not self.stop.is_set():
            try:
                first = connection.recv(2, socket.MSG_PEEK)
            except socket.timeout:
                continue
            if not first:
                raise ValueError("the live feed closed")
            connection.settimeout(30)
            byte0, byte1 = self.read_exactly(connection, 2)
            length = byte1 & 0x7F
            if length == 126:
                length = struct.unpack("!H", self.read_exactly(connection, 2))[0]
            elif length == 127:
                length = struct.unpack("!Q", self.read_exactly(connection, 8))[0]
            mask = self.read_exactly(connection, 4) if byte1 & 0x80 else None
            payload = self.read_exactly(connection, length)
            connection.settimeout(1)
            opcode = byte0 & 0x0F
            if opcode == 0x9:  # ping: a pong with the same payload, masked as a client's frames are
                if mask:
                    payload = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
                new_mask = os.urandom(4)
                connection.sendall(bytes([0x8A, 0x80 | len(payload)]) + new_mask +
                                   bytes(b ^ new_mask[i % 4] for i, b in enumerate(payload)))
            elif opcode == 0x8:
                raise ValueError("the live feed closed")
            elif byte0 & 0x80 and opcode in (0x0, 0x1):  # the last frame of a message
                now = time.monotonic()
                self.messages += 1
                if last is not None and now - last > self.longest_gap:
                    self.longest_gap = now - last
                    self.longest_gap_at = now
                last = now


class Sampler(threading.Thread):
    """Calls step every period seconds until stop is set."""

    def __init__(self, period, step, stop):
        super().__init__(daemon=True)
        self.period, self.step, self.stop = period, step, stop
        self.error = None

    def run(self):
        next_time = time.monotonic()
        while not self.stop.is_set():
            try:
                self.step()
            except (OSError, ValueError, sqlite3.Error) as error:
                self.error = str(error)
            next_time += self.period
            self.stop.wait(max(0.0, next_time - time.monotonic()))


def start_card_server(build_dir, capture, speed, work):
    server = subprocess.Popen([os.path.join(build_dir, "tools", "cardserver", "corvane-cardserver"), "--port", "0",
                               "--capture", capture, "--speed", f"{speed:.3f}", "--loop"],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, cwd=work)
    deadline = time.monotonic() + 10
    said = ""
    while time.monotonic() < deadline:
        line = server.stdout.readline()
        if not line:
            break
        said += line
        match = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
        if match:
            # The rest of its lines go to a file, so that its pipe never fills.
            log = open(os.path.join(work, "cardserver.log"), "w", encoding="utf-8")
            threading.Thread(target=lambda: shutil.copyfileobj(server.stdout, log), daemon=True).start()
            return server, int(match.group(1))
    server.kill()
    fail(f"the card server did not start:\n{said}")
    return None, None


def median_ms(values):
    return f"{statistics.median(values) * 1000:.0f}" if values else "-"


def main():
    arguments = parse_arguments()
    build_dir = os.path.abspath(arguments.build_dir)
    if not arguments.no_build:
        build(build_dir)
    corvaned = os.path.join(build_dir, "tools", "corvaned", "corvaned")
    search = os.path.join(build_dir, "tools", "corvane-search")
    for program in (corvaned, search, os.path.join(build_dir, "tools", "cardserver", "corvane-cardserver")):
        if not os.access(program, os.X_OK):
            fail(f"no {program}: build first, or leave out --no-build")

    work = os.path.abspath(arguments.work_dir) if arguments.work_dir else tempfile.mkdtemp(prefix="corvane-soak-")
    os.makedirs(work, exist_ok=True)
    if os.path.exists(os.path.join(work, "Corvane.db")):
        fail(f"{work} already holds a store: give an empty --work-dir")
    environment = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    clock_speed = 86400.0 / arguments.day_seconds
    speed, records = replay_speed(arguments.capture, arguments.rate)

    server, card_port = start_card_server(build_dir, arguments.capture, speed, work)
    http = f"127.0.0.1:{free_port()}"
    receiver_log = open(os.path.join(work, "corvaned.log"), "w", encoding="utf-8")
    receiver = subprocess.Popen(
        [corvaned, "--host", f"127.0.0.1:{card_port}", "--card-type", "1", "--card-number", "1", "--database", "1",
         "--keep-days", str(arguments.keep_days), "--retry", "5", "--quiet", "--link-name",
         f"corvane-soak-{os.getpid()}", "--http", http, "--clock-speed", f"{clock_speed:g}"],
        cwd=work, env=environment, stdout=subprocess.DEVNULL, stderr=receiver_log)
    start = time.monotonic()
    stop = threading.Event()

    def seconds_in():
        return time.monotonic() - start

    def day_now():
        return int(seconds_in() // arguments.day_seconds) + 1

    # Wait for the web page before following it.
    while True:
        if receiver.poll() is not None:
            server.kill()
            fail(f"corvaned ended at once (status {receiver.returncode}); see {work}/corvaned.log")
        try:
            read_metrics(http)
            break
        except OSError:
            if seconds_in() > 30:
                receiver.kill()
                server.kill()
                fail("corvaned's web page did not answer within 30 s")
            time.sleep(0.2)

    feed = LiveFeed(http, stop)
    feed.start()

    pending = {"largest": 0.0, "at": None, "samples": 0, "failures": 0, "prune_longest": None, "slowest": 0.0}

    def sample_metrics():
        asked = time.monotonic()
        try:
            values = read_metrics(http)
        except OSError:
            pending["failures"] += 1
            return
        pending["slowest"] = max(pending["slowest"], time.monotonic() - asked)
        pending["samples"] += 1
        waiting = values.get("corvane_messages_pending", 0.0)
        if waiting > pending["largest"]:
            pending["largest"], pending["at"] = waiting, seconds_in()
        if "corvane_store_prune_longest_seconds" in values:
            pending["prune_longest"] = values["corvane_store_prune_longest_seconds"]

    searches = []  # (seconds in, simulated day, query index, seconds taken)
    search_failures = []  # (seconds in, simulated day, query index, seconds taken, what corvane-search said)

    def run_searches():
        for index, query in enumerate(QUERIES):
            asked = time.monotonic()
            done = subprocess.run([search, "--database", "1", "--store", os.path.join(work, "Corvane.db"), *query],
                                  cwd=work, env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  text=True)
            taken = time.monotonic() - asked
            if done.returncode != 0:
                search_failures.append((seconds_in(), day_now(), index, taken, done.stderr.strip()))
            else:
                searches.append((seconds_in(), day_now(), index, taken))

    # The store between the day ends: retention looks for old messages once a
    # real minute, so its count rises and falls within a simulated day.
    store_samples = []  # (seconds in, simulated day, messages, bytes)

    def sample_store():
        store_samples.append((seconds_in(), day_now(), stored_messages(work), store_bytes(work)))

    days = []

    def note_day():
        metrics = {}
        try:
            metrics = read_metrics(http)
        except OSError:
            pass
        days.append({
            "day": len(days) + 1,
            "seconds": round(seconds_in(), 1),
            "store_bytes": store_bytes(work),
            "messages": stored_messages(work),
            "rss_kib": resident_kib(receiver.pid),
            "stored_total": metrics.get("corvane_messages_stored_total"),
            "pruned_total": metrics.get("corvane_messages_pruned_total"),
            "live_messages": feed.messages,
        })
        row = days[-1]
        within = [sample for sample in store_samples if sample[1] == row["day"]] + [
            (0, 0, row["messages"], row["store_bytes"])]
        row["fewest_messages"] = min(sample[2] for sample in within)
        row["most_messages"] = max(sample[2] for sample in within)
        row["most_bytes"] = max(sample[3] for sample in within)
        print(f"day {row['day']:3d} at {row['seconds']:7.1f} s: {row['messages']:7d} messages, "
              f"{row['store_bytes'] / 1048576:7.2f} MiB, RSS {row['rss_kib'] / 1024:6.1f} MiB", flush=True)

    print(f"{PROGRAM}: {arguments.days} simulated days of {arguments.day_seconds:g} s (clock speed {clock_speed:g}), "
          f"card server --speed {speed:.1f} ({records} records a loop, about {arguments.rate:g}/s), "
          f"--keep-days {arguments.keep_days}, work folder {work}", flush=True)
    metrics_thread = Sampler(1.0, sample_metrics, stop)
    search_thread = Sampler(arguments.search_every, run_searches, stop)
    store_thread = Sampler(5.0, sample_store, stop)
    for thread in (metrics_thread, search_thread, store_thread):
        thread.start()

    trouble = None
    for day in range(1, arguments.days + 1):
        until = start + day * arguments.day_seconds
        while time.monotonic() < until:
            if receiver.poll() is not None:
                trouble = f"corvaned ended early (status {receiver.returncode}); see {work}/corvaned.log"
                break
            if server.poll() is not None:
                trouble = f"the card server ended early (status {server.returncode})"
                break
            time.sleep(min(0.5, max(0.0, until - time.monotonic())))
        if trouble:
            break
        note_day()

    stop.set()
    for thread in (metrics_thread, search_thread, store_thread):
        thread.join(timeout=60)
    receiver.send_signal(signal.SIGTERM)
    try:
        receiver.wait(timeout=60)
    except subprocess.TimeoutExpired:
        receiver.kill()
        trouble = trouble or "corvaned did not stop within 60 s of SIGTERM"
    server.terminate()
    server.wait(timeout=10)
    feed.join(timeout=5)

    report = {
        "settings": {"days": arguments.days, "day_seconds": arguments.day_seconds, "clock_speed": clock_speed,
                     "rate": arguments.rate, "replay_speed": speed, "keep_days": arguments.keep_days,
                     "queries": [" ".join(q) for q in QUERIES]},
        "days": days,
        "searches": searches,
        "search_failures": search_failures,
        "live_feed": {"messages": feed.messages, "longest_gap_s": feed.longest_gap,
                      "longest_gap_at_s": feed.longest_gap_at - start if feed.longest_gap_at else None,
                      "error": feed.error},
        "metrics": pending,
        "store_samples": store_samples,
        "errors": {"metrics": metrics_thread.error, "searches": search_thread.error, "store": store_thread.error,
                   "run": trouble},
    }
    with open(os.path.join(work, "soak.json"), "w", encoding="utf-8") as out:
        json.dump(report, out, indent=1)

    print()
    print("| Day | Messages in store | Fewest-most in the day (every 5 s) | Store (MiB, db + wal) | Largest in the day "
          "(MiB) | corvaned RSS (MiB) | Stored so far | Pruned so far |")
    print("|---:|---:|---:|---:|---:|---:|---:|---:|")
    for row in days:
        print(f"| {row['day']} | {row['messages']:,} | {row['fewest_messages']:,}-{row['most_messages']:,} | "
              f"{row['store_bytes'] / 1048576:.2f} | {row['most_bytes'] / 1048576:.2f} | {row['rss_kib'] / 1024:.1f} | "
              f"{row['stored_total'] or 0:,.0f} | {row['pruned_total'] or 0:,.0f} |")
    print()
    counted = [s for s in searches if s[1] <= len(days)]
    first_day = [s for s in counted if s[1] == 1]
    last_day = [s for s in counted if s[1] == max((s[1] for s in counted), default=0)]
    print("Search medians, ms (corvane-search, process start included), first simulated day, last, and failed "
          "searches over the run:")
    for index, query in enumerate(QUERIES):
        failed = sum(1 for f in search_failures if f[2] == index)
        print(f"  {' '.join(query):28s} {median_ms([s[3] for s in first_day if s[2] == index]):>6s} "
              f"{median_ms([s[3] for s in last_day if s[2] == index]):>6s} {failed:4d} of "
              f"{failed + sum(1 for s in searches if s[2] == index)}")
    if search_failures:
        print(f"  first failure at {search_failures[0][0]:.0f} s: {search_failures[0][4]}")
    print(f"Live feed: {feed.messages:,} messages, longest gap {feed.longest_gap * 1000:.0f} ms"
          + (f" at {feed.longest_gap_at - start:.0f} s" if feed.longest_gap_at else "")
          + (f" (feed error: {feed.error})" if feed.error else ""))
    print(f"Writer's pending count (/metrics each second, {pending['samples']} samples, {pending['failures']} failed): "
          f"largest {pending['largest']:.0f}" + (f" at {pending['at']:.0f} s" if pending["at"] else "")
          + f"; slowest /metrics answer {pending['slowest'] * 1000:.0f} ms")
    prune = pending["prune_longest"]
    print("Longest retention transaction (corvane_store_prune_longest_seconds): "
          + (f"{prune * 1000:.1f} ms" if prune is not None else "not on this station's /metrics"))
    for name, error in report["errors"].items():
        if error:
            print(f"{PROGRAM}: {name}: {error}", file=sys.stderr)
    if not arguments.work_dir and not arguments.keep_work:
        shutil.rmtree(work, ignore_errors=True)
        print("(the work folder with every sample, soak.json, is removed; --keep-work keeps it)")
    else:
        print(f"Every sample: {work}/soak.json")
    return 1 if trouble or feed.error else 0


if __name__ == "__main__":
    sys.exit(main())
