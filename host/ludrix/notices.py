"""Notices: the list shown at login and the notice reader."""

from __future__ import annotations

from typing import TYPE_CHECKING

from .clock import yymmdd
from .commands import parse_numbers, split_command
from .prompts import PRESS_RETURN, WRONG_COMMAND

if TYPE_CHECKING:
    from .session import Place, Session
    from .world import Notice

NOTICE_PROMPT = "番号またはコマンド(M,S,F,H,Q,RBn,TLn,KW,KWL,DSn,RT,DL,J)="
QUESTION = "お知らせを表示しますか(Y,N)="
LOGIN_TITLE = "今回のお知らせ"
HEADING = " 番号　日付　　　タイトル　　　　　　　　（番号選択で内容表示）"
NONE_LEFT = "該当するお知らせはありません。"


def fresh(s: Session) -> list[Notice]:
    """Notices dated after the user's previous logout."""
    since = s.me.last_logout
    return [n for n in s.world.notices if since is None or n.date > since]


async def list_titles(s: Session, notices: list[Notice]) -> None:
    """The title list; a full page waits for the return key."""
    s.line.text("\r\n" + HEADING + "\r\n")
    page = s.world.settings.notice_page or s.world.settings.page_size
    for i, n in enumerate(notices):
        if i and i % page == 0:
            await s.ask("\r\n" + PRESS_RETURN)
        s.line.text(f"{n.number:5d}  {yymmdd(n.date)}  {n.title}\r\n")


def show(s: Session, notices: list[Notice]) -> None:
    for n in notices:
        s.line.text(f"\r\n＜お知らせ{n.number:4d}＞　{n.date:%y/%m/%d %H:%M}　{n.title}\r\n\r\n")
        for line in n.text:
            s.line.text(line + "\r\n")


def by_numbers(s: Session, numbers: list[int]) -> list[Notice] | None:
    table = {n.number: n for n in s.world.notices}
    found = [table[k] for k in numbers if k in table]
    return found if len(found) == len(numbers) else None


async def at_login(s: Session) -> Place | None:
    """The notices screen after login; returns the notice reader when any were read."""
    notices = fresh(s)
    mode = s.me.login_notices
    if mode == "off" or not notices:
        return None
    if mode == "list":
        s.line.text("\r\n" + LOGIN_TITLE + "\r\n")
        await list_titles(s, notices)
    else:
        s.line.text(f"\r\n新しいお知らせが{len(notices)}件あります。\r\n")
    while True:
        answer = await s.answer("\r\n" + QUESTION)
        if answer == "N":
            return None
        if answer == "Y":
            show(s, notices)
            return NoticeReader()
        parts = split_command(answer, ("RB",))
        chosen = by_numbers(s, parse_numbers(parts[1]) or []) if parts else None
        if chosen:
            show(s, chosen)
            return NoticeReader()
        s.say(WRONG_COMMAND)


class NoticeReader:
    """Reads notices by number ("RB1,2") and lists titles ("TL", "TL5")."""

    async def run(self, s: Session) -> Place | None:
        from .places import main_menu
        while True:
            cmd = await s.command(NOTICE_PROMPT)
            if cmd in ("M", "S"):
                return main_menu()
            parts = split_command(cmd, ("RB", "TL"))
            if parts is None and cmd.isdigit():
                parts = ("RB", cmd)
            if parts is None:
                s.say(WRONG_COMMAND)
            elif parts[0] == "TL":
                start = int(parts[1]) if parts[1].isdigit() else 1
                rest = [n for n in s.world.notices if n.number >= start]
                if rest:
                    await list_titles(s, rest)
                else:
                    s.say(NONE_LEFT)
            else:
                chosen = by_numbers(s, parse_numbers(parts[1]) or [])
                if chosen:
                    show(s, chosen)
                else:
                    s.say(WRONG_COMMAND)
