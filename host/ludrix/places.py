"""Where the jump commands lead."""

from __future__ import annotations

from typing import TYPE_CHECKING, Callable

from .board_places import ClubMenu
from .forum_places import sig_jump
from .mail_read import MailReader
from .mail_send import MailSend
from .menus import MainMenu, Menu, NotHere
from .sent_list import SentList
from .service_places import service_jump

if TYPE_CHECKING:
    from .session import Place, Session

OTHER_SERVICES = ("JCLIPREAD", "JRYOKIN", "JSERVICE", "JTOROKU", "JMENUMAP")
MAIL_ENTRIES = (("メールを読む", MailReader), ("メールを書く", MailSend),
                ("送信済メールの確認", SentList))


def main_menu() -> Place:
    return MainMenu()


def mail_menu() -> Place:
    return Menu("電子メール", MAIL_ENTRIES)


JUMPS: dict[str, Callable[[], Place]] = {
    "JMAIN": main_menu,
    "JMAIL": mail_menu,
    "JREAD": MailReader,
    "JSEND": MailSend,
    "JSMAIL": SentList,
    "JCLUB": ClubMenu,
    **{name: NotHere for name in OTHER_SERVICES},
}


def jump_target(cmd: str, s: Session | None = None) -> Place | None:
    """The place of a jump command; "J" and a SIG's code lead to that SIG."""
    make = JUMPS.get(cmd)
    if make is not None:
        return make()
    if s is None:
        return None
    return sig_jump(s, cmd) or service_jump(s, cmd)
