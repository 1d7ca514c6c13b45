"""The list of sent mail (JSMAIL) and its deletions."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import mail_format
from .commands import split_command
from .prompts import CONFIRM_J, MAINTENANCE, WRONG_COMMAND, page_line

if TYPE_CHECKING:
    from .session import Place, Session

PROMPT = "番号またはコマンド(M,S,F,H,Q,Dn,J)="
PROMPT_MORE = "番号またはコマンド(M,S,F,H,Q,N,Dn,J)="
NOTHING_SENT = "送信済メールは有りません。"
HEADING = ("番号　送信日　　　確認日時　　　宛先コード　宛先名\r\n"
           "　　　枚数（属性）　文書名（ファイル名、サイズ、コメント）\r\n"
           + "-" * 78 + "\r\n")


class SentList:
    def __init__(self) -> None:
        self.page = 0

    async def run(self, s: Session) -> Place | None:
        from .places import mail_menu
        if "sent" in s.world.settings.maintenance:
            s.say(MAINTENANCE)
            return mail_menu()
        if not s.me.sent:
            s.say(NOTHING_SENT)
            return mail_menu()
        s.line.text(f"\r\n送信済メール　総数：{len(s.me.sent):4d}通\r\n\r\n")
        more = self.show_page(s, 0)
        while True:
            cmd = await s.command(PROMPT_MORE if more else PROMPT)
            more = False
            if cmd in ("M", "S"):
                return mail_menu()
            if cmd == "N" and self.page + 1 < self.pages(s):
                more = self.show_page(s, self.page + 1)
                continue
            parts = split_command(cmd, ("D",))
            if parts and parts[1].isdigit() and 1 <= int(parts[1]) <= len(s.me.sent):
                await self.delete(s, int(parts[1]))
            else:
                s.say(WRONG_COMMAND)

    def pages(self, s: Session) -> int:
        size = s.world.settings.page_size
        return max(1, -(-min(len(s.me.sent), mail_format.MAX_NUMBER) // size))

    def show_page(self, s: Session, page: int) -> bool:
        size = s.world.settings.page_size
        self.page = page
        sent = s.me.sent[:mail_format.MAX_NUMBER]
        s.line.text(HEADING)
        for number in range(page * size + 1, min(len(sent), (page + 1) * size) + 1):
            for line in mail_format.sent_entry(number, sent[number - 1], s.world.settings):
                s.line.write(line + b"\r\n")
        s.line.text(page_line(page + 1, self.pages(s)) + "\r\n")
        return page + 1 < self.pages(s)

    async def delete(self, s: Session, number: int) -> None:
        record = s.me.sent[number - 1]
        s.line.text("\r\n")
        for line in mail_format.sent_entry(number, record, s.world.settings):
            s.line.write(line + b"\r\n")
        while True:
            answer = await s.answer("を削除します。" + CONFIRM_J)
            if answer in ("Y", "N", "J"):
                break
        if answer == "Y":
            s.me.sent.remove(record)
            s.say("削除されました。")
        else:
            s.say("削除を取り消しました。")
