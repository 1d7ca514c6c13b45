"""The host's clock and the date forms it writes."""

from __future__ import annotations

import datetime as _dt

TIME_FORMAT = "%Y/%m/%d %H:%M:%S"


class Clock:
    """Local wall time, or a fixed time given on the command line."""

    def __init__(self, fixed: _dt.datetime | None = None) -> None:
        self._fixed = fixed

    def now(self) -> _dt.datetime:
        if self._fixed is not None:
            return self._fixed
        return _dt.datetime.now().replace(microsecond=0)


def parse_time(text: str) -> _dt.datetime:
    """Read "YYYY/MM/DD HH:MM:SS" (or "HH:MM", or "-" as date separator)."""
    text = text.strip().replace("-", "/").replace("T", " ")
    for form in (TIME_FORMAT, "%Y/%m/%d %H:%M", "%Y/%m/%d"):
        try:
            return _dt.datetime.strptime(text, form)
        except ValueError:
            continue
    raise ValueError(f"not a time: {text!r} (expected YYYY/MM/DD HH:MM:SS)")


def format_time(when: _dt.datetime) -> str:
    return when.strftime(TIME_FORMAT)


def yymmdd(when: _dt.datetime, blanks: bool = False) -> str:
    """"99/01/05": the date form of the host's lists; "99/ 1/ 5" padded with blanks."""
    if blanks:
        return f"{when:%y}/{when.month:2d}/{when.day:2d}"
    return when.strftime("%y/%m/%d")


def hhmmss(when: _dt.datetime, blanks: bool = False, seconds: bool = True) -> str:
    """"09:05:30" or, padded with blanks, " 9:05:30"; without the seconds "09:05"."""
    hour = f"{when.hour:2d}" if blanks else f"{when.hour:02d}"
    return hour + when.strftime(":%M:%S" if seconds else ":%M")
