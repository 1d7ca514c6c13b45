"""Services reached by "J" and their code outside the SIGs: posting places and paid
information services, each optionally behind a password and an information-fee question.

A posting place keeps what callers post to it; a paid service only shows its menu once
the caller accepted the fee. The text entry of a posting place speaks in one of the three
forms the host uses ("entry"), so that a client that knows only one of them fails.
"""

from __future__ import annotations

import datetime as _dt
from dataclasses import dataclass, field
from typing import Any

from .clock import format_time, parse_time

SERVICE_KINDS = ("posting", "paid")
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

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {"code": self.code, "name": self.name, "kind": self.kind,
                               "fee": self.fee, "entry": self.entry,
                               "posts": [p.to_json() for p in self.posts]}
        if self.password:
            out["password"] = self.password
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
        service = Service(code=code.upper(), name=str(item.get("name", code)), kind=kind,
                          password=str(item.get("password", "")), fee=bool(item.get("fee", False)),
                          entry=entry, posts=posts)
        if service.code in services:
            raise ServiceError(f"{path}.code: {service.code} appears twice")
        services[service.code] = service
    return services
