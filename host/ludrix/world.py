"""The host's world: users, mailboxes, sent lists, notices; load and save."""

from __future__ import annotations

import base64
import datetime as _dt
import json
import os
import random
import re
import tempfile
from dataclasses import dataclass, field
from typing import Any

from . import mime
from .clock import format_time, parse_time
from .forum_world import ForumError, Forums, forums_from_json
from .library_world import LibraryError, LibraryLayout, layout_from_json
from .service_world import Service, ServiceError, services_from_json
from .settings import HostSettings, SettingError, settings_from_json

ID_PATTERN = re.compile(r"^[A-Z0-9]{8}$")
NETWORK_PREFIXES = ("INET#", "TRUNKGW#", "STAR#", "ORVEN#")
MAIL_STATES = ("unread", "read", "forwarded")
DISPLAYS = ("kanji", "kana")
LOGIN_NOTICES = ("list", "ask", "off")


class WorldError(Exception):
    """A world file that cannot be used; the message names the bad field."""


@dataclass
class FileData:
    """A file carried by a file mail: stored bytes, or bytes made from a seed."""

    name: str
    mtime: _dt.datetime
    data: bytes | None = None
    size: int = 0
    seed: int | None = None

    def __post_init__(self) -> None:
        if self.data is not None:
            self.size = len(self.data)

    def content(self) -> bytes:
        if self.data is None:
            self.data = random.Random(self.seed).randbytes(self.size)
        return self.data

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {"name": self.name, "time": format_time(self.mtime)}
        if self.seed is not None:
            out.update(size=self.size, seed=self.seed)
        else:
            out["base64"] = base64.b64encode(self.content()).decode("ascii")
        return out


@dataclass(eq=False)
class Mail:
    """A mail in a mailbox. Internet mail keeps its message text in raw."""

    key: int
    sender: str
    sender_name: str
    recipient: str
    date: _dt.datetime
    subject: str
    body: list[str] = field(default_factory=list)
    raw: str | None = None
    file: FileData | None = None
    state: str = "unread"

    @property
    def internet(self) -> bool:
        return self.raw is not None

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {
            "key": self.key, "from": self.sender, "from_name": self.sender_name,
            "to": self.recipient, "date": format_time(self.date),
            "subject": self.subject, "state": self.state,
        }
        if self.raw is not None:
            out["raw"] = self.raw
        else:
            out["body"] = self.body
        if self.file is not None:
            out["file"] = self.file.to_json()
        return out


@dataclass(eq=False)
class SentRecord:
    """One entry of a user's sent list; key names the delivered copy (0: none)."""

    key: int
    to: str
    to_name: str
    date: _dt.datetime
    subject: str
    confirmed: _dt.datetime | None = None
    error: bool = False
    forwarded: bool = False
    file: bool = False

    def to_json(self) -> dict[str, Any]:
        return {
            "key": self.key, "to": self.to, "to_name": self.to_name,
            "date": format_time(self.date), "subject": self.subject,
            "confirmed": format_time(self.confirmed) if self.confirmed else None,
            "error": self.error, "forwarded": self.forwarded, "file": self.file,
        }


@dataclass
class PartialUpload:
    """The whole blocks of an upload that broke off, kept to be resumed."""

    name: str
    data: bytes

    def to_json(self) -> dict[str, Any]:
        return {"name": self.name, "base64": base64.b64encode(self.data).decode("ascii")}


@dataclass
class Absence:
    period: str
    message: list[str]


@dataclass
class User:
    id: str
    password: str
    handle: str
    last_logout: _dt.datetime | None = None
    display: str = "kanji"
    ask_profile: bool = False
    profile: dict[str, int] = field(default_factory=dict)
    login_notices: str = "list"
    absence: Absence | None = None
    mailbox: list[Mail] = field(default_factory=list)
    sent: list[SentRecord] = field(default_factory=list)
    partial_uploads: list[PartialUpload] = field(default_factory=list)

    def unread(self) -> int:
        return sum(1 for m in self.mailbox if m.state == "unread")

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {
            "id": self.id, "password": self.password, "handle": self.handle,
            "last_logout": format_time(self.last_logout) if self.last_logout else None,
            "display": self.display, "ask_profile": self.ask_profile,
            "profile": self.profile, "login_notices": self.login_notices,
            "absence": ({"period": self.absence.period, "message": self.absence.message}
                        if self.absence else None),
            "mailbox": [m.to_json() for m in self.mailbox],
            "sent": [s.to_json() for s in self.sent],
        }
        if self.partial_uploads:
            out["partial_uploads"] = [p.to_json() for p in self.partial_uploads]
        return out


