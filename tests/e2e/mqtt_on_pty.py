#!/usr/bin/env python3
"""The real ZQ410 under Xvfb with a CFG/Mqtt.INI naming a mosquitto broker started here, against
a controller line written here from the protocol alone (controller 1 with one decimal place and
running, controller 3 with none and stopped, controller 2 absent): within two polling cycles of
going on line the broker has P/status "online" and each present controller's pv, sv, aux, run
and link with the controller's decimals; after kill -9 the broker says "offline" within 1.5 times
the keep-alive.

Usage: mqtt_on_pty.py PATH/TO/ZQ410
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from monitor_session import MonitorSession, StatusLine, serve

KEEP_ALIVE = 5
PREFIX = "e2e/line"
# Registers 507, 506, 1, 2, 3, 6, 7, 16, 31, 32, 131, 201, 202, 205, 207, 208 of each controller.
STATUS = {
    1: [0, 1, 251, 248, 0xFF6B, 1, 600, 120, 0x0400, 0, 2, 455, 0, 1, 12, 11],
    3: [0, 0, 25, 24, 0xFFC9, 0, 80, 30, 0x0400, 0, 1, 0, 0, 3, 0, 0],
}
EXPECTED = {
    1: {"pv": "25.1", "aux": "24.8", "sv": "60.0", "run": "1", "link": "ok"},
    3: {"pv": "25", "aux": "24", "sv": "80", "run": "0", "link": "ok"},
}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def mosquitto():
    found = shutil.which("mosquitto") or shutil.which("mosquitto", path="/usr/sbin:/usr/local/sbin")
    if not found:
        raise SystemExit("mosquitto is not installed (scripts/setup installs it)")
    return found


class Broker:
    """mosquitto on a free loopback port and a mosquitto_sub on all of PREFIX, with the time
    each message arrived."""

    def __init__(self):
        self.folder = tempfile.mkdtemp()
        self.port = free_port()
        conf = os.path.join(self.folder, "mosquitto.conf")
        with open(conf, "w") as f:
            f.write("listener %d 127.0.0.1\nallow_anonymous true\npersistence false\n" % self.port)
            if os.geteuid() == 0:
                f.write("user root\n")
        self.broker = subprocess.Popen([mosquitto(), "-c", conf], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 5
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise SystemExit("mosquitto does not listen after 5 s")
                time.sleep(0.05)
        self.messages = []  # (monotonic time, topic, payload)
        self.sub = subprocess.Popen(
            ["stdbuf", "-oL", "mosquitto_sub", "-p", str(self.port), "-t", PREFIX + "/#", "-v"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.sub.stdout:
            topic, _, payload = line.decode().rstrip("\n").partition(" ")
            self.messages.append((time.monotonic(), topic, payload))

    def last(self, topic, before=float("inf")):
        found = [p for t, name, p in self.messages if name == topic and t <= before]
        return found[-1] if found else None

    def wait(self, topic, payload, seconds):
        """When topic got payload (monotonic time), waiting at most seconds; None if not."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            for t, name, p in self.messages:
                if name == topic and p == payload:
                    return t
            time.sleep(0.02)
        return None

    def stop(self):
        for p in (self.sub, self.broker):
            p.terminate()
            p.wait(timeout=5)
        shutil.rmtree(self.folder, ignore_errors=True)


def main():
    broker = Broker()
    try:
        def mqtt_ini(session):
            session.write(os.path.join("CFG", "Mqtt.INI"),
                          b"Enabled=true\nHost=127.0.0.1\nPort=%d\nPrefix=%s\nKeepAlive=%d\n"
                          % (broker.port, PREFIX.encode(), KEEP_ALIVE))

        with MonitorSession(sys.argv[1], 110, mqtt_ini) as m:
            assert broker.wait(PREFIX + "/status", "online", 10), "no online from the monitor"
            frames = []
            serve(m.master, 6.0, StatusLine(STATUS).answer, frames)
            status_reads = [t for t, f in frames if b"DRR" in f and f[1:3] == b"01"]
            assert len(status_reads) >= 3, "the monitor did not poll controller 1"
            on_line, cycle = status_reads[0], status_reads[1] - status_reads[0]
            by = on_line + 2 * cycle
            for device, values in EXPECTED.items():
                for suffix, payload in values.items():
                    topic = "%s/%02d/%s" % (PREFIX, device, suffix)
                    got = broker.last(topic, before=by)
                    assert got == payload, "%s within two cycles (%.2f s): %r, want %r" % (
                        topic, 2 * cycle, got, payload)
            assert broker.last(PREFIX + "/02/pv") is None, "absent controller 2 was published"

            monitor = m.procs[1]
            killed = time.monotonic()
            os.kill(monitor.pid, signal.SIGKILL)
            monitor.wait(timeout=5)
            offline = broker.wait(PREFIX + "/status", "offline", 1.5 * KEEP_ALIVE)
            assert offline, "no offline within 1.5 keep-alive periods after kill -9"
            print("values within %.2f s of going on line; offline %.2f s after kill -9" % (
                2 * cycle, offline - killed))
    finally:
        broker.stop()
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
