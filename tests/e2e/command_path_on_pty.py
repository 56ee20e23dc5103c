#!/usr/bin/env python3
"""The real ZQ410 program under Xvfb against a controller line written here from the protocol
alone (not zq410-sim), whose controllers answer some requests late (900 ms, after the monitor's
600 ms time-out). Checks, on the files and on the wire:
  - controllers 1 and 3 both running are both recorded, each file with its own controller's values
    only, also while controller 3's status replies come late;
  - Enter in the memory table starts no read;
  - a memory read with block 900 answered late twice in a row asks for all 12 blocks in order
    (a block read in doubt again until two reads agree), and the send that follows writes all 12
    with the controller's own values, also with block 900 acknowledged late twice, and reads
    them back.

Usage: command_path_on_pty.py PATH/TO/ZQ410
"""
import os
import sys
import time

from monitor_session import LF, STX, MonitorSession, addressed, reply

PRESENT = {1, 3}  # device 2 is listed but absent
LATE = 0.9
MEMORY_STARTS = [800, 825, 900, 925, 1000, 1025, 1100, 1125, 1200, 1225, 1300, 1325]


class Line:
    """Controllers 1 and 3: registers in a dict, every memory register holding its own value."""

    def __init__(self):
        self.registers = {}
        for device in PRESENT:
            regs = {6: 1, 7: 111 * device, 506: 1, 1: 250, 2: 248}  # running, SV, 1 decimal
            for start in MEMORY_STARTS:
                for j in range(25):
                    regs[start + j] = (start + j) * 3 + device
            self.registers[device] = regs
        self.late_status = set()  # devices whose status replies come late
        self.late = {}  # (command, first register): how many of the next answers come late
        self.frames = []

    def answer(self, frame):
        """The reply to a request and its delay in seconds, or None."""
        request = addressed(frame, PRESENT)
        if not request:
            return None
        device, body = request
        regs = self.registers[device]
        command = body[2:5]
        fields = body[6:].split(b",")
        delay = 0.02
        if command == b"WHO":
            return reply(body[0:2] + b"WHO,OK,ZQ500"), delay
        if command == b"DRR":
            addresses = [int(a) for a in fields[1:]]
            if len(addresses) == 16 and device in self.late_status:
                delay = LATE
            if self.late_now("DRR", addresses[0]):
                delay = LATE
            values = b"".join(b",%04X" % (regs.get(a, 0) & 0xFFFF) for a in addresses)
            return reply(body[0:2] + b"DRR,OK" + values), delay
        if command == b"DWR":
            pairs = fields[1:]
            first = int(pairs[0])
            for k in range(0, len(pairs), 2):
                value = int(pairs[k + 1], 16)
                regs[int(pairs[k])] = value - 65536 if value >= 32768 else value
            if self.late_now("DWR", first):
                delay = LATE
            return reply(body[0:2] + b"DWR,OK"), delay
        return None

    def late_now(self, command, first):
        left = self.late.get((command, first), 0)
        if left:
            self.late[(command, first)] = left - 1
        return left > 0


def in_order(starts):
    """The blocks in the order first asked for: a block asked again counts once."""
    return [s for i, s in enumerate(starts) if i == 0 or starts[i - 1] != s]


def records(path):
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return [line.split(b"\t") for line in f.read().split(b"\r\n") if line]


def main():
    line = Line()
    received, pending = [b""], []  # kept from one serve() to the next
    saving = b"Yes\r\n1\r\n" + "초".encode("cp949") + b"\r\n%s\r\nZQ410\r\n"

    def record_every_second(session):
        os.makedirs(session.path("data"))
        session.write(os.path.join("CFG", "SaveData.INI"), saving % session.path("data").encode())

    with MonitorSession(sys.argv[1], 120, record_every_second) as m:
        data = m.path("data")

        def serve(seconds):
            """Answers the monitor for a while, late replies interleaved with later requests."""
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                now = time.monotonic()
                for due, out in [p for p in pending if p[0] <= now]:
                    os.write(m.master, out)
                    pending.remove((due, out))
                try:
                    received[0] += os.read(m.master, 4096)
                except (BlockingIOError, OSError):
                    time.sleep(0.002)
                while LF in received[0]:
                    raw, received[0] = received[0].split(LF, 1)
                    frame = raw[raw.find(STX):] + LF
                    line.frames.append(frame)
                    answered = line.answer(frame)
                    if answered:
                        pending.append((time.monotonic() + answered[1], answered[0]))
                received[0] = received[0].lstrip(b"\x00")

        def sent_since(first, command):
            return [f for f in line.frames[first:] if f[3:9] == command]

        # Both running controllers are recorded, each with its own values, controller 3 too
        # although controller 1 is the selected one; then controller 3's status comes late.
        serve(8)
        one, three = os.path.join(data, "ZQ410_01.DAT"), os.path.join(data, "ZQ410_03.DAT")
        assert len(records(one)) >= 4 and len(records(three)) >= 4, (
            "records: %d and %d" % (len(records(one)), len(records(three))))
        line.late_status.add(3)
        serve(10)
        line.late_status.clear()
        assert all(r[2] == b"11.1" for r in records(one)), "ZQ410_01.DAT: %r" % records(one)
        assert all(r[2] == b"33.3" for r in records(three)), "ZQ410_03.DAT: %r" % records(three)

        # The memory window: Enter in the table starts nothing.
        m.key("alt+p", "m")
        memory = m.window("메모리 설정")
        m.focus(memory)
        first = len(line.frames)
        m.key("Return", "Return")
        serve(1.5)
        assert not sent_since(first, b"DRR,25"), "Enter started a read"

        # A read with block 900 answered late twice asks for every block in order, 900 again
        # until two reads agree.
        line.late[("DRR", 900)] = 2
        m.key("alt+r")
        serve(9)
        starts = [int(f[10:14]) for f in sent_since(first, b"DRR,25")]
        assert in_order(starts) == MEMORY_STARTS, "blocks read: %r" % starts
        assert starts.count(900) >= 3, "blocks read: %r" % starts

        # The send that follows writes all 12 blocks with the controller's own values, also
        # with block 900 acknowledged late twice, and reads them back.
        before = {d: dict(r) for d, r in line.registers.items()}
        line.late[("DWR", 900)] = 2
        first = len(line.frames)
        m.key("alt+t")
        serve(12)
        writes = sent_since(first, b"DWR,25")
        starts = [int(f[10:14]) for f in writes]
        assert in_order(starts) == MEMORY_STARTS, "blocks sent: %r" % starts
        assert all(f[1:3] == b"01" for f in writes), "a block went to another controller"
        assert line.registers == before, "the send changed the controller's values"
        reads = [int(f[10:14]) for f in sent_since(first, b"DRR,25")]
        assert in_order(reads) == MEMORY_STARTS, "blocks read back: %r" % reads
        print("1 passed, 0 failed")
        return 0


if __name__ == "__main__":
    sys.exit(main())
