"""The host's Rapidox receiver: files from the caller (uploads)."""

from __future__ import annotations

import datetime as _dt
from dataclasses import dataclass, field
from typing import Callable

from .faults import TransferFaults
from .line import LineClosed
from .rapidox import (ACK, BLOCK, CAN, CANCELLED, END_OF_FILE, EOT, FILE_ERROR, FILE_HEADER,
                      MAX_WINDOW, NAK, OK, PARAMS, PROTOCOL_ERROR, RETRIES, TIMED_OUT,
                      blocks_for, decimal_packet, number_packet, packet, parse_file_header,
                      parse_params)
from .rapidox_link import BAD, QUIET, TIMEOUT, Channel, Control, Data, Header, read_frame

ATTEMPTS = 10
MAX_UPLOAD = 256 * 1024 * 1024


@dataclass
class InFile:
    name: bytes
    mtime: _dt.datetime | None
    data: bytes


class Failed(Exception):
    def __init__(self, code: int) -> None:
        super().__init__(code)
        self.code = code


@dataclass
class _Progress:
    """One file being received, from block `start` on (the blocks before it were kept
    from an earlier attempt); the blocks of this attempt are numbered from 1."""

    size: int
    start: int = 0
    data: bytearray = field(default_factory=bytearray)
    written: int = 0

    def expected(self) -> int:
        return (self.written + 1) & 0xFF


# What the host kept of an earlier upload of a file, given its name and announced size.
KeptPart = Callable[[bytes, int], bytes]
# Whether the host turns a file down by its name: the caller is told "S" and skips it.
Unwanted = Callable[[bytes], bool]


