"""Rapidox frames and packets: building and parsing, no I/O."""

from __future__ import annotations

import datetime as _dt
from dataclasses import dataclass

SOH, STX, EOT, ACK, CR, NAK, CAN, SUB = 0x01, 0x02, 0x04, 0x06, 0x0D, 0x15, 0x18, 0x1A
CONTROL_BYTES = (EOT, ACK, NAK, CAN)
BLOCK = 128
MAX_WINDOW = 25
PARAMS, FILE_HEADER, END_OF_FILE = 0x30, 0x31, 0x32  # header block types "0", "1", "2"
MAX_PACKET = 127  # bytes after STX, CR included

# Results of a transfer, as both sides number them.
OK, CANCELLED, TIMED_OUT, RETRIES, FILE_ERROR, PROTOCOL_ERROR = 0, 2, 4, 5, 6, 7


def blocks_for(size: int) -> int:
    return (size + BLOCK - 1) // BLOCK


def data_block(number: int, payload: bytes) -> bytes:
    """SOH, number, its complement, 128 bytes padded with SUB, sum of the data."""
    payload = payload.ljust(BLOCK, bytes((SUB,)))
    n = number & 0xFF
    return bytes((SOH, n, 0xFF - n)) + payload + bytes((sum(payload) & 0xFF,))


def header_block(kind: int, data: bytes) -> bytes:
    """SOH, 0, type, 128 bytes padded with NUL, sum of everything before."""
    if len(data) > BLOCK:
        raise ValueError("header data longer than a block")
    body = bytes((SOH, 0, kind)) + data.ljust(BLOCK, b"\x00")
    return body + bytes((sum(body) & 0xFF,))


def header_check(kind: int, data: bytes) -> int:
    return (SOH + kind + sum(data)) & 0xFF


def packet(letter: str, fields: bytes = b"") -> bytes:
    """STX, letter, fields, check byte (sum OR 0x80), CR."""
    body = bytes((STX, ord(letter))) + fields
    return body + bytes(((sum(body) & 0xFF) | 0x80, CR))


def number_packet(letter: str, number: int) -> bytes:
    """"A" or "N" with a block number (its low 7 bits travel)."""
    return packet(letter, bytes(((number & 0xFF) | 0x80,)))


def decimal_packet(letter: str, number: int) -> bytes:
    """"P" or "S": 0x80 and a decimal number."""
    return packet(letter, b"\x80" + str(number).encode("ascii"))


@dataclass(frozen=True)
class Packet:
    letter: str
    fields: bytes

    def decimal(self) -> int | None:
        """The number of a "P" or "S" packet, None when malformed."""
        digits = self.fields[1:]
        if self.fields[:1] != b"\x80" or not digits.isdigit() or len(digits) > 9:
            return None
        return int(digits)


def parse_packet(body: bytes) -> Packet | None:
    """body: STX up to the check byte (CR removed); None when the check fails."""
    if len(body) < 3 or body[0] != STX or body[-1] != (sum(body[:-1]) & 0xFF) | 0x80:
        return None
    return Packet(chr(body[1]), body[2:-1])


@dataclass(frozen=True)
class Params:
    p1: int
    window: int
    p3: int
    p4: int

    def accept(self, window: int) -> bytes:
        """The "R" packet that agrees to these parameters with the given window."""
        fields = bytes((0x80, self.p1, 0x30)) + b"%02d" % window
        fields += b"1" if self.p3 > 0x30 else b"0"
        if self.p4 == 0x31:
            fields += b"1"
        return packet("R", fields)


def params_data(window: int) -> bytes:
    return b"10%02d11" % window


def parse_params(data: bytes) -> Params | None:
    """The parameter block's data; a window of 00 is refused."""
    if len(data) < 5 or data[0] not in b"01" or data[1] != 0x30:
        return None
    digits = data[2:4]
    if not digits.isdigit() or int(digits) == 0 or not 0x30 <= data[4] <= 0x38:
        return None
    p4 = data[5] if len(data) > 5 and data[4] != 0x30 else 0x30
    if p4 == 0:
        p4 = 0x30
    if p4 not in b"01":
        return None
    return Params(data[0], int(digits), data[4], p4)


def parse_accept(fields: bytes) -> Params | None:
    """The fields of an "R" packet."""
    if len(fields) < 6 or fields[0] != 0x80:
        return None
    p4 = fields[6] if len(fields) > 6 else 0x30
    return parse_params(fields[1:6] + bytes((p4,)))


@dataclass(frozen=True)
class FileHeader:
    sequence: int
    name: bytes
    size: int
    mtime: _dt.datetime | None


def file_header_data(sequence: int, name: bytes, size: int, mtime: _dt.datetime) -> bytes:
    data = (b"%02d" % (sequence % 100) + name + b"\x00" + str(size).encode("ascii") + b"\x00"
            + mtime.strftime("%Y%m%d%H%M%S").encode("ascii") + b"\x00")
    if len(data) > BLOCK or not name or b"\x00" in name:
        raise ValueError("file name does not fit a header block")
    return data


def parse_file_header(data: bytes) -> FileHeader | None:
    """Strictly inside the 128 bytes: digits, name, NUL, size, NUL, optional time."""
    if len(data) < 5 or not data[:2].isdigit():
        return None
    name_end = data.find(b"\x00", 2)
    if name_end <= 2:
        return None
    size_end = data.find(b"\x00", name_end + 1)
    size_text = data[name_end + 1:size_end]
    if size_end < 0 or not size_text.isdigit() or len(size_text) > 12:
        return None
    stamp = data[size_end + 1:size_end + 15]
    mtime = None
    if stamp[:1] not in (b"", b"\x00"):
        try:
            mtime = _dt.datetime.strptime(stamp.decode("ascii"), "%Y%m%d%H%M%S")
        except (UnicodeDecodeError, ValueError):
            return None
    return FileHeader(int(data[:2]), data[2:name_end], int(size_text), mtime)


def eof_data(count: int) -> bytes:
    return bytes((count & 0xFF, 0x30))
