"""What the tests that run the real programs share: a free loopback port and
a wait for a condition."""
import socket
import time


def free_port(kind=socket.SOCK_STREAM):
    """A port nothing listens on now, on 127.0.0.1 (TCP by default)."""
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for(what, check, seconds=30):
    """The first true value check gives within seconds; fails naming what."""
    end = time.time() + seconds
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)
