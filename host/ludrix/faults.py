"""Faults that the host injects on request, for the client's reliability tests."""

from __future__ import annotations

import math
import random
from dataclasses import dataclass, field

LOGIN_REFUSALS = ("password", "double", "congestion")
TRANSFER_FAULTS = ("drop", "corrupt", "can", "stall", "cut")


@dataclass
class FaultPlan:
    """Faults chosen on the command line; they apply to the first `sessions` lines."""

    close_after: int | None = None   # close the line after this many bytes
    silent_after: int | None = None  # send nothing more after this many bytes
    garble: float = 0.0              # fraction of sent bytes replaced by others
    seed: int = 1                    # seed of the garbling
    refuse_login: str | None = None  # one of LOGIN_REFUSALS
    busy: bool = False               # close every line at once, before a byte is sent
    transfer: dict[str, int] = field(default_factory=dict)  # fault -> data block number
    sessions: int | None = None      # None: every line

    def applies_to(self, index: int) -> bool:
        """index counts the accepted lines from 0."""
        return self.sessions is None or index < self.sessions


class Cutoff(Exception):
    """The byte budget of a close or silence fault was reached."""

    def __init__(self, kind: str) -> None:
        super().__init__(kind)
        self.kind = kind  # "close" or "silent"


class OutputFaults:
    """Counts and garbles the data bytes that one line sends."""

    def __init__(self, plan: FaultPlan | None, index: int) -> None:
        self._plan = plan if plan is not None and plan.applies_to(index) else FaultPlan()
        self._sent = 0
        self._rng = random.Random(self._plan.seed * 1_000_003 + index)
        self._next_garble = self._draw_gap()

    @property
    def plan(self) -> FaultPlan:
        return self._plan

    def _draw_gap(self) -> int:
        p = self._plan.garble
        if p <= 0.0:
            return -1
        if p >= 1.0:
            return 0
        # Bytes until the next garbled one, geometrically distributed.
        return int(math.log(1.0 - self._rng.random()) / math.log(1.0 - p))

    def _limit(self) -> tuple[int, str] | None:
        limits = []
        if self._plan.close_after is not None:
            limits.append((self._plan.close_after, "close"))
        if self._plan.silent_after is not None:
            limits.append((self._plan.silent_after, "silent"))
        return min(limits) if limits else None

    def filter(self, data: bytes) -> tuple[bytes, str | None]:
        """The bytes to send now, and "close"/"silent" when a budget ran out."""
        event = None
        limit = self._limit()
        if limit is not None:
            room = max(0, limit[0] - self._sent)
            if len(data) >= room:
                data, event = data[:room], limit[1]
        self._sent += len(data)
        if self._next_garble >= 0 and data:
            data = self._garble(data)
        return data, event

    def _garble(self, data: bytes) -> bytes:
        out = bytearray(data)
        pos = self._next_garble
        while pos < len(out):
            out[pos] ^= self._rng.randrange(1, 256)
            pos += 1 + self._draw_gap()
        self._next_garble = pos - len(out)
        return bytes(out)


class TransferFaults:
    """One-shot transfer faults, each tied to a data block number of the run."""

    def __init__(self, plan: FaultPlan | None, index: int) -> None:
        active = plan is not None and plan.applies_to(index)
        self._pending = dict(plan.transfer) if active else {}

    def take(self, kind: str, block: int) -> bool:
        """True once, when the fault `kind` is due at this block."""
        if self._pending.get(kind) == block:
            del self._pending[kind]
            return True
        return False


def parse_transfer_fault(text: str) -> tuple[str, int]:
    """"drop:5" -> ("drop", 5)."""
    kind, _, block = text.partition(":")
    if kind not in TRANSFER_FAULTS or not block.isdigit() or int(block) < 1:
        raise ValueError(f"transfer fault must be KIND:BLOCK with KIND in {', '.join(TRANSFER_FAULTS)}")
    return kind, int(block)
