"""The main menu and the menus that only lead elsewhere."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import login, profile
from .prompts import MAIN_PROMPT, NO_DATA, SERVICE_PROMPT, WRONG_COMMAND

if TYPE_CHECKING:
    from .session import Place, Session

MAIN_TITLE = "　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)"
MAIL_ARRIVED = "【到着】"
MAIN_ENTRIES = ("電子メール", "ＳＩＧとコミュニティ", "掲示板", "クラブ・サークル",
                "お知らせ", "クリッピング", "各種登録・料金照会")


class MainMenu:
    async def run(self, s: Session) -> Place | None:
        from .places import mail_menu
        lines = ["", MAIN_TITLE, ""]
        for i, entry in enumerate(MAIN_ENTRIES, 1):
            mark = MAIL_ARRIVED if i == 1 and s.me.unread() and profile.mail_notice(s.me) else ""
            lines.append("　" + profile.digit(i) + entry + mark)
        s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(MAIN_PROMPT)
            if cmd == "1":
                return mail_menu()
            if cmd == "2":
                from .forum_places import SigDirectory
                return SigDirectory()
            if cmd.isdigit() and 2 <= int(cmd) <= len(MAIN_ENTRIES):
                s.say(NO_DATA)
            elif cmd in ("M", "S"):
                return MainMenu()
            elif cmd == "CID":
                return await login.change_id(s)
            else:
                s.say(WRONG_COMMAND)


class NotHere:
    """A service this host does not offer: says so and returns to the main menu."""

    async def run(self, s: Session) -> Place | None:
        s.say(NO_DATA)
        return MainMenu()


class Menu:
    """A menu of numbered entries, each leading to a place."""

    def __init__(self, title: str, entries: tuple[tuple[str, type], ...]) -> None:
        self._title = title
        self._entries = entries

    async def run(self, s: Session) -> Place | None:
        lines = ["", f"　＝＝＝{self._title}＝＝＝", ""]
        lines += ["　" + profile.digit(i) + name for i, (name, _) in enumerate(self._entries, 1)]
        s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(SERVICE_PROMPT)
            if cmd in ("M", "S"):
                return MainMenu()
            if cmd.isdigit() and 1 <= int(cmd) <= len(self._entries):
                return self._entries[int(cmd) - 1][1]()
            s.say(WRONG_COMMAND)
