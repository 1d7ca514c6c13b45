"""Services reached by "J" and their code outside the SIGs: posting places, paid
information services and bulletin boards, each optionally behind a password and an
information-fee question; and the clubs and circles of the club menu ("JCLUB"), found by
their code, with a password and a contract.

A posting place keeps what callers post to it; a paid service only shows its menu once
the caller accepted the fee. The text entry of a posting place speaks in one of the three
forms the host uses ("entry"), so that a client that knows only one of them fails.
"""

from __future__ import annotations

import datetime as _dt
from dataclasses import dataclass, field
from typing import Any

from .clock import format_time, parse_time
from .forum_world import ForumError, Room, _room

SERVICE_KINDS = ("posting", "paid", "board", "club", "circle")
MESSAGE_KINDS = ("board", "club", "circle")  # places with messages, read as a room
BANNERS = ("wide", "blanks")  # "＊＊＊＊　name　＊＊＊＊", or two blanks after the first stars
ENTRY_FORMS = ("message", "lines200", "lines501")


class ServiceError(Exception):
    """A part of the services section of a world file that cannot be used."""


@dataclass
class Post:
    sender: str
    date: _dt.datetime
    title: str
    body: list[str]

    def to_json(self) -> dict[str, Any]:
        return {"from": self.sender, "date": format_time(self.date), "title": self.title,
                "body": self.body}


@dataclass(eq=False)
class Service:
    code: str
    name: str
    kind: str = "posting"
    password: str = ""          # asked for at "PASSWORD: " when set
    fee: bool = False           # the information-fee question comes first
    entry: str = "message"      # the form of the text entry's help
    posts: list[Post] = field(default_factory=list)
    room: Room | None = None    # the messages of a board, club or circle
    contracted: bool = True     # a club or circle the caller may enter
    banner: str = "wide"

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {"code": self.code, "name": self.name, "kind": self.kind,
                               "fee": self.fee, "entry": self.entry,
                               "posts": [p.to_json() for p in self.posts]}
        if self.password:
            out["password"] = self.password
        if self.room is not None:
            room = self.room.to_json()
            out.update(messages=room["messages"], read=room["read"], prompt=room["prompt"],
                       contracted=self.contracted, banner=self.banner)
        return out


def services_from_json(obj: Any) -> dict[str, Service]:
    if not isinstance(obj, list):
        raise ServiceError("services: must be a list")
    services: dict[str, Service] = {}
    for i, item in enumerate(obj):
        path = f"services[{i}]"
        if not isinstance(item, dict):
            raise ServiceError(f"{path}: must be an object")
        code = item.get("code")
        if not isinstance(code, str) or not code.isalnum() or not 1 <= len(code) <= 8:
            raise ServiceError(f"{path}.code: 1 to 8 letters or digits")
        kind = item.get("kind", "posting")
        entry = item.get("entry", "message")
        if kind not in SERVICE_KINDS or entry not in ENTRY_FORMS:
            raise ServiceError(f"{path}: kind one of {SERVICE_KINDS}, entry one of {ENTRY_FORMS}")
        posts = []
        for j, p in enumerate(item.get("posts", [])):
            try:
                posts.append(Post(sender=str(p["from"]), date=parse_time(p["date"]),
                                  title=str(p["title"]), body=[str(x) for x in p.get("body", [])]))
            except (KeyError, TypeError, ValueError):
                raise ServiceError(f"{path}.posts[{j}]: from, date, title and body") from None
        room = None
        if kind in MESSAGE_KINDS:
            try:
                room = _room({**item, "name": str(item.get("name", code))}, path, 1)
            except ForumError as exc:
                raise ServiceError(str(exc)) from None
        banner = item.get("banner", "wide")
        if banner not in BANNERS:
            raise ServiceError(f"{path}.banner: one of {BANNERS}")
        service = Service(code=code.upper(), name=str(item.get("name", code)), kind=kind,
                          password=str(item.get("password", "")), fee=bool(item.get("fee", False)),
                          entry=entry, posts=posts, room=room,
                          contracted=bool(item.get("contracted", True)), banner=banner)
        if service.code in services:
            raise ServiceError(f"{path}.code: {service.code} appears twice")
        services[service.code] = service
    return services
