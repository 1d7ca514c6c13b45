"""Parsing of the short commands that callers type."""

from __future__ import annotations

import re

MAX_NUMBERS = 1000
_NUMBER_LIST = re.compile(r"^\d+(-\d+)?(,\d+(-\d+)?)*$")


def parse_numbers(text: str) -> list[int] | None:
    """"3", "1,2,5" or "2-4" -> the numbers in the order given; None if malformed."""
    text = text.replace(" ", "")
    if not _NUMBER_LIST.match(text):
        return None
    numbers: list[int] = []
    for part in text.split(","):
        first, _, last = part.partition("-")
        lo = int(first)
        hi = int(last) if last else lo
        if hi < lo or hi - lo + len(numbers) >= MAX_NUMBERS:
            return None
        numbers.extend(range(lo, hi + 1))
    return numbers


def split_command(cmd: str, names: tuple[str, ...]) -> tuple[str, str] | None:
    """"RB12" -> ("RB", "12") for the longest name in names that cmd starts with."""
    for name in sorted(names, key=len, reverse=True):
        if cmd.startswith(name):
            return name, cmd[len(name):]
    return None
