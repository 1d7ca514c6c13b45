"""Shift_JIS (code page 932) helpers for the host's screens."""

from __future__ import annotations

ENCODING = "cp932"


def sj(text: str) -> bytes:
    """Encode a host text; every literal of the host must be encodable."""
    return text.encode(ENCODING)


def sj_lenient(text: str) -> bytes:
    """Encode text that comes from a world file; unencodable characters become '?'."""
    return text.encode(ENCODING, errors="replace")


def to_str(data: bytes) -> str:
    """Decode bytes typed by the user; undecodable bytes become U+FFFD."""
    return data.decode(ENCODING, errors="replace")


def is_lead(byte: int) -> bool:
    """True for a Shift_JIS lead byte."""
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def cut(data: bytes, limit: int) -> bytes:
    """The longest prefix of at most limit bytes that does not split a character."""
    if len(data) <= limit:
        return data
    end = 0
    i = 0
    while i < limit:
        step = 2 if is_lead(data[i]) else 1
        if i + step > limit:
            break
        i += step
        end = i
    return data[:end]


def field(data: bytes, width: int) -> bytes:
    """Cut to width bytes and pad with blanks to exactly width bytes."""
    data = cut(data, width)
    return data + b" " * (width - len(data))


def last_char_length(data: bytes) -> int:
    """Length in bytes of the last character of a well-formed Shift_JIS text."""
    i = 0
    last = 0
    while i < len(data):
        last = 2 if is_lead(data[i]) and i + 1 < len(data) else 1
        i += last
    return last


def jis_pair(j1: int, j2: int) -> bytes:
    """One JIS X 0208 character (two 7-bit bytes) as Shift_JIS."""
    s1 = ((j1 + 1) >> 1) + 0x70
    if s1 > 0x9F:
        s1 += 0x40
    if j1 & 1:
        s2 = j2 + 0x1F
        if s2 >= 0x7F:
            s2 += 1
    else:
        s2 = j2 + 0x7E
    return bytes((s1, s2))


def iso2022jp_line_to_sjis(line: bytes) -> bytes:
    """Convert the 7-bit ISO-2022-JP runs of one line to Shift_JIS.

    The gateway shows mail this way because a Shift_JIS terminal would drop the
    ESC bytes. Every line starts in ASCII; no ESC byte survives.
    """
    if b"\x1b" not in line:
        return line
    out = bytearray()
    mode = "ascii"
    i = 0
    n = len(line)
    while i < n:
        b = line[i]
        if b == 0x1B:
            seq = line[i + 1:i + 3]
            if seq in (b"$B", b"$@"):
                mode = "kanji"
                i += 3
            elif seq in (b"(B", b"(J"):
                mode = "ascii"
                i += 3
            elif seq == b"(I":
                mode = "kana"
                i += 3
            else:
                i += 1  # an unknown escape: drop the ESC byte only
            continue
        if mode == "kanji" and 0x21 <= b <= 0x7E and i + 1 < n and 0x21 <= line[i + 1] <= 0x7E:
            out += jis_pair(b, line[i + 1])
            i += 2
            continue
        if mode == "kana" and 0x21 <= b <= 0x5F:
            out.append(b + 0x80)
        else:
            out.append(b)
        i += 1
    return bytes(out)
