"""SIGs, their forums, rooms and folders, the messages of the rooms: model, load, save.

A SIG is reached by its code ("J" + code); its menu lists forums by number; a
forum's menu lists rooms and folders (a folder lists further rooms). Messages
are numbered from 1 in each room and keep their numbers; a deleted message
leaves a gap. Every user has a read position of their own in every room.
"""

from __future__ import annotations

import datetime as _dt
import re
from dataclasses import dataclass, field
from typing import Any, Iterator

from .clock import format_time, parse_time
from .library_world import Library, LibraryError, libraries_from_json

ROOM_PROMPTS = ("fm", "fm_rc", "fm_readonly", "bm", "bm_rc")
TAG_FORMS = ("full", "short")
COMMENT_MARKERS = ("none", "stars", "count")
HANDLE_SEPARATORS = {"blank": " ", "wide": "　", "slash": "／"}
ROOM_LISTS = ("single", "double")
HIGHEST_FORMS = ("narrow", "wide")
TITLES_LISTS = ("columns", "tight", "time")
POSTING = ("open", "refuse")
CODE_PATTERN = re.compile(r"^[A-Z0-9]{1,8}$")
# The number of the message that a title answers ("RE:#12 ...", "Re: #12").
_ANSWERS = re.compile(r"^\s*RE\S*?\s*#\s*(\d{1,9})", re.IGNORECASE)


class ForumError(Exception):
    """A part of the forum section of a world file that cannot be used."""


@dataclass(eq=False)
class Message:
    sender: str
    handle: str
    date: _dt.datetime
    title: str
    body: list[str] = field(default_factory=list)
    deleted: bool = False

    def answers(self) -> int:
        """The number of the message this one comments on, 0 for none."""
        m = _ANSWERS.match(self.title)
        return int(m.group(1)) if m else 0

    def to_json(self) -> dict[str, Any]:
        out: dict[str, Any] = {"from": self.sender, "handle": self.handle,
                               "date": format_time(self.date), "title": self.title,
                               "body": self.body}
        if self.deleted:
            out["deleted"] = True
        return out


@dataclass(eq=False)
class Room:
    number: int
    name: str
    prompt: str = "fm"
    posting: str = "open"
    messages: list[Message] = field(default_factory=list)
    read: dict[str, int] = field(default_factory=dict)  # user ID -> last message read
    _comments: dict[int, int] | None = None

    @property
    def highest(self) -> int:
        return len(self.messages)

    def message(self, number: int) -> Message | None:
        if 1 <= number <= len(self.messages) and not self.messages[number - 1].deleted:
            return self.messages[number - 1]
        return None

    def position(self, user: str) -> int:
        return min(self.read.get(user, 0), self.highest)

    def set_position(self, user: str, number: int) -> None:
        self.read[user] = max(0, min(number, self.highest))

    def comments(self, number: int) -> int:
        """How many messages comment on message number."""
        if self._comments is None:
            counts: dict[int, int] = {}
            for own, m in enumerate(self.messages, 1):
                target = m.answers()
                if not m.deleted and 0 < target < own:
                    counts[target] = counts.get(target, 0) + 1
            self._comments = counts
        return self._comments.get(number, 0)

    def post(self, message: Message) -> int:
        self.messages.append(message)
        self._comments = None
        return len(self.messages)

    def delete(self, number: int) -> None:
        self.messages[number - 1].deleted = True
        self.messages[number - 1].body = []
        self._comments = None

    def to_json(self) -> dict[str, Any]:
        return {"number": self.number, "name": self.name, "prompt": self.prompt,
                "posting": self.posting, "read": self.read,
                "messages": [m.to_json() for m in self.messages]}


@dataclass(eq=False)
class Folder:
    """An entry of a forum menu that opens a menu of further rooms."""

    number: int
    name: str
    rooms: list[Room] = field(default_factory=list)

    def to_json(self) -> dict[str, Any]:
        return {"number": self.number, "name": self.name, "folder": [r.to_json() for r in self.rooms]}


@dataclass(eq=False)
class Forum:
    number: int
    name: str
    entries: list[Room | Folder] = field(default_factory=list)
    talk: bool = False  # the menu shows the online-talk entry "ＯＬＴ＋（＊）"

    def entry(self, number: int) -> Room | Folder | None:
        return next((e for e in self.entries if e.number == number), None)

    def rooms(self) -> Iterator[Room]:
        for e in self.entries:
            yield from e.rooms if isinstance(e, Folder) else (e,)

    def to_json(self) -> dict[str, Any]:
        return {"number": self.number, "name": self.name, "talk": self.talk,
                "rooms": [e.to_json() for e in self.entries]}


