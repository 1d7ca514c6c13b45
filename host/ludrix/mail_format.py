"""The fixed layouts of the mail screens, as bytes.

The columns are fixed; how numbers and dates fill them, the first header line and
the spacing of the header follow the host's settings (settings.py).
"""

from __future__ import annotations

import datetime as _dt

from .clock import hhmmss, yymmdd
from .settings import HostSettings
from .sjis import cut, field, iso2022jp_line_to_sjis, sj, sj_lenient
from .world import NETWORK_PREFIXES, Mail, SentRecord

WIDTH = 80
SENDER_AT = 29        # received list: where the sender starts
CONTINUATION_AT = 9   # received list: where a long address goes on
NAME_AT = 42          # both lists: where the name after an 8-byte ID starts
ADDRESSEE_AT = 31     # sent list: where the addressee starts
SUBJECT_PAD = b" " * 12
FILE_PAD = b"     ***   "
STATES = {"unread": "　未　", "read": "　済　", "forwarded": "　転　"}
KEEP_DAYS = 30
MAX_NUMBER = 9999     # the number column holds four digits
DEFAULT = HostSettings()
NUMBER_FORMS = {"right": "{:4d}", "left": "{:<4d}", "zero": "{:04d}"}


def number_field(number: int, settings: HostSettings) -> str:
    """The four-byte number column: digits and blanks."""
    return NUMBER_FORMS[settings.list_numbers].format(number)


def day(when: _dt.datetime, settings: HostSettings) -> str:
    return yymmdd(when, settings.date_padding == "blank")


def time_of_day(when: _dt.datetime, settings: HostSettings, seconds: bool = True) -> str:
    return hhmmss(when, settings.date_padding == "blank", seconds)


def is_network(address: str) -> bool:
    return address.startswith(NETWORK_PREFIXES)


def _subject_line(subject: str, file: bool, settings: HostSettings) -> bytes:
    pad = FILE_PAD if file else SUBJECT_PAD
    return pad + cut(sj_lenient(subject), min(settings.list_subject_width, WIDTH - len(pad)))


def list_entry(number: int, mail: Mail, settings: HostSettings = DEFAULT) -> list[bytes]:
    """A received-mail entry: two lines, three when the address does not fit.

    Bytes 0-3 number, 5-12 received date, 13-18 state, 19-26 keep-until date,
    29- sender (an 8-byte ID with its name at byte 42, or a gateway address);
    the subject line has "***" at byte 5 for a file mail.
    """
    head = (sj(f"{number_field(number, settings)} {day(mail.date, settings)}{STATES[mail.state]}")
            + sj(day(mail.date + _dt.timedelta(days=KEEP_DAYS), settings)) + b"  ")
    lines: list[bytes]
    if is_network(mail.sender):
        address = sj_lenient(mail.sender)
        room = WIDTH - SENDER_AT
        lines = [head + address[:room]]
        if len(address) > room:
            lines.append(b" " * CONTINUATION_AT + address[room:room + WIDTH - CONTINUATION_AT])
    else:
        lines = [head + field(sj(mail.sender), NAME_AT - SENDER_AT)
                 + cut(sj_lenient(mail.sender_name), WIDTH - NAME_AT)]
    lines.append(_subject_line(mail.subject, mail.file is not None, settings))
    return lines


def header_block(mail: Mail, recipient_name: str, settings: HostSettings = DEFAULT) -> list[bytes]:
    """What RB shows before the text: a first line with the key and the date, then
    labelled lines.

    The first line is 38 bytes "#dddddddd", the date at byte 18 (setting "key"), or
    the date and time in its first 18 bytes and the key after them ("date"); an
    empty line may follow it. "発信者：" carries an 8-byte ID at byte 8 with the
    name at byte 22, or a gateway address followed by two blanks and the name;
    further "受信者：" lines may follow the first; "文書名：" is last.
    """
    key = f"#{mail.key % 100_000_000:08d}"
    when = f"{day(mail.date, settings)}    {time_of_day(mail.date, settings)}"
    if settings.header_first_line == "date":
        stamp = sj(f"{day(mail.date, settings)} {time_of_day(mail.date, settings)}  {key}")
    else:
        stamp = sj(f"{key}{' ' * 9}{when}")
    if is_network(mail.sender):
        sender = sj_lenient(mail.sender) + (b"  " + sj_lenient(mail.sender_name)
                                            if mail.sender_name else b"")
    else:
        sender = field(sj(mail.sender), 14) + sj_lenient(mail.sender_name)
    lines = [stamp] + ([b""] if settings.header_gap else [])
    lines += [sj("発信者：") + sender,
              sj("受信者：") + field(sj(mail.recipient), 14) + sj_lenient(recipient_name)]
    lines += [sj(f"受信者：CC{n:06d}      同報{n}") for n in range(1, settings.extra_recipients + 1)]
    if mail.file is not None:
        lines.append(sj("ファイル：") + sj_lenient(mail.file.name)
                     + sj(f"（{mail.file.size}バイト）"))
    lines.append(sj("文書名：" + settings.title_blank) + sj_lenient(mail.subject))
    return lines


def text_lines(mail: Mail) -> list[bytes]:
    """The text as the host shows it; internet mail already in Shift_JIS."""
    if mail.raw is None:
        return [sj_lenient(line) for line in mail.body]
    raw = mail.raw.replace("\r\n", "\n").split("\n")
    return [iso2022jp_line_to_sjis(sj_lenient(line)) for line in raw]


def sent_entry(number: int, record: SentRecord, settings: HostSettings = DEFAULT) -> list[bytes]:
    """A sent-list entry: number, send date, confirmation at byte 15, addressee at 31."""
    if record.error:
        confirmed = field(sj("宛先エラー"), 14)
    elif record.confirmed is not None:
        c = record.confirmed
        confirmed = sj(f"{day(c, settings)} {time_of_day(c, settings, seconds=False)}")
    else:
        confirmed = field(sj("未確認"), 14)
    head = sj(f"{number_field(number, settings)} {day(record.date, settings)}  ") + confirmed + b"  "
    if is_network(record.to):
        addressee = sj_lenient(record.to)
    else:
        addressee = field(sj(record.to), NAME_AT - ADDRESSEE_AT) + sj_lenient(record.to_name)
    tail = sj("  転") if record.forwarded else b""
    return [head + addressee + tail, _subject_line(record.subject, record.file, settings)]
