#!/usr/bin/env python3
"""The real ZQ410 program under Xvfb, brought on line with F5, against a controller line written
here from the protocol alone (not zq410-sim): checks the frames on the wire, their order, their
pacing and the trace file.

Usage: monitor_on_pty.py PATH/TO/ZQ410
"""
import os
import sys
import time

from monitor_session import CR, LF, STX, MonitorSession, StatusLine, checksum, serve

PRESENT = {1, 3}  # device 2 is listed but absent
STATUS_REGS = b",16,0507,0506,0001,0002,0003,0006,0007,0016,0031,0032,0131,0201,0202,0205,0207,0208"


def request(device, command, tail=b""):
    body = b"%02d" % device + command + tail
    return STX + body + checksum(body) + CR + LF


# Registers 507, 506, 1, 2, 3, 6, 7, 16, 31, 32, 131, 201, 202, 205 (the device number), 207, 208.
answer = StatusLine({n: [1, 1, 0xFA, 0xF8, 0, 0, 0x258, 0x78, 0x400, 0, 1, 0, 0, n, 0, 0]
                     for n in PRESENT}).answer


def main():
    def trace_on(session):
        session.write(os.path.join("CFG", "LogSaveF.INI"), b"1\r\n")

    with MonitorSession(sys.argv[1], 90, trace_on) as m:
        frames, raw = [], bytearray()
        # the 0x00 after each request is checked on the raw bytes below
        serve(m.master, 5.0, answer, frames, raw)

        got = [f for _, f in frames]
        on_line = b"".join(f + b"\x00" for f in got)
        assert raw[:len(on_line)] == on_line, "each request and exactly one 0x00:\n%r" % raw[:200]
        expected = [request(1, b"WHO"), request(2, b"WHO"), request(2, b"WHO"), request(2, b"WHO"),
                    request(3, b"WHO"), request(1, b"DRR", STATUS_REGS),
                    request(3, b"DRR", STATUS_REGS), request(1, b"DRR", STATUS_REGS)]
        assert got[:len(expected)] == expected, "frames on the line:\n%r" % got[:len(expected)]

        times = [t for t, _ in frames]
        after_reply = times[1] - times[0]  # 10 ms answer + 200 ms read pause + 50 ms
        assert 0.24 <= after_reply <= 0.45, "answered request to next: %.3f s" % after_reply
        for i in (2, 3):  # unanswered WHO 02: 600 ms time-out + 50 ms
            gap = times[i] - times[i - 1]
            assert 0.62 <= gap <= 0.85, "time-out pacing: %.3f s" % gap

        with open(m.path("RecvData.txt"), "rb") as f:
            trace = f.read().split(b"\r\n")
        sent = [l for l in trace if l.startswith("송신,".encode("cp949"))]
        assert len(sent) >= len(expected), "trace holds %d sent lines" % len(sent)
        rendered = b"<STX>01WHO4F<CR><LF>"
        assert sent[0].endswith(rendered), sent[0]
        received = [l for l in trace if l.startswith("수신,".encode("cp949"))]
        assert any(b"ZQ500" in l for l in received)
        # each reply is traced once, whole, however its bytes came
        assert len(received) <= len(sent), "%d received lines for %d requests" % (
            len(received), len(sent))
        for l in received:
            assert l.split(b",", 2)[2].startswith(b"<STX>") and l.endswith(b"<CR><LF>"), l
        print("1 passed, 0 failed")
        return 0


if __name__ == "__main__":
    sys.exit(main())
