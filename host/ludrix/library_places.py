"""The libraries (OSL) of a SIG: the library's menu of sections, a section's menu, its
file list, descriptions and downloads over the host's own Rapidox side."""

from __future__ import annotations

from typing import TYPE_CHECKING

from .library_world import LibFile, Library, LibraryLayout, Section
from .profile import digit
from .prompts import CONFIRM_J, NO_DATA, PRESS_RETURN, UNAVAILABLE, WRONG_COMMAND
from .rapidox import OK
from .rapidox_send import OutFile, Sender
from .sjis import sj_lenient

if TYPE_CHECKING:
    from .forum_world import Sig
    from .session import Place, Session

LIBRARY_PROMPT = "番号またはコマンド(M,F,H,Q,J)="
SECTION_PROMPT = "番号またはコマンド(M,S,F,H,Q,J)="
LIST_PROMPTS = {
    "fm": "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)=",
    "bm": "番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)=",
}
READ_PROMPT = "番号またはコマンド<FM>(M,S,F,H,Q,N,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)="
LIST_MORE = "番号またはコマンド(M,S,F,H,Q,N,RBn,DLn,J)="
HEADERS = {
    "access": "　　 ファイル名　　登録者ＩＤ　登録日　　サイズ　　アクセス",
    "price": "     ファイル名                登録日    サイズ    料  金  購入",
}
CORNER_ENTRIES = ("このコーナーの案内", "ファイル一覧（＊）", "ダウンロード（＊）")
NO_DOWNLOAD = "ダウンロードファイルはありません。"
NO_DOCUMENT = "ドキュメントファイルが登録されていません。"
START_DOWNLOAD = "ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)"
DONE = "ファイル転送が終了しました。"
BROKEN = "ファイル転送が中断されました。"


def entry_line(f: LibFile) -> bytes:
    """A file list entry, laid out by byte position (Shift_JIS)."""
    name = sj_lenient(f.name)[:15].ljust(15)
    owner = sj_lenient(f.owner)[:8].ljust(8)
    date = f.date.strftime("%y/%m/%d").encode("ascii")
    return (f"{f.number:4d}".encode("ascii") + (b"." if f.dotted else b" ") + name + owner + b"  " +
            date + b"   " + f"{min(f.size, 9_999_999):7d}".encode("ascii") + b"   " +
            f"{min(f.access, 9_999_999):7d}".encode("ascii"))


def protocol_menu(layout: LibraryLayout) -> tuple[str, int | None]:
    """The protocol menu and the number that chooses Rapidox (None: the menu does not name
    it, and 2 is taken)."""
    if layout.protocols == "wide":
        return "　１．ＸＭＯＤＥＭ\r\n　３．Ｒａｐｉｄｏｘ\r\n", 3
    if layout.protocols == "none":
        return "　１．ＸＭＯＤＥＭ\r\n", None
    if layout.protocols == "first":
        return "   4．Ｒａｐｉｄｏｘ\r\n   5．ＸＭＯＤＥＭ\r\n", 4
    return "  1  ＸＭＯＤＥＭ\r\n  2  Ｒａｐｉｄｏｘ\r\n", 2


class LibraryMenu:
    """A library's entries: three that are not sections, then the sections."""

    def __init__(self, sig: Sig, library: Library, show: bool = True) -> None:
        self.sig = sig
        self.library = library
        self.show = show

    async def run(self, s: Session) -> Place | None:
        from .forum_places import SigMenu
        library = self.library
        if self.show:
            lines = ["", f"　＝＝＝{library.name}＝＝＝", ""]
            lines += ["　" + digit(i) + name for i, name in enumerate(CORNER_ENTRIES, 1)]
            lines.append("　－－－－－－－－－－")
            lines += ["　" + digit(sec.number) + sec.name for sec in library.sections]
            s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(LIBRARY_PROMPT)
            if cmd in ("M", "S", "E"):
                return SigMenu(self.sig)
            section = library.section(int(cmd)) if cmd.isdigit() else None
            if section is not None:
                return SectionMenu(self, section)
            s.say(NO_DATA if cmd.isdigit() and 1 <= int(cmd) <= 3 else WRONG_COMMAND)


class SectionMenu:
    def __init__(self, library: LibraryMenu, section: Section, show: bool = True) -> None:
        self.library = library
        self.section = section
        self.show = show

    def again(self) -> SectionMenu:
        return SectionMenu(self.library, self.section, show=False)

    async def run(self, s: Session) -> Place | None:
        if self.show:
            s.line.text(f"\r\n　＝＝＝{self.section.name}＝＝＝\r\n\r\n"
                        "　１．このコーナーの案内\r\n　２．ファイル一覧\r\n　３．ファイル登録\r\n")
        while True:
            cmd = await s.command(SECTION_PROMPT)
            if cmd in ("M", "S", "E"):
                return LibraryMenu(self.library.sig, self.library.library)
            if cmd == "2":
                return FileList(self)
            if cmd == "3":
                from .library_upload import Registration
                return Registration(self)
            s.say(NO_DATA if cmd == "1" else WRONG_COMMAND)


