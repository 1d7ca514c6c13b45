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


def yymmdd(when: _dt.datetime) -> str:
    """"99/12/31": the date form of the host's lists."""
    return when.strftime("%y/%m/%d")


def hhmmss(when: _dt.datetime) -> str:
    return when.strftime("%H:%M:%S")
