"""The host's settings: its limits, how it reads input, and the details of its
screens that the host's description leaves open.

A client must read every form these settings allow; the end-to-end tests run
over them so that a client leaning on one form of this host fails.
"""

from __future__ import annotations

import dataclasses
import json
from dataclasses import dataclass, field
from typing import Any

LOGIN_PROMPTS = ("ascii", "japanese")
MAINTAINED = ("mail", "sent")  # services that can be shown as under maintenance
CHOICES: dict[str, tuple[str, ...]] = {
    "login_prompts": LOGIN_PROMPTS,
    "input": ("strict", "lenient"),
    "header_first_line": ("key", "date"),
    "title_blank": ("", " ", "　"),
    "list_numbers": ("right", "left", "zero"),
    "date_padding": ("zero", "blank"),
    "no_mail": ("empty", "no-unread"),
    "logout": ("date-first", "farewell-first", "date-only"),
}
RANGES: dict[str, tuple[int, int]] = {
    "page_size": (1, 100),
    "max_sessions": (0, 1_000_000),
    "extra_recipients": (0, 50),
    "list_subject_width": (1, 68),
    "notice_page": (0, 100),
}


class SettingError(Exception):
    """A setting that cannot be used; the message names it."""


@dataclass
class HostSettings:
    login_prompts: str = "ascii"
    page_size: int = 10
    max_sessions: int = 0            # 0: no limit
    maintenance: set[str] = field(default_factory=set)  # "mail", "sent"
    # "strict": a command ends with CR alone and is taken as typed, and what was typed
    # before a prompt is dropped; "lenient" (for hand use): CR, LF, CR LF or CR NUL end a
    # line, commands are trimmed and upper-cased, input typed ahead is kept.
    input: str = "strict"
    # The first header line of a shown mail: "key" ("#dddddddd", the date at byte 18) or
    # "date" (the date and time in the first 18 bytes, the key after them).
    header_first_line: str = "key"
    header_gap: bool = False         # an empty line after the first header line
    title_blank: str = ""            # what stands between "文書名：" and the subject
    extra_recipients: int = 0        # further "受信者：" lines (copies to others)
    list_numbers: str = "right"      # "   3", "3   " (left) or "0003" (zero)
    date_padding: str = "zero"       # dates "99/01/05 09:05" or "99/ 1/ 5  9:05" (blank)
    list_subject_width: int = 68     # bytes of a subject that the mail lists show
    no_mail: str = "empty"           # "メールは届いていません。" for an empty mailbox or one without unread mail
    delete_notice: bool = True       # "削除されました。" after mails were deleted
    notice_page: int = 0             # notices per page of the login list (0: page_size)
    # The goodbye: "date-first" (the LOG OUT line, then the farewell), "farewell-first", or
    # "date-only" (the line closes right after the LOG OUT line).
    logout: str = "date-first"
    upload_resume: bool = False      # an interrupted upload is kept and resumed at its last whole block

    def to_json(self) -> dict[str, Any]:
        out = dataclasses.asdict(self)
        out["maintenance"] = sorted(self.maintenance)
        return out

    def set(self, name: str, value: Any, path: str = "host") -> None:
        """Set one setting from a JSON value, checked."""
        where = f"{path}.{name}"
        names = {f.name: f for f in dataclasses.fields(self)}
        if name not in names:
            raise SettingError(f"{where}: no such setting")
        current = getattr(self, name)
        if name == "maintenance":
            if not isinstance(value, list) or not {str(v) for v in value} <= set(MAINTAINED):
                raise SettingError(f"{where}: a list of {', '.join(MAINTAINED)}")
            value = {str(v) for v in value}
        elif isinstance(current, bool):
            if not isinstance(value, bool):
                raise SettingError(f"{where}: true or false")
        elif isinstance(current, int):
            low, high = RANGES[name]
            if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
                raise SettingError(f"{where}: must be {low} to {high}")
        elif value not in CHOICES[name]:
            raise SettingError(f"{where}: one of {', '.join(repr(c) for c in CHOICES[name])}")
        setattr(self, name, value)

    def set_text(self, assignment: str) -> None:
        """"name=value" from the command line; the value is JSON or else a plain text."""
        name, equals, text = assignment.partition("=")
        if not equals:
            raise SettingError(f"{assignment!r}: expected NAME=VALUE")
        try:
            value = json.loads(text)
        except ValueError:
            value = text
        self.set(name.strip(), value, "--set")


def settings_from_json(obj: Any) -> HostSettings:
    if not isinstance(obj, dict):
        raise SettingError("host: must be an object")
    settings = HostSettings()
    for name, value in obj.items():
        if value is not None:
            settings.set(name, value)
    return settings