@dataclass(eq=False)
class Sig:
    code: str
    name: str
    banner: list[str] = field(default_factory=list)
    aliases: list[str] = field(default_factory=list)  # former codes that still lead here
    forums: list[Forum] = field(default_factory=list)
    libraries: list[Library] = field(default_factory=list)

    def forum(self, number: int) -> Forum | None:
        return next((f for f in self.forums if f.number == number), None)

    def library(self, number: int) -> Library | None:
        return next((lib for lib in self.libraries if lib.number == number), None)

    def to_json(self) -> dict[str, Any]:
        out = {"code": self.code, "name": self.name, "banner": self.banner,
               "aliases": self.aliases, "forums": [f.to_json() for f in self.forums]}
        if self.libraries:
            out["libraries"] = [lib.to_json() for lib in self.libraries]
        return out


@dataclass
class ForumLayout:
    """Details of the forum screens that differ from host to host."""

    tag: str = "full"               # "#12/30" or "#12"
    comment_marker: str = "none"    # after the tag: "    *** ｺﾒﾝﾄ n" or " ｺﾒﾝﾄ数(n)"
    comment_count: bool = True      # the header line ends with the number of comments
    handle_separator: str = "wide"  # between the title and the handle
    room_list: str = "single"       # one room a line, or two
    highest: str = "narrow"         # a room's highest number "[   12]" or "［１２］"
    folder_mark: bool = True        # a folder's entry ends with "＞＞"
    titles_list: str = "columns"    # "   12  99/12/05  title", "12 99/12/ 5 title", or with the time
    max_lines: int = 999            # lines of a posted text that are kept

    def to_json(self) -> dict[str, Any]:
        return {"tag": self.tag, "comment_marker": self.comment_marker,
                "comment_count": self.comment_count, "handle_separator": self.handle_separator,
                "room_list": self.room_list, "highest": self.highest,
                "folder_mark": self.folder_mark, "titles_list": self.titles_list,
                "max_lines": self.max_lines}


@dataclass
class Forums:
    sigs: list[Sig] = field(default_factory=list)
    layout: ForumLayout = field(default_factory=ForumLayout)

    def sig(self, code: str) -> Sig | None:
        code = code.upper()
        return next((s for s in self.sigs if s.code == code or code in s.aliases), None)

    def to_json(self) -> dict[str, Any]:
        """The two entries of a world file: "forum_layout" and "sigs"."""
        return {"forum_layout": self.layout.to_json(), "sigs": [s.to_json() for s in self.sigs]}


# ---- JSON ----------------------------------------------------------------

def _obj(value: Any, path: str) -> dict[str, Any]:
    if not isinstance(value, dict):
        raise ForumError(f"{path}: must be an object")
    return value


def _get(obj: dict[str, Any], name: str, kind: type, path: str, default: Any = ...) -> Any:
    value = obj.get(name)
    if value is None:
        if default is ...:
            raise ForumError(f"{path}.{name}: missing")
        return default
    if isinstance(value, bool) and kind is int or not isinstance(value, kind):
        raise ForumError(f"{path}.{name}: wrong type")
    return value


def _choice(obj: dict[str, Any], name: str, choices: Any, path: str, default: str) -> str:
    value = _get(obj, name, str, path, default)
    if value not in choices:
        raise ForumError(f"{path}.{name}: one of {', '.join(choices)}")
    return value


def _lines(obj: dict[str, Any], name: str, path: str) -> list[str]:
    value = _get(obj, name, (list, str), path, [])
    if isinstance(value, str):
        return value.split("\n")
    if not all(isinstance(v, str) for v in value):
        raise ForumError(f"{path}.{name}: must be a list of texts")
    return list(value)


def _number(obj: dict[str, Any], path: str, default: int) -> int:
    number = _get(obj, "number", int, path, default)
    if not 1 <= number <= 999:
        raise ForumError(f"{path}.number: must be 1 to 999")
    return number


def _message(obj: Any, path: str) -> Message:
    o = _obj(obj, path)
    sender = _get(o, "from", str, path).upper()
    if not re.match(r"^[A-Z0-9]{8}$", sender):
        raise ForumError(f"{path}.from: must be an 8-character ID")
    try:
        date = parse_time(_get(o, "date", str, path))
    except ValueError as exc:
        raise ForumError(f"{path}.date: {exc}") from None
    return Message(sender=sender, handle=_get(o, "handle", str, path, ""), date=date,
                   title=_get(o, "title", str, path, ""), body=_lines(o, "body", path),
                   deleted=_get(o, "deleted", bool, path, False))