@dataclass
class Notice:
    number: int
    date: _dt.datetime
    title: str
    text: list[str]


class World:
    """Everything the host serves. Sessions share it on one event loop."""

    def __init__(self) -> None:
        self.settings = HostSettings()
        self.users: dict[str, User] = {}
        self.notices: list[Notice] = []
        self.outbox: list[dict[str, Any]] = []
        self.forums = Forums()
        self.services: dict[str, Service] = {}
        self.library_layout = LibraryLayout()
        self._next_key = 1
        self._sent_by_key: dict[int, SentRecord] = {}
        self.online: dict[str, object] = {}  # user ID -> its session, not saved

    # ---- keys and lookups --------------------------------------------

    def new_key(self) -> int:
        key = self._next_key
        self._next_key += 1
        return key

    def note_key(self, key: int) -> None:
        self._next_key = max(self._next_key, key + 1)

    def user(self, user_id: str) -> User | None:
        return self.users.get(user_id.upper())

    def add_user(self, user: User) -> None:
        self.users[user.id] = user
        for m in user.mailbox:
            self.note_key(m.key)
        for s in user.sent:
            self.note_key(s.key)
            if s.key:
                self._sent_by_key[s.key] = s

    # ---- mail traffic ------------------------------------------------

    def deliver(self, sender: User, to: User, subject: str, body: list[str],
                when: _dt.datetime, file: FileData | None = None, forwarded: bool = False) -> None:
        """Put a mail in to's mailbox and record it in sender's sent list."""
        key = self.new_key()
        to.mailbox.append(Mail(key=key, sender=sender.id, sender_name=sender.handle,
                               recipient=to.id, date=when, subject=subject, body=body, file=file))
        record = SentRecord(key=key, to=to.id, to_name=to.handle, date=when, subject=subject,
                            forwarded=forwarded, file=file is not None)
        sender.sent.append(record)
        self._sent_by_key[key] = record

    def send_out(self, sender: User, address: str, subject: str, body: list[str],
                 when: _dt.datetime, file: FileData | None = None, forwarded: bool = False) -> None:
        """A mail through a gateway: kept in the outbox for inspection."""
        self.outbox.append({"from": sender.id, "to": address, "date": format_time(when),
                            "subject": subject, "body": body,
                            "file": file.to_json() if file else None})
        sender.sent.append(SentRecord(key=0, to=address, to_name="", date=when, subject=subject,
                                      forwarded=forwarded, file=file is not None))

    def mark_read(self, mail: Mail, when: _dt.datetime) -> None:
        if mail.state == "unread":
            mail.state = "read"
        record = self._sent_by_key.get(mail.key)
        if record is not None and record.confirmed is None:
            record.confirmed = when

    # ---- JSON --------------------------------------------------------

    def to_json(self) -> dict[str, Any]:
        return {
            "host": self.settings.to_json(),
            "users": [u.to_json() for u in self.users.values()],
            "notices": [{"number": n.number, "date": format_time(n.date), "title": n.title,
                         "text": n.text} for n in self.notices],
            "internet_outbox": self.outbox,
            **self.forums.to_json(),
            "services": [v.to_json() for v in self.services.values()],
            "library_layout": self.library_layout.to_json(),
        }


