#!/usr/bin/python3
"""The station's health check and metrics against the real corvaned and card
server: acarsdec JSON datagrams go to the card server's UDP port, corvaned
stores them in SQLite, and /metrics, read by the Prometheus client's own
parser, must count exactly what was sent (by label, stored, alerts). The
health check is 503 before the card server is there, 200 once it is, 503
while another process holds the store locked and messages wait, and 200
again once the lock goes and the waiting messages are written (late).

  metrics_test.py BUILD_DIR WEB_DIR
"""
import datetime
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

from prometheus_client.parser import text_string_to_metric_families
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from process_support import free_port, wait_for  # noqa: E402

TOKEN = "metrics-test-token"
WATCHED_FLIGHT = "TM0002"


DIRECT = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def get(url, token=TOKEN):
    """(status, content type, body) of a GET; status 0 while nothing listens."""
    request = urllib.request.Request(url, headers={"Authorization": "Bearer " + token} if token else {})
    try:
        with DIRECT.open(request, timeout=5) as answer:
            return answer.status, answer.headers["Content-Type"], answer.read().decode("utf-8")
    except urllib.error.HTTPError as error:
        return error.code, error.headers["Content-Type"], error.read().decode("utf-8")
    except urllib.error.URLError:
        return 0, None, ""


def health(origin):
    status, _, body = get(origin + "api/health")
    return status, json.loads(body)


def metrics(origin):
    """{(sample name, frozen labels): value}, every family with HELP and TYPE."""
    status, content_type, body = get(origin + "metrics")
    assert status == 200 and content_type.startswith("text/plain; version=0.0.4"), (status, content_type)
    samples = {}
    for family in text_string_to_metric_families(body):
        assert family.documentation and family.type in ("counter", "gauge"), family
        for sample in family.samples:
            samples[(sample.name, tuple(sorted(sample.labels.items())))] = sample.value
    return samples


def value(samples, name, **labels):
    return samples.get((name, tuple(sorted(labels.items()))))


def acarsdec(number, label, flight, text):
    return json.dumps({"timestamp": time.time(), "mode": "2", "label": label, "block_id": str(number % 10),
                       "ack": False, "tail": ".T-MTR%d" % number, "flight": flight, "msgno": "M%02dA" % number,
                       "text": text}).encode("utf-8")


def send(udp_port, messages):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
        for message in messages:
            out.sendto(message, ("127.0.0.1", udp_port))
            time.sleep(0.05)


def start(build, web, work):
    card_port, http_port = free_port(), free_port()
    with open(os.path.join(work, "token"), "w") as out:
        out.write(TOKEN + "\n")
    os.chmod(os.path.join(work, "token"), 0o600)
    with open(os.path.join(work, "alerts"), "w") as out:
        out.write("flight:%s\n" % WATCHED_FLIGHT)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=os.path.join(work, "state"),
               CORVANE_WEB_DIR=web)
    receiver = subprocess.Popen([os.path.join(build, "tools/corvaned/corvaned"), "--database", "1", "--quiet",
                                 "--retry", "1", "--host", "127.0.0.1:%d" % card_port, "--card-type", "1",
                                 "--card-number", "1", "--alerts", os.path.join(work, "alerts"),
                                 "--http", "127.0.0.1:%d" % http_port, "--http-token-file",
                                 os.path.join(work, "token")], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=open(os.path.join(work, "corvaned.err"), "w"))
    return receiver, card_port, "http://127.0.0.1:%d/" % http_port


def check_before_card(origin):
    """Both paths need the token; without the card server the station is down."""
    assert get(origin + "metrics", token=None)[0] == 401
    assert get(origin + "api/health", token=None)[0] == 401
    assert get(origin + "metrics", token="wrong")[0] == 401
    status, body = wait_for("the store open", lambda: (lambda h: h if h[1]["store"] == "ok" else None)(health(origin)))
    assert status == 503 and body["status"] == "down" and body["cardLink"] == "disconnected", body
    assert body["lastMessage"] is None and body["pendingMessages"] == 0 and "mqtt" not in body, body
    samples = metrics(origin)
    assert value(samples, "corvane_card_link_up") == 0 and value(samples, "corvane_messages_stored_total") == 0


