"""Reading Rapidox frames and packets from a line, with time-outs."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Protocol

from .rapidox import (BLOCK, CONTROL_BYTES, CR, FILE_HEADER, MAX_PACKET, PARAMS, END_OF_FILE,
                      SOH, STX, Packet, header_check, parse_packet)

QUIET = 1.0  # seconds that must pass after EOT, ACK, NAK or CAN for it to count


class Channel(Protocol):
    """The byte side of a line (HostLine provides it)."""

    async def read_byte(self, timeout: float | None) -> int | None: ...
    async def read_bytes(self, count: int, timeout: float | None) -> bytes | None: ...
    def pending(self) -> int: ...
    def write(self, data: bytes) -> None: ...
    async def flush(self) -> None: ...


class Timeout:
    """Nothing came in time."""


class Bad:
    """A frame or packet whose check failed."""


TIMEOUT, BAD = Timeout(), Bad()


@dataclass(frozen=True)
class Data:
    number: int
    payload: bytes


@dataclass(frozen=True)
class Header:
    kind: int
    data: bytes


@dataclass(frozen=True)
class Control:
    byte: int


Frame = Data | Header | Control | Timeout | Bad
Reply = Packet | Control | Timeout | Bad


async def read_frame(ch: Channel, timeout: float, data_ok: bool, quiet: float = QUIET) -> Frame:
    """The next block or lone control byte (receiver side)."""
    lead: int | None = None
    while True:
        b = lead if lead is not None else await ch.read_byte(timeout)
        lead = None
        if b is None:
            return TIMEOUT
        if b in CONTROL_BYTES:
            lead = await ch.read_byte(quiet)  # a byte that follows makes it noise
            if lead is None:
                return Control(b)
            continue
        if b != SOH:
            continue
        head = await ch.read_bytes(2, timeout)
        if head is None:
            return TIMEOUT
        b1, b2 = head
        is_header = b1 == 0 and b2 in (PARAMS, FILE_HEADER, END_OF_FILE)
        if not is_header and not (data_ok and b1 + b2 == 0xFF):
            continue
        rest = await ch.read_bytes(BLOCK + 1, timeout)
        if rest is None:
            return TIMEOUT
        payload, check = rest[:BLOCK], rest[BLOCK]
        expected = header_check(b2, payload) if is_header else sum(payload) & 0xFF
        if check != expected:
            return BAD
        return Header(b2, payload) if is_header else Data(b1, payload)


async def read_reply(ch: Channel, timeout: float, quiet: float = QUIET) -> Reply:
    """The next packet or lone control byte (sender side)."""
    lead: int | None = None
    while True:
        b = lead if lead is not None else await ch.read_byte(timeout)
        lead = None
        if b is None:
            return TIMEOUT
        if b in CONTROL_BYTES:
            lead = await ch.read_byte(quiet)  # a byte that follows makes it noise
            if lead is None:
                return Control(b)
            continue
        if b != STX:
            continue
        body = bytearray((STX,))
        while len(body) <= MAX_PACKET:
            c = await ch.read_byte(timeout)
            if c is None:
                return TIMEOUT
            if c == CR:
                packet = parse_packet(bytes(body))
                return packet if packet is not None else BAD
            body.append(c)
