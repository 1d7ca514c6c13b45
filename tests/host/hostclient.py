"""Starts ludrix-host on an ephemeral port and talks to it like a terminal."""

from __future__ import annotations

import faulthandler
import json
import os
import select
import socket
import subprocess
import sys
import tempfile
import time
from typing import Any

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HOST_DIR = os.path.join(ROOT, "host")
HOST_SCRIPT = os.path.join(HOST_DIR, "ludrix-host")
SAMPLE_WORLD = os.path.join(HOST_DIR, "worlds", "sample.json")
if HOST_DIR not in sys.path:
    sys.path.insert(0, HOST_DIR)

DEADLINE = 10.0
# Under CTest a module that hangs prints every thread's stack before its time runs out.
if os.environ.get("MORVALINE_HOST_TEST_WATCHDOG"):
    faulthandler.dump_traceback_later(float(os.environ["MORVALINE_HOST_TEST_WATCHDOG"]), exit=True)
IAC, DONT, DO, WONT, WILL, SB, SE = 255, 254, 253, 252, 251, 250, 240


def sj(text: str | bytes) -> bytes:
    return text if isinstance(text, bytes) else text.encode("cp932")


class HostProcess:
    """ludrix-host as a child process; the world is a dict written to a temp file."""

    def __init__(self, *args: str, world: dict[str, Any] | None = None, modem: bool = False) -> None:
        self.dir = tempfile.TemporaryDirectory(prefix="ludrix-test-")
        self.world_path = os.path.join(self.dir.name, "world.json")
        self.modem_path = os.path.join(self.dir.name, "modem")
        if modem:  # "--modem ''" in args names the link in the temporary folder
            args = tuple(self.modem_path if a == "" else a for a in args)
        argv = [sys.executable, HOST_SCRIPT, "--port", "0", *args]
        if world is not None:
            with open(self.world_path, "w", encoding="utf-8") as fh:
                json.dump(world, fh, ensure_ascii=False)
            argv += ["--world", self.world_path]
        self.proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self._out = b""
        line = self._first_line()
        prefix = b"ludrix-host listening on 127.0.0.1:"
        if not line.startswith(prefix):
            self.stop()
            raise RuntimeError(f"host did not start: {line!r} {self.proc.stderr.read()!r}")
        self.port = int(line[len(prefix):])
        if modem and not self._first_line().startswith(b"ludrix-host modem on "):
            self.stop()
            raise RuntimeError("the modem did not come up")

    def _first_line(self) -> bytes:
        """The next line of the host's standard output (read unbuffered, so that
        two lines written at once are not lost to a buffer select cannot see)."""
        assert self.proc.stdout is not None
        fd = self.proc.stdout.fileno()
        deadline = time.monotonic() + DEADLINE
        while b"\n" not in self._out:
            ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(fd, 4096) if ready else b""
            if not chunk:
                return b""
            self._out += chunk
        line, _, self._out = self._out.partition(b"\n")
        return line.strip()

    def connect(self) -> "Terminal":
        return Terminal(self.port)

    def saved_world(self) -> dict[str, Any]:
        with open(self.world_path, encoding="utf-8") as fh:
            return json.load(fh)

    def stop(self) -> None:
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(DEADLINE)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for stream in (self.proc.stdout, self.proc.stderr):
            if stream is not None:
                stream.close()
        self.dir.cleanup()

    def __enter__(self) -> "HostProcess":
        return self

    def __exit__(self, *exc: object) -> None:
        self.stop()


