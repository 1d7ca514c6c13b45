"""The places of the services reached by "J" and a code (service_world.py): the password,
the information-fee question, the service's menu and a posting place's text entry."""

from __future__ import annotations

from typing import TYPE_CHECKING

from .forum_places import WRITE_CONFIRM, WRITE_HELP, kept_title
from .profile import digit
from .prompts import CONFIRM, WRONG_COMMAND
from .service_world import Post, Service

if TYPE_CHECKING:
    from .session import Place, Session

SERVICE_MENU_PROMPT = "番号またはコマンド(M,F,H,Q,J)="
WRONG_PASSWORD = "パスワードが間違っています。訂正して下さい。"
FEE = ("このサービスは、通信料の他に情報料（１分ごとに１０円）がかかるサービスです。",
       "このサービスは、通信料の他に情報料がかかるサービスです。")
ENTRY_HELP = {
    "message": "行の先頭に半角．．を入力しますと、メッセージ入力を終了します。",
    "lines200": "行の先頭に、半角．．を入力すると終了します。２００行以上は登録されません。",
    "lines501": "行の先頭に、半角..を入力すると終了します。５０１行以上は登録されません。",
}
POSTED = "受け付けました。"
CANCELLED = "取り消しました。"
LINE_LIMIT = 1024
MAX_LINES = 500


def service_jump(s: Session, cmd: str) -> Place | None:
    service = s.world.services.get(cmd[1:].upper())
    if service is None or service.kind in ("club", "circle"):
        return None
    return ServiceGate(service)


class ServiceGate:
    """The password and the fee question before a service's menu."""

    def __init__(self, service: Service) -> None:
        self.service = service

    async def run(self, s: Session) -> Place | None:
        from .menus import MainMenu
        service = self.service
        if service.password:
            typed = await s.ask("\r\nPASSWORD: ", echo=False)
            if typed != service.password:
                s.say(WRONG_PASSWORD)
                return MainMenu()
        if service.fee:
            s.say(FEE[len(service.code) % 2])
            while True:
                answer = await s.answer("\r\n" + CONFIRM)
                if answer in ("Y", "N"):
                    break
            if answer == "N":
                return MainMenu()
        if service.kind == "board":
            from .board_places import BoardMenu
            return BoardMenu(service)
        return ServiceMenu(service)


class ServiceMenu:
    def __init__(self, service: Service, show: bool = True) -> None:
        self.service = service
        self.show = show

    async def run(self, s: Session) -> Place | None:
        from .menus import MainMenu
        service = self.service
        if self.show:
            lines = ["", f"　＝＝＝{service.name}＝＝＝", ""]
            if service.kind == "posting":
                lines.append("　" + digit(1) + "投稿する")
            s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(SERVICE_MENU_PROMPT)
            if cmd in ("M", "S"):
                return MainMenu()
            if cmd == "1" and service.kind == "posting":
                await self.write(s)
                return ServiceMenu(service, show=False)
            s.say(WRONG_COMMAND)

    async def write(self, s: Session) -> None:
        """The title line, the text up to a line beginning with "..", then "G" or "C"."""
        s.line.text(f"\r\n{WRITE_HELP}\r\n{ENTRY_HELP[self.service.entry]}\r\n")
        title, body = await s.read_entry(MAX_LINES, LINE_LIMIT)
        while True:
            cmd = await s.command(WRITE_CONFIRM)
            if cmd == "G" and title.strip():
                self.service.posts.append(Post(sender=s.me.id, date=s.clock.now(),
                                               title=kept_title(title), body=body))
                s.say(POSTED)
                return
            if cmd in ("C", "G"):
                s.say(CANCELLED)
                return
            s.say(WRONG_COMMAND)
