"""What the end-to-end scripts share: the protocol's checksum and a session of the real ZQ410 on
a display server of its own, on a pseudo-terminal, in a program folder of its own with devices 1
to 3 listed (SUM framing, 9600 8N1)."""
import os
import shutil
import subprocess
import tempfile
import time
import tty

STX, CR, LF = b"\x02", b"\r", b"\n"


def checksum(body):
    return b"%02X" % (sum(body) % 256)


def reply(body):
    return STX + body + checksum(body) + CR + LF


def addressed(frame, present):
    """The device number and body of a request with a good checksum to one of the present
    controllers (the others stay silent), else None."""
    body = frame[1:-4]
    if checksum(body) != frame[-4:-2] or not body[0:2].isdigit():
        return None
    device = int(body[0:2])
    return (device, body) if device in present else None


BYTE_TIME = 10 / 9600  # start bit, 8 data bits, stop bit


def serve(master, seconds, answer, frames=None, raw=None):
    """Plays the controller line on the pseudo-terminal's master end for seconds: each request
    (its time and frame appended to frames) gets answer(frame), byte by byte at the pace of 9600
    baud as a real UART delivers it; None stays silent. raw, a bytearray, gets every byte read."""
    buffer, start = b"", time.monotonic()
    while time.monotonic() - start < seconds:
        try:
            chunk = os.read(master, 4096)
        except (BlockingIOError, OSError):
            time.sleep(0.002)
            continue
        if raw is not None:
            raw += chunk
        buffer += chunk
        while LF in buffer:
            line, buffer = buffer.split(LF, 1)
            frame = line[line.find(STX):] + LF
            if frames is not None:
                frames.append((time.monotonic(), frame))
            out = answer(frame)
            if out:
                time.sleep(0.01)
                for byte in out:
                    os.write(master, bytes([byte]))
                    time.sleep(BYTE_TIME)
        buffer = buffer.lstrip(b"\x00")


class StatusLine:
    """Controllers that answer identification and status reads with fixed registers 507, 506,
    1, 2, 3, 6, 7, 16, 31, 32, 131, 201, 202, 205, 207, 208 (by device number); the others stay
    silent."""

    def __init__(self, registers):
        self.registers = registers

    def answer(self, frame):
        request = addressed(frame, set(self.registers))
        if not request:
            return None
        device, body = request
        if body[2:5] == b"WHO":
            return reply(body[0:2] + b"WHO,OK,ZQ500")
        if body[2:5] == b"DRR":
            count = int(body[6:8])
            values = b"".join(b",%04X" % v for v in self.registers[device][:count])
            return reply(body[0:2] + b"DRR,OK" + values)
        return None


def free_display(first):
    for n in range(first, first + 30):
        if not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise RuntimeError("no free X display")


class MonitorSession:
    """Use with `with`: on entry the monitor runs and F5 has been pressed; `master` is the line's
    end of the pseudo-terminal, `work` the program folder; everything is gone on exit."""

    def __init__(self, program, first_display, prepare=None):
        """prepare(session), when given, adds to the program folder before the monitor starts."""
        self.program = program
        self.first_display = first_display
        self.prepare = prepare
        self.work = tempfile.mkdtemp()
        self.procs = []
        self.env = None
        self.master = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        self.master, slave = os.openpty()
        tty.setraw(slave)
        os.set_blocking(self.master, False)
        shutil.copy(self.program, os.path.join(self.work, "ZQ410"))
        os.makedirs(os.path.join(self.work, "CFG"))
        self.write("Comm.CFG", os.ttyname(slave).encode() + b"\r\n9600\r\nN\r\n8\r\n1\r\nSUM\r\n")
        self.write(os.path.join("CFG", "SetMulti.INI"),
                   b"".join(b"O\t\r\n" if n <= 3 else b"X\t\r\n" for n in range(1, 100)))
        if self.prepare:
            self.prepare(self)
        display = free_display(self.first_display)
        self.env = dict(os.environ, DISPLAY=":%d" % display, HOME=self.work,
                        QT_QPA_PLATFORM="xcb")
        self.procs.append(subprocess.Popen(
            ["Xvfb", ":%d" % display, "-screen", "0", "1280x900x24"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(1.0)
        self.procs.append(subprocess.Popen([os.path.join(self.work, "ZQ410")], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        main_window = self.window("ZQ410 V1.0.0")
        subprocess.run(["xdotool", "windowfocus", "--sync", main_window, "key", "F5"],
                       env=self.env, check=True, timeout=30)

    def write(self, name, contents):
        with open(os.path.join(self.work, name), "wb") as f:
            f.write(contents)

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def window(self, name):
        """The id of the window with that title, once it is up (30 s at most)."""
        return subprocess.run(["xdotool", "search", "--sync", "--name", name], env=self.env,
                              capture_output=True, text=True, timeout=30).stdout.split()[0]

    def focus(self, window):
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=self.env, check=True,
                       timeout=30)

    def key(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "150"] + list(keys), env=self.env,
                       check=True, timeout=30)

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.work, ignore_errors=True)
        return False
