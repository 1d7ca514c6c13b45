"""The libraries (OSL) of the SIGs: sections and their files, with descriptions; model,
load and save.

A SIG's menu lists its libraries beside its forums, by number; a library's menu lists
its sections (after three entries that are not sections); a section holds files
numbered from 1. Details of the screens that the host's description leaves open differ
from host to host (LibraryLayout), so that a client leaning on one form fails.
"""

from __future__ import annotations

import datetime as _dt
import random
import re
from dataclasses import dataclass, field
from typing import Any

from .clock import format_time, parse_time

LIST_HEADERS = ("access", "price")                  # the two headings of a file list
LIST_MODES = ("fm", "bm")                           # "bm": the list answers "RV" first
PROTOCOL_MENUS = ("ascii", "wide", "none", "first")  # where and how Rapidox is listed
# How a registration's "99" is confirmed: one "Y", a second round asked for, or a return
# key to press after it.
CONFIRM_FORMS = ("once", "twice", "return")
NAME_PATTERN = re.compile(r"^[\x21-\x7e]{1,64}$")


class LibraryError(Exception):
    """A part of the library section of a world file that cannot be used."""


@dataclass(eq=False)
class LibFile:
    number: int
    name: str
    owner: str
    date: _dt.datetime
    size: int = 0
    data: bytes | None = None
    seed: int | None = None
    access: int = 0
    dotted: bool = True                   # the list shows "." after the number
    description: list[str] = field(default_factory=list)
    also: list[str] = field(default_factory=list)  # names of further files sent with it
    comment: str = ""
    classification: dict[str, Any] = field(default_factory=dict)

    def content(self) -> bytes:
        if self.data is None:
            self.data = random.Random(self.seed or self.number).randbytes(self.size)
        return self.data

    def to_json(self) -> dict[str, Any]:
        import base64
        out: dict[str, Any] = {"number": self.number, "name": self.name, "owner": self.owner,
                               "date": format_time(self.date), "access": self.access,
                               "dotted": self.dotted, "description": self.description,
                               "also": self.also, "comment": self.comment,
                               "classification": self.classification}
        if self.seed is not None and self.data is None:
            out.update(size=self.size, seed=self.seed)
        else:
            out["base64"] = base64.b64encode(self.content()).decode("ascii")
        return out


@dataclass(eq=False)
class Section:
    number: int
    name: str
    files: list[LibFile] = field(default_factory=list)
    pending: list[LibFile] = field(default_factory=list)  # uploaded, not yet registered

    def file(self, number: int) -> LibFile | None:
        return next((f for f in self.files if f.number == number), None)

    def waiting(self, number: int) -> LibFile | None:
        return next((f for f in self.pending if f.number == number), None)

    def holds(self, name: str) -> bool:
        return any(f.name == name for f in self.files + self.pending)

    def upload(self, file: LibFile) -> None:
        """A file uploaded: it waits, numbered, until its registration is confirmed."""
        file.number = max((f.number for f in self.files + self.pending), default=0) + 1
        self.pending.append(file)

    def register(self, file: LibFile) -> None:
        self.pending.remove(file)
        self.files.append(file)

    def to_json(self) -> dict[str, Any]:
        out = {"number": self.number, "name": self.name, "files": [f.to_json() for f in self.files]}
        if self.pending:
            out["pending"] = [f.to_json() for f in self.pending]
        return out


@dataclass(eq=False)
class Library:
    number: int
    name: str
    sections: list[Section] = field(default_factory=list)

    def section(self, number: int) -> Section | None:
        return next((s for s in self.sections if s.number == number), None)

    def to_json(self) -> dict[str, Any]:
        return {"number": self.number, "name": self.name,
                "sections": [s.to_json() for s in self.sections]}


@dataclass
class LibraryLayout:
    header: str = "access"
    list_mode: str = "fm"
    protocols: str = "ascii"
    confirm: str = "once"

    def to_json(self) -> dict[str, Any]:
        return {"header": self.header, "list_mode": self.list_mode, "protocols": self.protocols,
                "confirm": self.confirm}


def _get(o: dict[str, Any], name: str, kind: type | tuple[type, ...], path: str,
         default: Any = ...) -> Any:
    if name not in o:
        if default is ...:
            raise LibraryError(f"{path}.{name}: missing")
        return default
    value = o[name]
    if not isinstance(value, kind) or (isinstance(value, bool) and kind is int):
        raise LibraryError(f"{path}.{name}: wrong type")
    return value


def _file(o: Any, path: str, number: int) -> LibFile:
    import base64
    if not isinstance(o, dict):
        raise LibraryError(f"{path}: must be an object")
    name = _get(o, "name", str, path)
    if not NAME_PATTERN.match(name):
        raise LibraryError(f"{path}.name: 1 to 64 printable ASCII characters")
    try:
        date = parse_time(_get(o, "date", str, path))
    except ValueError as exc:
        raise LibraryError(f"{path}.date: {exc}") from None
    data = base64.b64decode(o["base64"]) if "base64" in o else None
    size = _get(o, "size", int, path, 0)
    if not 0 <= size <= 9_999_999:
        raise LibraryError(f"{path}.size: 0 to 9999999")
    return LibFile(number=_get(o, "number", int, path, number), name=name,
                   owner=_get(o, "owner", str, path, "MVL00002").upper(), date=date,
                   size=len(data) if data is not None else size, data=data,
                   seed=_get(o, "seed", int, path, None) if "seed" in o else None,
                   access=_get(o, "access", int, path, 0), dotted=_get(o, "dotted", bool, path, True),
                   description=[str(x) for x in _get(o, "description", list, path, [])],
                   also=[str(x) for x in _get(o, "also", list, path, [])],
                   comment=_get(o, "comment", str, path, ""),
                   classification=_get(o, "classification", dict, path, {}))


def libraries_from_json(obj: Any, path: str) -> list[Library]:
    if not isinstance(obj, list):
        raise LibraryError(f"{path}: must be a list")
    libraries = []
    for i, lo in enumerate(obj):
        lp = f"{path}[{i}]"
        if not isinstance(lo, dict):
            raise LibraryError(f"{lp}: must be an object")
        sections = []
        for j, so in enumerate(_get(lo, "sections", list, lp, [])):
            sp = f"{lp}.sections[{j}]"
            if not isinstance(so, dict):
                raise LibraryError(f"{sp}: must be an object")
            files = [_file(f, f"{sp}.files[{k}]", k + 1)
                     for k, f in enumerate(_get(so, "files", list, sp, []))]
            pending = [_file(f, f"{sp}.pending[{k}]", len(files) + k + 1)
                       for k, f in enumerate(_get(so, "pending", list, sp, []))]
            sections.append(Section(number=_get(so, "number", int, sp, j + 4),
                                    name=_get(so, "name", str, sp), files=files, pending=pending))
        libraries.append(Library(number=_get(lo, "number", int, lp), name=_get(lo, "name", str, lp),
                                 sections=sections))
    return libraries


def layout_from_json(obj: Any) -> LibraryLayout:
    if not isinstance(obj, dict):
        raise LibraryError("library_layout: must be an object")
    layout = LibraryLayout()
    for name, choices in (("header", LIST_HEADERS), ("list_mode", LIST_MODES),
                          ("protocols", PROTOCOL_MENUS), ("confirm", CONFIRM_FORMS)):
        value = obj.get(name, getattr(layout, name))
        if value not in choices:
            raise LibraryError(f"library_layout.{name}: one of {', '.join(choices)}")
        setattr(layout, name, value)
    return layout