class Terminal:
    """A minimal Telnet client: offers what the real client offers, answers the
    host's requests once, and keeps the data bytes it received."""

    def __init__(self, port: int) -> None:
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=DEADLINE)
        self.data = bytearray()      # data bytes not yet consumed by expect()
        self.transcript = bytearray()  # every data byte received
        self.negotiation = bytearray()  # every Telnet command received
        self.closed = False
        self._pending = bytearray()
        self._answered: set[tuple[int, int]] = set()
        self.sock.sendall(bytes((IAC, DO, 3, IAC, WILL, 3, IAC, DO, 1, IAC, DO, 0, IAC, WILL, 0)))

    def close(self) -> None:
        self.sock.close()

    def __enter__(self) -> "Terminal":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def send(self, text: str | bytes) -> None:
        self.sock.sendall(sj(text).replace(b"\xff", b"\xff\xff"))

    def _receive(self, deadline: float) -> bool:
        """Read once; False when the deadline passed or the line closed."""
        remaining = deadline - time.monotonic()
        if remaining <= 0 or self.closed:
            return False
        self.sock.settimeout(remaining)
        try:
            chunk = self.sock.recv(65536)
        except socket.timeout:
            return False
        except ConnectionError:
            chunk = b""
        if not chunk:
            self.closed = True
            return False
        self._pending += chunk
        self._parse()
        return True

    def _parse(self) -> None:
        buf = self._pending
        i = 0
        while i < len(buf):
            if buf[i] != IAC:
                j = buf.find(IAC, i)
                end = len(buf) if j < 0 else j
                self.data += buf[i:end]
                self.transcript += buf[i:end]
                i = end
                continue
            if i + 1 >= len(buf):
                break
            verb = buf[i + 1]
            if verb == IAC:
                self.data.append(IAC)
                self.transcript.append(IAC)
                i += 2
            elif verb in (WILL, WONT, DO, DONT):
                if i + 2 >= len(buf):
                    break
                self.negotiation += buf[i:i + 3]
                self._answer(verb, buf[i + 2])
                i += 3
            elif verb == SB:
                end = buf.find(bytes((IAC, SE)), i)
                if end < 0:
                    break
                self.negotiation += buf[i:end + 2]
                if buf[i + 2:end] == bytes((24, 1)):
                    self._reply(bytes((IAC, SB, 24, 0)) + b"UNKNOWN" + bytes((IAC, SE, 0)))
                i = end + 2
            else:
                self.negotiation += buf[i:i + 2]
                i += 2
        del buf[:i]

    def _answer(self, verb: int, option: int) -> None:
        if (verb, option) in self._answered:
            return
        self._answered.add((verb, option))
        if verb == DO and option == 24:
            self._reply(bytes((IAC, WILL, 24)))

    def _reply(self, data: bytes) -> None:
        try:
            self.sock.sendall(data)
        except OSError:
            pass  # the host is closing the line; what it sent is still read

    def expect(self, text: str | bytes, timeout: float = DEADLINE) -> bytes:
        """Everything up to and including text; fails when it does not come."""
        want = sj(text)
        deadline = time.monotonic() + timeout
        while True:
            at = self.data.find(want)
            if at >= 0:
                got = bytes(self.data[:at + len(want)])
                del self.data[:at + len(want)]
                return got
            if not self._receive(deadline):
                raise AssertionError(
                    f"did not see {want.decode('cp932', 'replace')!r}; got "
                    f"{bytes(self.data[-600:]).decode('cp932', 'replace')!r}"
                    + (" (line closed)" if self.closed else ""))

    def expect_negotiation(self, sequence: bytes, timeout: float = DEADLINE) -> None:
        deadline = time.monotonic() + timeout
        while sequence not in self.negotiation:
            if not self._receive(deadline):
                raise AssertionError(f"no {sequence!r} in {bytes(self.negotiation)!r}")

    def read_bytes(self, count: int, timeout: float = DEADLINE) -> bytes:
        deadline = time.monotonic() + timeout
        while len(self.data) < count:
            if not self._receive(deadline):
                raise AssertionError(f"only {len(self.data)} of {count} bytes came")
        got = bytes(self.data[:count])
        del self.data[:count]
        return got

    def wait_closed(self, timeout: float = DEADLINE) -> bool:
        deadline = time.monotonic() + timeout
        while not self.closed and self._receive(deadline):
            pass
        return self.closed

    def quiet_for(self, seconds: float) -> bool:
        """True when nothing at all arrives for this long (used only to check silence)."""
        before = len(self.transcript) + len(self.negotiation)
        deadline = time.monotonic() + seconds
        while self._receive(deadline):
            pass
        return len(self.transcript) + len(self.negotiation) == before and not self.closed

    def command(self, text: str, then: str) -> bytes:
        """Send a line ended by CR and return what came up to then."""
        self.send(text + "\r")
        return self.expect(then)

    def login(self, user_id: str = "MVL00001", password: str = "morvaline") -> bytes:
        self.expect("HOST NAME }")
        self.send("LUDRIX\r")
        self.expect("USER_ID:")
        return self.log_in_as(user_id, password)

    def log_in_as(self, user_id: str = "MVL00001", password: str = "morvaline") -> bytes:
        """The ID at the prompt just shown, then the password; the screens up to the menu."""
        self.send(user_id + "\r")
        self.expect("PASSWORD: ")
        self.send(password + "\r")
        return self.expect("番号またはコマンド(H,Q,J)=")