class FileList:
    """A section's files: the list by "TLn", descriptions by "RBn", downloads by "DLn"."""

    def __init__(self, menu: SectionMenu) -> None:
        self.menu = menu
        self.section = menu.section

    async def run(self, s: Session) -> Place | None:
        layout = s.world.library_layout
        if not self.section.files:
            s.say(NO_DATA)
            return self.menu.again()
        s.line.text("\r\n" + HEADERS[layout.header] + "\r\n")
        prompt = LIST_PROMPTS[layout.list_mode]
        while True:
            cmd = await s.command(prompt)
            prompt = LIST_PROMPTS["fm"] if layout.list_mode == "fm" or cmd == "RV" else prompt
            if cmd in ("M", "S", "E"):
                return self.menu.again()
            if cmd == "RV":
                continue
            if cmd.startswith("TL") and cmd[2:].isdigit():
                prompt = await self.titles(s, int(cmd[2:])) or prompt
            elif cmd.startswith("RB") and cmd[2:].isdigit():
                prompt = await self.describe(s, int(cmd[2:]))
            elif cmd.startswith("DL") and cmd[2:].isdigit():
                done = await self.download(s, int(cmd[2:]))
                if done is not None:
                    return done
            else:
                s.say(WRONG_COMMAND)

    async def titles(self, s: Session, first: int) -> str | None:
        files = [f for f in self.section.files if f.number >= first]
        if not files:
            s.say(WRONG_COMMAND)
            return None
        size = s.world.settings.page_size
        s.line.text("\r\n")
        for start in range(0, len(files), size):
            for f in files[start:start + size]:
                s.line.write(entry_line(f) + b"\r\n")
            if start + size >= len(files):
                break
            cmd = await s.command(LIST_MORE)
            if cmd != "N":
                s.say(WRONG_COMMAND)
                return None
        return None

    async def describe(self, s: Session, number: int) -> str:
        f = self.section.file(number)
        if f is None or not f.description:
            s.say(NO_DOCUMENT if f is not None else WRONG_COMMAND)
            return READ_PROMPT
        lines = [f"ファイル名：{f.name}　　登録者：{f.owner}", *f.description]
        if not f.comment:
            lines.append("(コメント無)")
        s.line.text("\r\n\r\n" + "\r\n".join(lines) + "\r\n")
        return READ_PROMPT

    async def download(self, s: Session, number: int) -> Place | None:
        """The download menu of a file; None when the host refuses (back to the list)."""
        from .menus import MainMenu
        f = self.section.file(number)
        if f is None:
            s.say(NO_DOWNLOAD)
            return None
        s.line.text(f"\r\nファイル名：{f.name}　サイズ：{f.size}バイト\r\n\r\n　１．ダウンロードする\r\n")
        while True:
            cmd = await s.command(SECTION_PROMPT)
            if cmd in ("M", "S"):
                return self.menu.again()
            if cmd == "1":
                break
            s.say(WRONG_COMMAND)
        while (answer := await s.answer("\r\n" + CONFIRM_J)) not in ("Y", "N", "J"):
            pass
        if answer != "Y":
            return self.menu.again()
        menu, rapidox = protocol_menu(s.world.library_layout)
        s.line.text("\r\n" + menu)
        while True:
            choice = await s.answer("プロトコル=")
            if choice == str(rapidox or 2):
                break
            s.say(UNAVAILABLE)
        s.say(START_DOWNLOAD)
        batch = [f] + [g for name in f.also for g in self.section.files if g.name == name]
        sender = Sender(s.line, s.transfer_faults, s.options.transfer_timeout)
        result = await sender.run([OutFile(sj_lenient(g.name), g.content(), g.date) for g in batch])
        if sender.stalled:
            from .line import LineClosed
            await s.line.discard_until_closed()
            raise LineClosed("stalled transfer")
        s.line.discard_pending()
        if result == OK:
            for g in batch:
                g.access += 1
        s.say(DONE if result == OK else BROKEN)
        await s.ask("\r\n" + PRESS_RETURN)
        while True:
            cmd = await s.command(SECTION_PROMPT)
            if cmd in ("M", "S"):
                return self.menu.again()
            if cmd == "F":
                return MainMenu()
            s.say(WRONG_COMMAND)
