"""Bulletin boards (reached by "J" and their code through the service gate), and the
club menu ("JCLUB") where clubs and circles are entered by their code, with their
passwords and contracts. Inside, a board, club or circle is read and written like a forum
room: "1" enters its messages, "W" writes one."""

from __future__ import annotations

from typing import TYPE_CHECKING

from .forum_places import RoomVisit
from .prompts import WRONG_COMMAND
from .service_places import WRONG_PASSWORD

if TYPE_CHECKING:
    from .service_world import Service
    from .session import Place, Session

BOARD_PROMPT = "番号またはコマンド(M,S,F,H,Q,SCm,J)="
CLUB_MENU_PROMPT = "番号またはコマンド(M,F,H,Q,J)="
CODE_ASK = {"club": "クラブコード：", "circle": "サークルコード："}
CODE_WRONG = {"club": "クラブコードが間違っています。訂正して下さい。",
              "circle": "サークルコードが間違っています。訂正して下さい。"}
NOT_CONTRACTED = "未契約の為御利用出来ません。"


class ClubMenu:
    def __init__(self, show: bool = True) -> None:
        self.show = show

    async def run(self, s: Session) -> Place | None:
        from .menus import MainMenu
        if self.show:
            s.line.text("\r\n　＝＝＝クラブとサークル＝＝＝\r\n\r\n　２．サークル\r\n　４．クラブ\r\n")
        while True:
            cmd = await s.command(CLUB_MENU_PROMPT)
            kind = {"4": "club", "2": "circle"}.get(cmd)
            if cmd in ("M", "S"):
                return MainMenu()
            if kind is None:
                s.say(WRONG_COMMAND)
                continue
            code = (await s.ask("\r\n" + CODE_ASK[kind])).strip().upper()
            place = s.world.services.get(code)
            if place is None or place.kind != kind:
                s.say(CODE_WRONG[kind])
            elif not place.contracted:
                s.say(NOT_CONTRACTED)
            elif place.password and await s.ask("\r\nPASSWORD: ", echo=False) != place.password:
                s.say(WRONG_PASSWORD)
            else:
                return BoardMenu(place)


class BoardMenu:
    """A board's, club's or circle's own menu, under its banner."""

    def __init__(self, service: Service, show: bool = True) -> None:
        self.service = service
        self.show = show

    def again(self) -> BoardMenu:
        return BoardMenu(self.service, show=False)

    def up(self) -> Place:
        from .menus import MainMenu
        return MainMenu() if self.service.kind == "board" else ClubMenu(show=False)

    async def run(self, s: Session) -> Place | None:
        service = self.service
        room = service.room
        assert room is not None
        if self.show:
            opening = "＊＊＊＊　" if service.banner == "wide" else "＊＊＊＊  "
            s.line.text(f"\r\n\r\n{opening}{service.name}　＊＊＊＊\r\n\r\n"
                        "　１．メッセージを読む\r\n　Ｗ．メッセージを書く\r\n")
        prompt = BOARD_PROMPT
        while True:
            cmd = await s.command(prompt)
            prompt = BOARD_PROMPT
            if cmd in ("M", "S"):
                return self.up()
            if cmd == "1":
                return RoomVisit(self, room, "status")
            if cmd == "W":
                prompt = await RoomVisit(self, room, "write").write(s)
            else:
                s.say(WRONG_COMMAND)
