#!/usr/bin/env python3
"""The real ZQ410 under Xvfb with CFG/Alarm.INI setting High=20.0 and OnDelay=2 for controller
01, against a controller line written here from the protocol alone, where 01's PV is 25.1: a
journal line "01 ... 상한 경보 발생" is in the data folder's ALARM_YYYYMMDD.LOG within 10 s of
going on line; when the line then goes silent, "통신 이상 발생" lines follow.

Usage: alarm_on_pty.py PATH/TO/ZQ410
"""
import os
import sys
import time

from monitor_session import MonitorSession, StatusLine, serve
from mqtt_on_pty import STATUS


def journal(session):
    folder = session.path("ZQ410_DATA")
    lines = []
    if os.path.isdir(folder):
        for name in sorted(os.listdir(folder)):
            if name.startswith("ALARM_") and name.endswith(".LOG"):
                with open(os.path.join(folder, name), "rb") as f:
                    lines += [l.decode("cp949").split("\t") for l in f.read().split(b"\r\n") if l]
    return lines


def main():
    def alarm_ini(session):
        session.write(os.path.join("CFG", "Alarm.INI"), b"[01]\nHigh=20.0\nOnDelay=2\n")

    with MonitorSession(sys.argv[1], 130, alarm_ini) as m:
        frames = []
        serve(m.master, 10.0, StatusLine(STATUS).answer, frames)
        on_line = next(t for t, f in frames if b"DRR" in f)
        raised = [l for l in journal(m) if l[2:6] == ["01", "", "상한 경보", "발생"]]
        assert raised, "no high alarm of 01 in the journal: %r" % journal(m)
        assert raised[0][6:] == ["25.1", "20.0"], raised[0]
        elapsed = time.monotonic() - on_line
        assert elapsed <= 10.5, "checked %.1f s after going on line" % elapsed

        deadline = time.monotonic() + 15  # the line is silent now: three time-outs each
        while time.monotonic() < deadline:
            lost = [l for l in journal(m) if l[4:6] == ["통신 이상", "발생"]]
            if {l[2] for l in lost} >= {"01", "03"}:
                break
            time.sleep(0.2)
        else:
            raise AssertionError("no link alarms after the line died: %r" % journal(m))
        for line in journal(m):
            assert len(line) == 8, "a journal line of 8 fields: %r" % line
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
