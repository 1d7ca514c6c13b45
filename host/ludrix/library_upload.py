"""A library section's registration corner: files uploaded over the host's own Rapidox
side, their document, their comment and the classification questions, "DP" for the list
of registrations that wait, and "99" to register one."""

from __future__ import annotations

from typing import TYPE_CHECKING

from .library_world import NAME_PATTERN, LibFile
from .prompts import CONFIRM, PRESS_RETURN, WRONG_COMMAND
from .rapidox import OK
from .rapidox_recv import Receiver
from .sjis import sj_lenient, to_str
from .transfer import START_UPLOAD, settle_upload

if TYPE_CHECKING:
    from .library_places import SectionMenu
    from .session import Place, Session

REGISTRATION_PROMPT = "番号またはコマンド(M,S,F,H,Q,DP,J)="
DOCUMENT_NAME_PROMPT = "ドキュメントファイル名またはコマンド(M,S,F,H,Q,J)="
DOCUMENT_MENU = "ファイル名またはコマンド(M,S,F,H,Q,WCn,J)="
PENDING_HEADING = "　　 ファイル名　　登録者ＩＤ　登録日　　サイズ　登録状態"
CLASSIFICATION_PROMPT = "番号を入力して下さい(99:登録 0:中止)="
# The classification questions by menu number: what the world keeps, the question, the
# number of choices (None: a text).
QUESTIONS = {
    "1": ("kind", "ﾌｧｲﾙ種別（１～１７）", 17),
    "2": ("class", "分類（１～９９）", 99),
    "3": ("content", "ﾌｧｲﾙ内容（１～９）", 9),
    "5": ("version", "ﾊﾞｰｼﾞｮﾝ番号", None),
    "6": ("environment", "動作環境（１～２８）", 28),
    "9": ("distribution", "流通ﾀｲﾌﾟ（１～９）", 9),
}
LINE_LIMIT = 1024
MAX_LINES = 500


def pending_line(f: LibFile) -> bytes:
    """A line of the "DP" list, laid out as a file list entry up to the size."""
    return (f"{f.number:4d}.".encode("ascii") + sj_lenient(f.name)[:15].ljust(15) +
            sj_lenient(f.owner)[:8].ljust(8) + b"  " + f.date.strftime("%y/%m/%d").encode("ascii") +
            b"   " + f"{min(f.size, 9_999_999):7d}".encode("ascii") + b"   " + sj_lenient("登録待ち"))


