"""Handing a written mail to its addressees: users of the world or gateways."""

from __future__ import annotations

from dataclasses import dataclass
from typing import TYPE_CHECKING

from .world import FileData, User

if TYPE_CHECKING:
    from .session import Session


@dataclass
class Recipient:
    user: User | None   # None: an address beyond a gateway
    address: str


def deliver(s: Session, recipients: list[Recipient], subject: str, body: list[str],
            file: FileData | None = None, forwarded: bool = False) -> None:
    now = s.clock.now()
    for r in recipients:
        if r.user is not None:
            s.world.deliver(s.me, r.user, subject, body, now, file, forwarded)
        else:
            s.world.send_out(s.me, r.address, subject, body, now, file, forwarded)
