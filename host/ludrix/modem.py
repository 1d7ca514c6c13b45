"""A Hayes modem on a pseudo-terminal: AT commands, then a session without Telnet."""

from __future__ import annotations

import asyncio
import errno
import fcntl
import os
import struct
import termios
import tty
from typing import TYPE_CHECKING

from .faults import FaultPlan, OutputFaults
from .line import HostLine

if TYPE_CHECKING:
    from .server import Host

DIAL_ANSWERS = ("CONNECT", "BUSY", "NO CARRIER", "NO DIALTONE", "NO ANSWER", "ERROR")
SPEED = 38400
IDLE_POLL = 0.1  # seconds between looks at a device that nobody has open
DELIVERY_WAIT = 10.0  # at most this long for the caller to read what was sent before a drop
LINE_LIMIT = 256


def scan(command: str) -> tuple[int, bool | None]:
    """(index of the dial command "D" or -1, the echo asked for by E0/E1 or None).

    "&D2", "%C1", "S0=0" and the like carry letters that are not commands.
    """
    echo = None
    i = 2
    while i < len(command):
        c = command[i]
        if c in "&\\%":
            i += 2
        elif c == "S":
            i += 1
            while i < len(command) and (command[i].isdigit() or command[i] in "=?"):
                i += 1
            continue
        elif c == "D":
            return i, echo
        elif c == "E":
            echo = command[i + 1:i + 2] != "0"
            i += 1
        else:
            i += 1
        while i < len(command) and command[i].isdigit():
            i += 1
    return -1, echo


class CarrierDropped(Exception):
    """A call ended with the carrier dropped: the device is closed and made anew."""


class Modem:
    """Answers AT commands on a pseudo-terminal whose slave side is linked at path.

    errors: commands answered ERROR; speed: the speed CONNECT reports; drop_carrier: a
    call that has faults ends with the modem closing its side of the pseudo-terminal (the
    only way a pseudo-terminal shows a lost carrier) and opening a new one at the same path.
    """

    def __init__(self, host: Host, path: str, answer: str = "CONNECT",
                 errors: tuple[str, ...] = (), speed: int = SPEED,
                 drop_carrier: bool = False) -> None:
        self.host = host
        self.path = path
        self.answer = answer
        self.errors = {e.strip().upper() for e in errors}
        self.speed = speed
        self.drop_carrier = drop_carrier
        self.echo = True
        self.device = ""  # the slave side of the current pseudo-terminal

    def open(self) -> int:
        master, slave = os.openpty()
        tty.setraw(slave)
        device = os.ttyname(slave)
        os.close(slave)
        self.device = device
        fcntl.fcntl(master, fcntl.F_SETFL, fcntl.fcntl(master, fcntl.F_GETFL) | os.O_NONBLOCK)
        if os.path.islink(self.path):
            os.unlink(self.path)
        os.symlink(device, self.path)
        return master

    async def serve(self, master: int) -> None:
        """One caller after another: wait until the device is opened, then talk."""
        while True:
            first = await self._attached(master)
            reader, read_transport, writer = await self._streams(master)
            reader.feed_data(first)
            try:
                await self._commands(reader, writer)
            except CarrierDropped:
                await self._delivered(writer)
                # The new device is linked before the old one closes: a caller that sees
                # its line lost finds the next one at the path.
                dropped, master = master, self.open()
                os.close(dropped)
                self.echo = True
            finally:
                writer.close()
                read_transport.close()

    async def _delivered(self, writer: asyncio.StreamWriter) -> None:
        """Waits, for at most DELIVERY_WAIT, until the caller has read everything sent.

        Bytes sent before a real carrier drops reach the caller, but closing a
        pseudo-terminal throws away what its reader has not taken yet; without this wait a
        slow caller would lose, say, the blocks of a transfer that the host had sent."""
        try:
            probe = os.open(self.device, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        except OSError:
            return
        loop = asyncio.get_running_loop()
        deadline = loop.time() + DELIVERY_WAIT
        quiet_looks = 0
        try:
            # Two empty looks in a row: bytes just written may not have reached the queue.
            while quiet_looks < 2 and loop.time() < deadline:
                unread = struct.unpack("i", fcntl.ioctl(probe, termios.FIONREAD, b"\0" * 4))[0]
                pending = writer.transport.get_write_buffer_size()
                quiet_looks = quiet_looks + 1 if unread == 0 and pending == 0 else 0
                await asyncio.sleep(IDLE_POLL / 10)
        except OSError:
            pass  # the device is gone: nothing more can be delivered
        finally:
            os.close(probe)

    async def _attached(self, master: int) -> bytes:
        while True:
            try:
                return os.read(master, 4096)
            except BlockingIOError:
                return b""
            except OSError as exc:
                if exc.errno != errno.EIO:
                    raise
            await asyncio.sleep(IDLE_POLL)

    async def _streams(self, master: int):
        loop = asyncio.get_running_loop()
        reader = asyncio.StreamReader()
        read_transport, _ = await loop.connect_read_pipe(
            lambda: asyncio.StreamReaderProtocol(reader), os.fdopen(os.dup(master), "rb", 0))
        write_transport, protocol = await loop.connect_write_pipe(
            asyncio.streams.FlowControlMixin, os.fdopen(os.dup(master), "wb", 0))
        writer = asyncio.StreamWriter(write_transport, protocol, reader, loop)
        return reader, read_transport, writer

    async def _commands(self, reader: asyncio.StreamReader, writer: asyncio.StreamWriter) -> None:
        """Command mode until the caller closes the device."""
        line = bytearray()
        while True:
            try:
                chunk = await reader.read(4096)
            except OSError:
                return
            if not chunk:
                return
            for b in chunk:
                if self.echo:
                    writer.write(bytes((b,)))
                if b == 0x0D:
                    command = line.decode("ascii", errors="replace").strip().upper()
                    line.clear()
                    if command.startswith("AT"):
                        await self._command(command, reader, writer)
                elif b == 0x08 and line:
                    line.pop()
                elif b >= 0x20 and len(line) < LINE_LIMIT:
                    line.append(b)
            await writer.drain()

    async def _command(self, command: str, reader: asyncio.StreamReader,
                       writer: asyncio.StreamWriter) -> None:
        dial, echo = scan(command)
        if command in self.errors:
            writer.write(b"\r\nERROR\r\n")
            return
        if echo is not None:
            self.echo = echo
        if dial < 0:
            writer.write(b"\r\nOK\r\n")
            return
        index = self.host.next_index()
        faults = OutputFaults(self.host.options.faults, index)
        answer = "BUSY" if faults.plan.busy else self.answer
        if answer != "CONNECT":
            writer.write(f"\r\n{answer}\r\n".encode("ascii"))
            return
        writer.write(f"\r\nCONNECT {self.speed}\r\n".encode("ascii"))

        async def no_carrier() -> None:
            try:
                writer.write(b"\r\nNO CARRIER\r\n")
                await writer.drain()
            except (ConnectionError, OSError):
                pass  # the caller has closed the device already

        line = HostLine(reader, writer, None, faults, self.host.options.idle_timeout, no_carrier)
        await self.host.run_session(line, index)
        # Only a call that faults break off drops the carrier: closing the device throws
        # away what the caller has not read yet, such as the farewell of a logout.
        if self.drop_carrier and faults.plan != FaultPlan():
            raise CarrierDropped()
