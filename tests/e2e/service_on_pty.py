#!/usr/bin/env python3
"""zq410d --folder DIR against a controller line written here from the protocol alone, with two
running controllers and recording every second, under a service manager played here: it sends
READY=1 and then WATCHDOG=1 to the NOTIFY_SOCKET given (WATCHDOG_USEC and WATCHDOG_PID set as
systemd sets them), writes both controllers' trend files, and on SIGTERM exits 0 within 2 s with
every record whole. Then SIGKILL and a restart: recording goes on in the same files, each record
on a line of its own.

Usage: service_on_pty.py PATH/TO/zq410d
"""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty

from monitor_session import StatusLine, serve
from mqtt_on_pty import STATUS

WATCHDOG_USEC = 2000000  # pings every second


def start(program, work, notify_path):
    env = dict(os.environ, NOTIFY_SOCKET=notify_path, WATCHDOG_USEC=str(WATCHDOG_USEC))
    # exec keeps the shell's pid, so WATCHDOG_PID names the service as systemd's would.
    return subprocess.Popen(["sh", "-c", 'WATCHDOG_PID=$$ exec "$0" --folder "$1"', program, work],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


class Manager:
    """The service manager's end of NOTIFY_SOCKET, read all the time as systemd reads it (a
    datagram socket left unread would block the service's next notification)."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.sock.bind(path)
        self.sock.settimeout(0.1)
        self.got = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                self.got.append(self.sock.recv(4096).decode())
            except socket.timeout:
                pass
            except OSError:
                return


def records(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data.endswith(b"\r\n"), "%s ends in the middle of a record" % path
    lines = data[:-2].split(b"\r\n")
    for line in lines:
        fields = line.split(b"\t")
        assert len(fields) == 5 and fields[0].startswith(b"20"), "torn record %r" % line
    return lines


def main():
    program = sys.argv[1]
    work = tempfile.mkdtemp()
    master, slave = os.openpty()
    tty.setraw(slave)
    os.set_blocking(master, False)
    data = os.path.join(work, "data")
    os.makedirs(data)
    os.makedirs(os.path.join(work, "CFG"))
    with open(os.path.join(work, "Comm.CFG"), "wb") as f:
        f.write(os.ttyname(slave).encode() + b"\r\n9600\r\nN\r\n8\r\n1\r\nSUM\r\n")
    with open(os.path.join(work, "CFG", "SetMulti.INI"), "wb") as f:
        f.write(b"O\tOven\r\nX\t\r\nO\tDryer\r\n")
    with open(os.path.join(work, "CFG", "SaveData.INI"), "wb") as f:
        f.write(b"Yes\r\n1\r\n" + "초".encode("cp949") + b"\r\n" + data.encode() + b"\r\nZQ410\r\n")
    notify_path = os.path.join(work, "notify")
    manager = Manager(notify_path)

    # Controllers 1 and 3 run (STATUS, register 6, bit 0).
    registers = {n: list(STATUS[n]) for n in (1, 3)}
    for n in (1, 3):
        registers[n][5] |= 1
    answer = StatusLine(registers).answer

    service = start(program, work, notify_path)
    try:
        serve(master, 6.0, answer)
        got = list(manager.got)
        assert any("READY=1" in m for m in got), got
        ready = next(i for i, m in enumerate(got) if "READY=1" in m)
        pings = [m for m in got[ready:] if "WATCHDOG=1" in m]
        assert len(pings) >= 3, "watchdog pings after READY: %r" % got
        assert any(m.startswith("STATUS=") for m in got), got

        if not all(os.path.exists(os.path.join(data, "ZQ410_%02d.DAT" % n)) for n in (1, 3)):
            service.terminate()
            raise AssertionError("no trend files in %r; log:\n%s" % (
                os.listdir(work), service.stderr.read().decode()))
        first = {n: records(os.path.join(data, "ZQ410_%02d.DAT" % n)) for n in (1, 3)}
        for n, lines in first.items():
            assert len(lines) >= 3, "controller %d recorded %d records" % (n, len(lines))

        stopped = time.monotonic()
        service.send_signal(signal.SIGTERM)
        assert service.wait(timeout=5) == 0, "exit code %r" % service.returncode
        assert time.monotonic() - stopped <= 2.0, "stopped in %.2f s" % (time.monotonic() - stopped)
        log = service.stderr.read().decode()
        assert "통신포트 열림" in log and "정지" in log, log

        # Killed and started again: the same files go on, each record on its own line.
        service = start(program, work, notify_path)
        serve(master, 6.0, answer)
        service.send_signal(signal.SIGKILL)
        service.wait(timeout=5)
        service = start(program, work, notify_path)
        serve(master, 6.0, answer)
        service.send_signal(signal.SIGTERM)
        assert service.wait(timeout=5) == 0
        for n in (1, 3):
            lines = records(os.path.join(data, "ZQ410_%02d.DAT" % n))
            assert len(lines) > len(first[n]) + 4, "controller %d: recording went on" % n
    finally:
        if service.poll() is None:
            service.kill()
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
