"""The mail reader (JREAD): the paged list, reading, deleting, downloading."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import mail_format
from .commands import parse_numbers, split_command
from .mail_send import MailSend
from .prompts import CONFIRM_J, MAINTENANCE, UNAVAILABLE, WRONG_COMMAND, page_line
from .sjis import sj
from .transfer import download_mail_file

if TYPE_CHECKING:
    from .session import Place, Session
    from .world import Mail

PROMPT = "番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)="
PROMPT_MORE = "番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)="
NO_MAIL = "メールは届いていません。"
HEADING = "番号 受信日  状態  保存期限  発信者"
DELETED = "削除されました。"
NOT_DELETED = "削除を取り消しました。"
UNSUPPORTED = ("SC", "PF")


class MailReader:
    """One visit of the reader; "N" pages the list, or reads on after a mail."""

    def __init__(self) -> None:
        self.page = 0
        self.current: Mail | None = None

    async def run(self, s: Session) -> Place | None:
        from .places import mail_menu
        if "mail" in s.world.settings.maintenance:
            s.say(MAINTENANCE)
            return mail_menu()
        box = s.me.mailbox
        # Some hosts say this also when nothing is unread; the reader is then not shown.
        if not box or (s.world.settings.no_mail == "no-unread" and not s.me.unread()):
            s.say(NO_MAIL)
            return mail_menu()
        s.line.text(f"\r\n到着メール　総数：{len(box):4d}通（未読：{s.me.unread():4d}通）\r\n")
        more = self.show_page(s, 0)
        while True:
            cmd = await s.command(PROMPT_MORE if more else PROMPT)
            more = False
            if cmd in ("M", "S"):
                return mail_menu()
            if cmd == "N":
                more = self.next(s)
            elif cmd == "RT":
                more = self.show_page(s, 0)
            elif cmd == "FW" and self.current is not None and self.current in s.me.mailbox:
                return MailSend(forward=self.current)
            else:
                more = await self.numbered(s, cmd)

    def pages(self, s: Session) -> int:
        size = s.world.settings.page_size
        return max(1, -(-min(len(s.me.mailbox), mail_format.MAX_NUMBER) // size))

    def show_page(self, s: Session, page: int) -> bool:
        """One page of the list; True when further pages follow."""
        size = s.world.settings.page_size
        self.page = page
        self.current = None
        box = s.me.mailbox[:mail_format.MAX_NUMBER]
        s.line.text("\r\n" + HEADING + "\r\n")
        for number in range(page * size + 1, min(len(box), (page + 1) * size) + 1):
            for line in mail_format.list_entry(number, box[number - 1], s.world.settings):
                s.line.write(line + b"\r\n")
        s.line.text(page_line(page + 1, self.pages(s)) + "\r\n")
        return page + 1 < self.pages(s)

    def next(self, s: Session) -> bool:
        box = s.me.mailbox
        if self.current is not None:
            if self.current in box and box.index(self.current) + 1 < len(box):
                return self.read(s, box.index(self.current) + 2)
        elif self.page + 1 < self.pages(s):
            return self.show_page(s, self.page + 1)
        s.say(WRONG_COMMAND)
        return False

    def read(self, s: Session, number: int) -> bool:
        """RB: the header block and the text; True when a next mail exists."""
        box = s.me.mailbox
        mail = box[number - 1]
        s.line.text("\r\n")
        for line in mail_format.header_block(mail, s.me.handle, s.world.settings):
            s.line.write(line + b"\r\n")
        s.line.text("\r\n")
        for line in mail_format.text_lines(mail):
            s.line.write(line + b"\r\n")
        s.world.mark_read(mail, s.clock.now())
        self.current = mail
        return number < len(box)

    async def numbered(self, s: Session, cmd: str) -> bool:
        parts = split_command(cmd, ("RB", "DL", "D") + UNSUPPORTED)
        if parts is None and cmd.isdigit():
            parts = ("RB", cmd)
        if parts is not None and parts[0] in UNSUPPORTED:
            s.say(UNAVAILABLE)
            return False
        numbers = parse_numbers(parts[1]) if parts else None
        if not numbers or not all(1 <= n <= len(s.me.mailbox) for n in numbers):
            s.say(WRONG_COMMAND)
            return False
        if parts[0] == "RB" and len(numbers) == 1:
            return self.read(s, numbers[0])
        if parts[0] == "D":
            await self.delete(s, numbers)
            return False
        if parts[0] == "DL" and len(numbers) == 1:
            await download_mail_file(s, s.me.mailbox[numbers[0] - 1])
            return False
        s.say(WRONG_COMMAND)
        return False

    async def delete(self, s: Session, numbers: list[int]) -> None:
        box = s.me.mailbox
        chosen = [box[n - 1] for n in dict.fromkeys(numbers)]
        text = ",".join(str(n) for n in numbers)
        while True:
            answer = await s.answer(f"\r\nメール {text} を削除します。" + CONFIRM_J)
            if answer in ("Y", "N", "J"):
                break
        if answer != "Y":
            s.say(NOT_DELETED)
            return
        for mail in chosen:
            box.remove(mail)
        self.current = None
        if s.world.settings.delete_notice:
            s.line.write(b"\r\n" + sj(DELETED) + b"\r\n")