class _Fields:
    """Typed access to one JSON object, with the object's path in errors."""

    def __init__(self, obj: Any, path: str) -> None:
        if not isinstance(obj, dict):
            raise WorldError(f"{path}: must be an object")
        self.obj = obj
        self.path = path

    def get(self, name: str, kind: type | tuple[type, ...], default: Any = ...) -> Any:
        if name not in self.obj or self.obj[name] is None:
            if default is ...:
                raise WorldError(f"{self.path}.{name}: missing")
            return default
        value = self.obj[name]
        if isinstance(value, bool) and kind is int or not isinstance(value, kind):
            raise WorldError(f"{self.path}.{name}: wrong type")
        return value

    def time(self, name: str, default: Any = ...) -> Any:
        text = self.get(name, str, None)
        if text is None:
            if default is ...:
                raise WorldError(f"{self.path}.{name}: missing")
            return default
        try:
            return parse_time(text)
        except ValueError as exc:
            raise WorldError(f"{self.path}.{name}: {exc}") from None

    def choice(self, name: str, choices: tuple[str, ...], default: str) -> str:
        value = self.get(name, str, default)
        if value not in choices:
            raise WorldError(f"{self.path}.{name}: one of {', '.join(choices)}")
        return value

    def lines(self, name: str) -> list[str]:
        value = self.get(name, (list, str), [])
        if isinstance(value, str):
            return value.split("\n")
        if not all(isinstance(v, str) for v in value):
            raise WorldError(f"{self.path}.{name}: must be a list of texts")
        return list(value)


def _file_from_json(obj: Any, path: str) -> FileData:
    f = _Fields(obj, path)
    name = f.get("name", str)
    if not name or "\x00" in name:
        raise WorldError(f"{path}.name: empty or not a name")
    mtime = f.time("time", _dt.datetime(2000, 1, 1))
    if "base64" in f.obj:
        try:
            data = base64.b64decode(f.get("base64", str), validate=True)
        except ValueError:
            raise WorldError(f"{path}.base64: not base64") from None
        return FileData(name=name, mtime=mtime, data=data)
    size = f.get("size", int)
    if size < 0:
        raise WorldError(f"{path}.size: negative")
    return FileData(name=name, mtime=mtime, size=size, seed=f.get("seed", int, 0))


def check_address(text: str, path: str) -> str:
    """A host ID (upper-cased) or a gateway address with its prefix."""
    if text.startswith(NETWORK_PREFIXES):
        return text
    if not ID_PATTERN.match(text.upper()):
        raise WorldError(f"{path}: {text!r} is neither an 8-character ID nor a gateway address")
    return text.upper()


def _mail_from_json(obj: Any, path: str, owner: str, world: World) -> Mail:
    f = _Fields(obj, path)
    sender = check_address(f.get("from", str), f"{path}.from")
    date = f.time("date")
    subject = f.get("subject", str, "")
    raw = f.get("raw", str, None)
    if raw is None and "compose" in f.obj:
        entry = _Fields(f.obj["compose"], f"{path}.compose")
        try:
            raw = mime.compose(entry.obj, sender=sender, name=f.get("from_name", str, ""),
                               to=owner, subject=subject, date=date)
        except (KeyError, TypeError, ValueError) as exc:
            raise WorldError(f"{path}.compose: {exc}") from None
    if raw is not None and not subject:
        subject = mime.subject_of(raw)
    key = f.get("key", int, 0) or world.new_key()
    return Mail(key=key, sender=sender, sender_name=f.get("from_name", str, ""),
                recipient=owner, date=date, subject=subject,
                body=[] if raw is not None else f.lines("body"), raw=raw,
                file=_file_from_json(f.obj["file"], f"{path}.file") if f.obj.get("file") else None,
                state=f.choice("state", MAIL_STATES, "unread"))


def _partial_from_json(obj: Any, path: str) -> PartialUpload:
    f = _Fields(obj, path)
    try:
        data = base64.b64decode(f.get("base64", str), validate=True)
    except ValueError:
        raise WorldError(f"{path}.base64: not base64") from None
    return PartialUpload(name=f.get("name", str), data=data)


def _sent_from_json(obj: Any, path: str) -> SentRecord:
    f = _Fields(obj, path)
    return SentRecord(key=f.get("key", int, 0), to=check_address(f.get("to", str), f"{path}.to"),
                      to_name=f.get("to_name", str, ""), date=f.time("date"),
                      subject=f.get("subject", str, ""), confirmed=f.time("confirmed", None),
                      error=f.get("error", bool, False), forwarded=f.get("forwarded", bool, False),
                      file=f.get("file", bool, False))


