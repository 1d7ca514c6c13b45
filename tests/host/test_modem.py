"""The host answering as a Hayes modem on a pseudo-terminal."""

import os
import select
import time
import tty
import unittest

import hostclient
from hostclient import HostProcess, sj
from ludrix.modem import scan


class ScanTest(unittest.TestCase):
    def test_dial_and_echo_commands(self):
        rows = [("init string", "ATE1Q0V1&C1&D2&S1S0=0", (-1, True)),
                ("echo off", "ATE0", (-1, False)),
                ("dial after extended commands", "AT&Q5%C1DT0 1234", (8, None)),
                ("register before the dial", "ATS7=60DP123", (7, None)),
                ("no command", "AT", (-1, None))]
        for name, command, expected in rows:
            with self.subTest(name):
                self.assertEqual(scan(command), expected)


class PtyCaller:
    """The caller's side of the pseudo-terminal, in raw mode."""

    def __init__(self, path: str) -> None:
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)
        self.data = b""

    def close(self) -> None:
        os.close(self.fd)

    def send(self, text: str) -> None:
        os.write(self.fd, sj(text))

    def read(self, deadline: float) -> bytes:
        """What arrives before the deadline; b"" when nothing did or the line dropped
        (a hung-up device reads end of file or EIO)."""
        ready, _, _ = select.select([self.fd], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            return b""
        try:
            return os.read(self.fd, 4096)
        except OSError:
            return b""

    def expect(self, text: str) -> bytes:
        want = sj(text)
        deadline = time.monotonic() + hostclient.DEADLINE
        while want not in self.data:
            chunk = self.read(deadline)
            if not chunk:
                raise AssertionError(f"no {text!r} in {self.data[-300:]!r}")
            self.data += chunk
        end = self.data.index(want) + len(want)
        got, self.data = self.data[:end], self.data[end:]
        return got


class ModemTest(unittest.TestCase):
    def caller(self, *args) -> PtyCaller:
        host = HostProcess("--seed", "1", "--users", "2", "--mails", "0", "--notices", "0",
                           "--modem", "", *args, modem=True)
        self.addCleanup(host.stop)
        self.modem_path = host.modem_path
        caller = PtyCaller(host.modem_path)
        self.addCleanup(caller.close)
        return caller

    def test_dial_login_and_hang_up(self):
        caller = self.caller()
        caller.send("ATZ\r")
        caller.expect("\nOK")
        caller.send("ATE1Q0V1&C1&D2&S1S0=0\r")
        caller.expect("\nOK")
        caller.send("ATDT0 1234-5678\r")
        caller.expect("CONNECT 38400\r\n")
        caller.expect("HOST NAME }")
        caller.send("LUDRIX\r")
        caller.expect("USER_ID:")
        caller.send("MVL00001\r")
        caller.expect("PASSWORD: ")
        caller.send("morvaline\r")
        caller.expect("(H,Q,J)=")
        caller.send("Q\r")
        caller.expect("ご利用ありがとうございました")
        caller.expect("\r\nNO CARRIER\r\n")
        caller.send("AT\r")
        caller.expect("\nOK")

    def test_busy_line(self):
        caller = self.caller("--busy")
        caller.send("ATDT1\r")
        caller.expect("\r\nBUSY\r\n")

    def test_refused_command_and_speed(self):
        caller = self.caller("--modem-error", "ATZ", "--modem-speed", "9600")
        caller.send("ATZ\r")
        caller.expect("\nERROR")
        caller.send("ATDT1\r")
        caller.expect("CONNECT 9600\r\n")

    def test_dropped_carrier_and_the_next_call(self):
        caller = self.caller("--drop-carrier", "--close-after", "20")
        caller.send("ATDT1\r")
        # The line drops after 20 bytes, and the hang-up throws away what the caller
        # has not read yet: read until the device reports the lost line.
        deadline = time.monotonic() + hostclient.DEADLINE
        while caller.read(deadline):
            pass
        self.assertLess(time.monotonic(), deadline, "the carrier never dropped")
        # A new device is linked for the next call.
        again = PtyCaller(self.modem_path)
        self.addCleanup(again.close)
        again.send("AT\r")
        again.expect("\nOK")


if __name__ == "__main__":
    unittest.main()