class Registration:
    def __init__(self, menu: SectionMenu, show: bool = True) -> None:
        self.menu = menu
        self.section = menu.section
        self.show = show
        self.last: LibFile | None = None  # uploaded in this visit: the document goes with it

    async def run(self, s: Session) -> Place | None:
        if self.show:
            s.line.text("\r\n　＝＝＝ファイル登録＝＝＝\r\n\r\n　１．ドキュメント登録\r\n　２．ファイル登録\r\n")
        while True:
            cmd = await s.command(REGISTRATION_PROMPT)
            number = int(cmd[2:]) if cmd[:2] in ("WC", "CE") and cmd[2:].isdigit() else None
            if cmd in ("M", "S", "E"):
                return self.menu.again()
            if cmd == "2":
                await self.upload(s)
            elif cmd == "1" and self.last is not None:
                await self.document(s, self.last)
            elif cmd == "DP":
                s.line.text("\r\n" + PENDING_HEADING + "\r\n")
                for f in self.section.pending:
                    s.line.write(pending_line(f) + b"\r\n")
            elif number is not None and self.section.waiting(number) is not None:
                f = self.section.waiting(number)
                await (self.comment(s, f) if cmd.startswith("WC") else self.classify(s, f))
            else:
                s.say(WRONG_COMMAND)

    async def upload(self, s: Session) -> None:
        """One file; a name the section holds already is turned down with "S"."""
        s.say(START_UPLOAD)
        section = self.section
        receiver = Receiver(s.line, s.transfer_faults, s.options.transfer_timeout,
                            unwanted=lambda name: section.holds(to_str(name)))
        result = await receiver.run()
        await settle_upload(s, receiver, result)
        names = [to_str(f.name) for f in receiver.files]
        if result != OK or not all(NAME_PATTERN.match(n) for n in names):
            s.say("ファイル転送が中断されました。異常終了")
            return
        if not receiver.files:
            s.say("登録済み　" + " ".join(to_str(n) for n in receiver.skipped))
            return
        for received, name in zip(receiver.files, names):
            f = LibFile(number=0, name=name, owner=s.me.id, date=s.clock.now(),
                        size=len(received.data), data=received.data)
            section.upload(f)
            self.last = f
        s.say("正常終了　" + " ".join(names))

    async def document(self, s: Session, f: LibFile) -> None:
        from .library_places import protocol_menu
        name = (await s.ask("\r\n" + DOCUMENT_NAME_PROMPT)).strip()
        if not name or name.upper() in ("M", "S", "F"):
            return
        menu, rapidox = protocol_menu(s.world.library_layout)
        s.line.text("\r\n" + menu)
        while (await s.answer("プロトコル=")) != str(rapidox or 2):
            s.say(WRONG_COMMAND)
        s.line.text("\r\nドキュメントを入力して下さい。\r\n")
        lines: list[str] = []
        while not (raw := await s.read_line(limit=LINE_LIMIT)).startswith(b".."):
            if len(lines) < MAX_LINES:
                lines.append(to_str(raw))
        while (answer := await s.answer("\r\nこれでよろしいですか(Y,N)=")) not in ("Y", "N"):
            pass
        if answer == "Y":
            f.description = lines
        while await s.answer("\r\n完了しますか(Y,N,J)=") not in ("Y", "N", "J"):
            pass
        while await s.answer("\r\n" + DOCUMENT_MENU) != "F":
            s.say(WRONG_COMMAND)

    async def comment(self, s: Session, f: LibFile) -> None:
        text = await s.ask("\r\nコメントを入力して下さい。\r\n>")
        while (answer := await s.answer("\r\n" + CONFIRM)) not in ("Y", "N"):
            pass
        if answer == "Y":
            f.comment = text

    async def classify(self, s: Session, f: LibFile) -> None:
        """The questions by number until "99" registers the file or "0" leaves."""
        form = s.world.library_layout.confirm
        rounds = 0
        s.line.text("\r\n　ファイルの分類を設定して下さい。\r\n" +
                    "".join(f"　{n:>2}．{q[1]}\r\n" for n, q in QUESTIONS.items()) +
                    "　10．説明\r\n　99．登録\r\n")
        while True:
            cmd = await s.answer("\r\n" + CLASSIFICATION_PROMPT)
            if cmd == "0":
                s.say("設定を取り消しました。")
                return
            if cmd in QUESTIONS:
                key, question, choices = QUESTIONS[cmd]
                value = (await s.ask(f"\r\n{question}=")).strip()
                if choices is None:
                    f.classification[key] = value
                elif value.isdigit() and 1 <= int(value) <= choices:
                    f.classification[key] = int(value)
                else:
                    s.say(WRONG_COMMAND)
            elif cmd == "10":
                text = [to_str(await s.read_line(limit=LINE_LIMIT))]
                while line := (await s.ask("\r\n続けて入力して下さい（改行のみで終了）=")).strip():
                    text.append(line)
                f.classification["text"] = "\n".join(text)
            elif cmd == "99":
                if await s.answer("\r\nこれでよろしいですか(Y/N)=") != "Y":
                    continue
                rounds += 1
                if form == "twice" and rounds < 2:
                    s.say("確認のため、もう一度登録して下さい。")
                    continue
                self.section.register(f)
                s.say("登録しました。")
                if form == "return":
                    await s.ask("\r\n" + PRESS_RETURN)
                return
            else:
                s.say(WRONG_COMMAND)