def _user_from_json(obj: Any, path: str, world: World) -> User:
    f = _Fields(obj, path)
    user_id = f.get("id", str).upper()
    if not ID_PATTERN.match(user_id):
        raise WorldError(f"{path}.id: must be 8 letters or digits")
    profile = f.get("profile", dict, {})
    if not all(isinstance(v, int) for v in profile.values()):
        raise WorldError(f"{path}.profile: values must be numbers")
    absence = None
    if f.obj.get("absence"):
        a = _Fields(f.obj["absence"], f"{path}.absence")
        absence = Absence(period=a.get("period", str, ""), message=a.lines("message"))
    user = User(id=user_id, password=f.get("password", str), handle=f.get("handle", str, ""),
                last_logout=f.time("last_logout", None),
                display=f.choice("display", DISPLAYS, "kanji"),
                ask_profile=f.get("ask_profile", bool, False), profile=dict(profile),
                login_notices=f.choice("login_notices", LOGIN_NOTICES, "list"), absence=absence)
    user.mailbox = [_mail_from_json(m, f"{path}.mailbox[{i}]", user_id, world)
                    for i, m in enumerate(f.get("mailbox", list, []))]
    user.sent = [_sent_from_json(s, f"{path}.sent[{i}]") for i, s in enumerate(f.get("sent", list, []))]
    user.partial_uploads = [_partial_from_json(p, f"{path}.partial_uploads[{i}]")
                            for i, p in enumerate(f.get("partial_uploads", list, []))]
    return user


def _reserve_keys(world: World, users: list[Any]) -> None:
    """Keys written in the file come first, so that new keys never collide with them."""
    for u in users:
        if not isinstance(u, dict):
            continue
        for group in ("mailbox", "sent"):
            entries = u.get(group)
            for e in entries if isinstance(entries, list) else []:
                if isinstance(e, dict) and isinstance(e.get("key"), int):
                    world.note_key(e["key"])


def world_from_json(obj: Any) -> World:
    world = World()
    top = _Fields(obj, "world")
    try:
        world.settings = settings_from_json(top.get("host", dict, {}))
    except SettingError as exc:
        raise WorldError(str(exc)) from None
    users = top.get("users", list)
    _reserve_keys(world, users)
    seen_keys: set[int] = set()
    for i, u in enumerate(users):
        user = _user_from_json(u, f"users[{i}]", world)
        if user.id in world.users:
            raise WorldError(f"users[{i}].id: {user.id} appears twice")
        for m in user.mailbox:
            if m.key in seen_keys:
                raise WorldError(f"users[{i}]: mail key {m.key} appears twice")
            seen_keys.add(m.key)
        world.add_user(user)
    for i, n in enumerate(top.get("notices", list, [])):
        nf = _Fields(n, f"notices[{i}]")
        world.notices.append(Notice(number=nf.get("number", int, i + 1), date=nf.time("date"),
                                    title=nf.get("title", str), text=nf.lines("text")))
    world.outbox = list(top.get("internet_outbox", list, []))
    try:
        world.forums = forums_from_json(top.get("sigs", list, []), top.get("forum_layout", dict, {}))
    except ForumError as exc:
        raise WorldError(str(exc)) from None
    try:
        world.services = services_from_json(top.get("services", list, []))
        world.library_layout = layout_from_json(top.get("library_layout", dict, {}))
    except (ServiceError, LibraryError) as exc:
        raise WorldError(str(exc)) from None
    return world


def load_world(path: str) -> World:
    try:
        with open(path, encoding="utf-8") as fh:
            obj = json.load(fh)
    except OSError as exc:
        raise WorldError(f"cannot read: {exc.strerror}") from None
    except (ValueError, UnicodeDecodeError) as exc:
        raise WorldError(f"not UTF-8 JSON: {exc}") from None
    return world_from_json(obj)


def save_world(world: World, path: str) -> None:
    """Write the world through a temporary file and a rename: never half a file."""
    folder = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(prefix=".world-", suffix=".tmp", dir=folder)
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as fh:
            json.dump(world.to_json(), fh, ensure_ascii=False, indent=1)
            fh.write("\n")
            fh.flush()
            os.fsync(fh.fileno())
        os.replace(tmp, path)
    except BaseException:
        try:
            os.unlink(tmp)
        except OSError:
            pass
        raise