def _room(o: dict[str, Any], path: str, number: int) -> Room:
    read = _get(o, "read", dict, path, {})
    if not all(isinstance(v, int) and not isinstance(v, bool) for v in read.values()):
        raise ForumError(f"{path}.read: values must be numbers")
    return Room(number=number, name=_get(o, "name", str, path),
                prompt=_choice(o, "prompt", ROOM_PROMPTS, path, "fm"),
                posting=_choice(o, "posting", POSTING, path, "open"),
                messages=[_message(m, f"{path}.messages[{i}]")
                          for i, m in enumerate(_get(o, "messages", list, path, []))],
                read={k.upper(): v for k, v in read.items()})


def _entry(obj: Any, path: str, default_number: int, nested: bool) -> Room | Folder:
    o = _obj(obj, path)
    number = _number(o, path, default_number)
    if "folder" in o:
        if nested:
            raise ForumError(f"{path}.folder: folders do not nest")
        rooms = [_entry(r, f"{path}.folder[{i}]", i + 1, True)
                 for i, r in enumerate(_get(o, "folder", list, path))]
        return Folder(number=number, name=_get(o, "name", str, path),
                      rooms=[r for r in rooms if isinstance(r, Room)])
    return _room(o, path, number)


def _unique(numbers: list[int], path: str) -> None:
    if len(set(numbers)) != len(numbers):
        raise ForumError(f"{path}: a number appears twice")


def _forum(obj: Any, path: str, default_number: int) -> Forum:
    o = _obj(obj, path)
    entries = [_entry(e, f"{path}.rooms[{i}]", i + 1, False)
               for i, e in enumerate(_get(o, "rooms", list, path, []))]
    _unique([e.number for e in entries], f"{path}.rooms")
    for e in entries:
        if isinstance(e, Folder):
            _unique([r.number for r in e.rooms], f"{path}.rooms")
    return Forum(number=_number(o, path, default_number), name=_get(o, "name", str, path),
                 entries=entries, talk=_get(o, "talk", bool, path, False))


def _sig(obj: Any, path: str) -> Sig:
    o = _obj(obj, path)
    code = _get(o, "code", str, path).upper()
    aliases = [a.upper() for a in _get(o, "aliases", list, path, []) if isinstance(a, str)]
    for c in (code, *aliases):
        if not CODE_PATTERN.match(c):
            raise ForumError(f"{path}.code: {c!r} is not 1 to 8 letters or digits")
    forums = [_forum(f, f"{path}.forums[{i}]", i + 1)
              for i, f in enumerate(_get(o, "forums", list, path, []))]
    try:
        libraries = libraries_from_json(o.get("libraries", []), f"{path}.libraries")
    except LibraryError as exc:
        raise ForumError(str(exc)) from None
    _unique([f.number for f in forums] + [lib.number for lib in libraries], f"{path}.forums")
    return Sig(code=code, name=_get(o, "name", str, path), banner=_lines(o, "banner", path),
               aliases=aliases, forums=forums, libraries=libraries)


def forums_from_json(sigs: Any, layout: Any) -> Forums:
    """The "sigs" list and the "forum_layout" object of a world file."""
    if not isinstance(sigs, list):
        raise ForumError("sigs: must be a list")
    lo = _obj(layout, "forum_layout")
    separator = _choice(lo, "handle_separator", HANDLE_SEPARATORS, "forum_layout", "wide")
    forums = Forums(
        sigs=[_sig(s, f"sigs[{i}]") for i, s in enumerate(sigs)],
        layout=ForumLayout(
            tag=_choice(lo, "tag", TAG_FORMS, "forum_layout", "full"),
            comment_marker=_choice(lo, "comment_marker", COMMENT_MARKERS, "forum_layout", "none"),
            comment_count=_get(lo, "comment_count", bool, "forum_layout", True),
            handle_separator=separator,
            room_list=_choice(lo, "room_list", ROOM_LISTS, "forum_layout", "single"),
            highest=_choice(lo, "highest", HIGHEST_FORMS, "forum_layout", "narrow"),
            folder_mark=_get(lo, "folder_mark", bool, "forum_layout", True),
            titles_list=_choice(lo, "titles_list", TITLES_LISTS, "forum_layout", "columns"),
            max_lines=_get(lo, "max_lines", int, "forum_layout", 999)))
    codes = [c for s in forums.sigs for c in (s.code, *s.aliases)]
    if len(set(codes)) != len(codes):
        raise ForumError("sigs: a code appears twice")
    if forums.layout.max_lines < 1:
        raise ForumError("forum_layout.max_lines: must be at least 1")
    return forums