class Receiver:
    """Receives a batch; every failure but a cancel from the caller ends with one CAN."""

    def __init__(self, ch: Channel, faults: TransferFaults, timeout: float,
                 max_window: int = MAX_WINDOW, quiet: float = QUIET,
                 kept: KeptPart | None = None, unwanted: Unwanted | None = None) -> None:
        self.ch = ch
        self.kept = kept
        self.unwanted = unwanted
        self.skipped: list[bytes] = []
        self.interrupted: InFile | None = None  # the whole blocks of a file that broke off
        self.quiet = quiet
        self.faults = faults
        self.timeout = timeout
        self.window = max_window
        self.ack_every = 1
        self.files: list[InFile] = []
        self.stalled = False

    async def run(self) -> int:
        try:
            reply = await self._handshake()
            await self._batch(reply)
            return OK
        except Failed as failure:
            if failure.code != CANCELLED and not self.stalled:
                self.ch.write(bytes((CAN,)))
                await self.ch.flush()
            return failure.code

    async def _frame(self, data_ok: bool) -> object:
        await self.ch.flush()
        return await read_frame(self.ch, self.timeout, data_ok, self.quiet)

    async def _handshake(self) -> bytes:
        """NAK until the parameters come; the answer is the "R" packet."""
        for _ in range(ATTEMPTS):
            self.ch.write(bytes((NAK,)))
            while True:
                frame = await self._frame(False)
                if frame is TIMEOUT:
                    break
                if frame == Control(CAN):
                    raise Failed(CANCELLED)
                if isinstance(frame, Header) and frame.kind == PARAMS:
                    params = parse_params(frame.data)
                    if params is None:
                        raise Failed(PROTOCOL_ERROR)
                    self.window = min(params.window, self.window)
                    self.ack_every = max(1, self.window // 2)
                    return params.accept(self.window)
        raise Failed(RETRIES)

    async def _batch(self, prepared: bytes) -> None:
        """Headers and files until the caller's lone EOT."""
        expected_sequence = 1
        attempts = 0
        self.ch.write(prepared)
        while True:
            frame = await self._frame(False)
            if frame is TIMEOUT:
                attempts += 1
                if attempts >= ATTEMPTS:
                    raise Failed(RETRIES)
                self.ch.write(prepared)
                continue
            if frame == Control(EOT):
                self.ch.write(bytes((ACK,)))
                await self.ch.flush()
                return
            if frame == Control(CAN):
                raise Failed(CANCELLED)
            if not (isinstance(frame, Header) and frame.kind == FILE_HEADER):
                continue
            header = parse_file_header(frame.data)
            if header is None or header.sequence != expected_sequence:
                raise Failed(PROTOCOL_ERROR)
            if header.size > MAX_UPLOAD:
                raise Failed(FILE_ERROR)
            expected_sequence = (expected_sequence + 1) % 100
            name = header.name.replace(b"\\", b"/").rsplit(b"/", 1)[-1]
            if self.unwanted is not None and self.unwanted(name):
                self.skipped.append(name)
                attempts = 0
                prepared = decimal_packet("S", header.sequence)
                self.ch.write(prepared)
                continue
            progress = self._resume(name, header.size)
            try:
                await self._data(progress)
            except (Failed, LineClosed):
                whole = min(len(progress.data), header.size) // BLOCK * BLOCK
                self.interrupted = InFile(name, header.mtime, bytes(progress.data[:whole]))
                raise
            self.files.append(InFile(name, header.mtime, bytes(progress.data[:header.size])))
            prepared = packet("T", bytes(((progress.written & 0xFF) | 0x80, 0x30)))
            attempts = 0
            self.ch.write(prepared)

    def _resume(self, name: bytes, size: int) -> _Progress:
        """As a receiver resumes a download: a kept part shorter than the file is
        continued at its last whole block; otherwise the file starts anew."""
        kept = self.kept(name, size) if self.kept is not None else b""
        if len(kept) >= size:
            return _Progress(size)
        start = len(kept) // BLOCK
        return _Progress(size, start, bytearray(kept[:start * BLOCK]))

    async def _data(self, p: _Progress) -> None:
        """Start (send "P" with the starting block), Data, Nak and Done, as the caller's
        blocks come.

        "P" and "N" go out on entering their state and again after a time-out
        or a bad block, at most ATTEMPTS times; other frames are just read.
        """
        state = "start"
        resend = True
        countdown = self.ack_every
        attempts = 0
        while True:
            if resend and state != "data":
                if attempts >= ATTEMPTS:
                    raise Failed(RETRIES)
                attempts += 1
                resend = False
                self.ch.write(decimal_packet("P", p.start) if state == "start"
                              else number_packet("N", p.expected()))
            frame = await self._frame(True)
            if isinstance(frame, Data) and frame.number == p.expected():
                fault = await self._fault(p.written + 1)
                if fault == "drop":
                    continue
                if fault == "corrupt":
                    frame = BAD
            if frame == Control(CAN):
                raise Failed(CANCELLED)
            if isinstance(frame, Header) and frame.kind == END_OF_FILE:
                if frame.data[1] != 0x30:
                    raise Failed(PROTOCOL_ERROR)
                if frame.data[0] == p.written & 0xFF:
                    if p.start + p.written != blocks_for(p.size):
                        raise Failed(PROTOCOL_ERROR)
                    return
                if state != "nak":
                    state, attempts = "nak", 0
                resend = True
            elif frame is TIMEOUT or frame is BAD:
                if state == "data":
                    state, attempts = "nak", 0
                resend = True
            elif isinstance(frame, Data):
                if frame.number == p.expected():
                    self._store(p, frame.payload)
                    state, attempts = "data", 0
                    countdown -= 1
                    if countdown == 0:
                        countdown = self.ack_every
                        self.ch.write(number_packet("A", p.written))
                elif state == "data":
                    if (p.expected() - frame.number) & 0xFF > self.window:
                        state, attempts, resend = "nak", 0, True
                    else:
                        self.ch.write(number_packet("A", p.written))

    async def _fault(self, number: int) -> str | None:
        """Apply a fault due at this block: "drop" (ignore it), "corrupt" (take it as bad)."""
        faults = self.faults
        if faults.take("cut", number):
            raise LineClosed("cut by a transfer fault")
        if faults.take("stall", number):
            self.stalled = True
            raise Failed(TIMED_OUT)
        if faults.take("can", number):
            raise Failed(FILE_ERROR)
        for kind in ("drop", "corrupt"):
            if faults.take(kind, number):
                return kind
        return None

    def _store(self, p: _Progress, payload: bytes) -> None:
        if len(p.data) + len(payload) > p.size + 128:
            raise Failed(PROTOCOL_ERROR)
        p.data += payload
        p.written += 1