def check_counts(origin, sent_labels, stored, alerts, late):
    samples = wait_for("%d stored" % stored, lambda: (lambda s: s if value(s, "corvane_messages_stored_total") ==
                                                                      stored else None)(metrics(origin)))
    received = {labels: v for (name, labels), v in samples.items() if name == "corvane_messages_received_total"}
    expected = {(("label", label), ("source", "card")): float(sent_labels.count(label)) for label in set(sent_labels)}
    assert received == expected, (received, expected)
    assert value(samples, "corvane_alerts_total") == alerts, samples
    assert value(samples, "corvane_messages_pending") == 0
    assert value(samples, "corvane_messages_refused_total") == 0
    assert value(samples, "corvane_messages_written_late_total") == late, samples
    assert value(samples, "corvane_messages_lost_total") == 0
    assert value(samples, "corvane_messages_pruned_total") == 0
    assert value(samples, "corvane_store_prune_longest_seconds") == 0
    assert value(samples, "corvane_records_refused_total") == 0
    assert value(samples, "corvane_card_link_up") == 1 and value(samples, "corvane_card_reconnects_total") == 0
    assert value(samples, "corvane_store_up") == 1 and value(samples, "corvane_store_size_bytes") > 0
    assert value(samples, "corvane_web_clients") == 0 and value(samples, "corvane_web_connections") >= 1
    assert value(samples, "process_resident_memory_bytes") > 1e6
    return samples


def check_up(origin, started):
    status, body = health(origin)
    assert status == 200 and body["status"] == "ok", body
    assert body["cardLink"] == "connected" and body["store"] == "ok" and body["pendingMessages"] == 0, body
    last = datetime.datetime.strptime(body["lastMessage"], "%Y-%m-%dT%H:%M:%S.%fZ").replace(
        tzinfo=datetime.timezone.utc)
    assert started - 1 <= last.timestamp() <= time.time() + 1, body


def lock_store(path):
    """Another process's exclusive lock, asked for again while the receiver writes."""
    lock = sqlite3.connect(path, isolation_level=None, timeout=0)
    wait_for("the store's lock", lambda: try_lock(lock))
    return lock


def try_lock(connection):
    try:
        connection.execute("BEGIN EXCLUSIVE")
        return True
    except sqlite3.OperationalError:
        return False


def check_store_down_and_back(origin, udp_port, work, labels):
    lock = lock_store(os.path.join(work, "Corvane.db"))
    send(udp_port, [acarsdec(90 + n, "H1", "TM0090", "WHILE LOCKED %d" % n) for n in range(2)])
    labels += ["H1", "H1"]
    status, body = wait_for("the store reported down", lambda: (lambda h: h if h[0] == 503 else None)(health(origin)))
    assert body["store"] == "down" and body["storeTrouble"] and body["cardLink"] == "connected", body
    assert body["pendingMessages"] == 2, body
    samples = metrics(origin)
    assert value(samples, "corvane_store_up") == 0 and value(samples, "corvane_messages_pending") == 2, samples
    lock.execute("ROLLBACK")
    lock.close()
    wait_for("the store back", lambda: health(origin)[0] == 200)
    check_counts(origin, labels, stored=len(labels), alerts=1, late=2)


def main():
    build, web = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        receiver, card_port, origin = start(build, web, work)
        udp_port = free_port(socket.SOCK_DGRAM)
        server = None
        try:
            wait_for("the page's server", lambda: get(origin + "api/info")[0] == 200)
            check_before_card(origin)
            server = subprocess.Popen([os.path.join(build, "tools/cardserver/corvane-cardserver"), "--port",
                                       str(card_port), "--udp", str(udp_port)], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
            wait_for("the card link", lambda: health(origin)[0] == 200)
            started = time.time()
            labels = ["H1", "H1", "5Z", "_d", "H1", "5Z"]
            flights = ["TM0001", WATCHED_FLIGHT, "TM0003", "TM0004", "TM0005", "TM0006"]
            send(udp_port, [acarsdec(n, label, flight, "METRICS \"%d\" \\ TEXT" % n)
                            for n, (label, flight) in enumerate(zip(labels, flights))])
            # acarsdec writes the uplink acknowledgement "_" DEL as "_d"; the
            # message keeps it as "_ ", as the store does.
            labels = [label.replace("_d", "_ ") for label in labels]
            check_counts(origin, labels, stored=len(labels), alerts=1, late=0)
            check_up(origin, started)
            check_store_down_and_back(origin, udp_port, work, labels)
        finally:
            for process in (receiver, server):
                if process:
                    process.terminate()
                    process.wait(10)
            with open(os.path.join(work, "corvaned.err")) as err:
                sys.stderr.write(err.read()[-2000:])
    print("metrics test passed")


if __name__ == "__main__":
    main()
