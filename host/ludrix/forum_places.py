"""The SIGs and their forums: the SIG menu ("J" + code), the forum menu with its
rooms and folders, and the rooms: reading, titles, read positions, posting and
deleting."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import forum_format
from .commands import split_command
from .forum_world import Folder, Forum, Message, Room, Sig
from .profile import digit
from .prompts import CONFIRM_J, PRESS_RETURN, SERVICE_PROMPT, WRONG_COMMAND, page_line
from .sjis import cut, sj_lenient, to_str

if TYPE_CHECKING:
    from .session import Place, Session

FORUM_PROMPT = "番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)="
FOLDERS_ONLY_PROMPT = "番号またはコマンド(M,F,H,Q,J)="
ROOM_PROMPT = "コマンド(M,S,F,H,Q,R,RB,RBn,SC,SCn,RT,TL,TLn,J)="
READ_PROMPTS = {
    "fm": "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=",
    "fm_rc": "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)=",
    "fm_readonly": "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,RP,RV,RT,TLn,PF,J)=",
    "bm": "番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=",
    "bm_rc": "番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)=",
}
TITLES_MORE = "番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,J)="
WRITE_CONFIRM = "コマンド(H,Q,C,RB,G,V)="
WRITE_REFUSED = "番号またはコマンド(H,Q,C)="
WRITE_DONE = "コマンド(M,S,F,H,Q,W,J)="
WRITE_HELP = "１行目にタイトル、２行目から本文を入力して下さい。"
WRITE_END = "行の先頭に半角．．を入力しますと、メッセージ入力を終了します。"
NO_NEW = "新しいメッセージは、ありません。"
NO_DATA_HERE = "該当データは、ありません。"
NOT_REGISTERED = "メッセージは、登録されておりません。"
COMMAND_WRONG = "コマンドが、間違っています。訂正して下さい。"
CANNOT_POST = "この会議室には登録できません。"
LINE_LIMIT = 1024
FLUSH_EVERY = 100  # messages shown between two writes to the line


def delete_prompt(later: bool, earlier: bool) -> str:
    """The prompt after a deletion: "N" when a later message exists, "B" an earlier one."""
    return "コマンド(M,S,F,H,Q," + ("N," if later else "") + ("B," if earlier else "") + "Dn,J)="


def sig_jump(s: Session, cmd: str) -> Place | None:
    """"J" + a SIG's code (or a former code of it)."""
    sig = s.world.forums.sig(cmd[1:])
    return SigMenu(sig) if sig is not None else None


class SigDirectory:
    """The SIGs of the host, from the main menu."""

    async def run(self, s: Session) -> Place | None:
        from .menus import MainMenu
        sigs = s.world.forums.sigs
        lines = ["", "　＝＝＝ＳＩＧとコミュニティ＝＝＝", ""]
        lines += [f"　{digit(i)}{sig.name}  ({sig.code})" for i, sig in enumerate(sigs, 1)]
        s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(SERVICE_PROMPT)
            if cmd in ("M", "S"):
                return MainMenu()
            if cmd.isdigit() and 1 <= int(cmd) <= len(sigs):
                return SigMenu(sigs[int(cmd) - 1])
            s.say(WRONG_COMMAND)


class SigMenu:
    """The banner, the forums, and a last line with the SIG's name and its code."""

    def __init__(self, sig: Sig) -> None:
        self.sig = sig

    async def run(self, s: Session) -> Place | None:
        from .menus import MainMenu
        sig = self.sig
        lines = ["", f"　＊＊＊　{sig.name}　＊＊＊", *sig.banner, ""]
        entries = sorted([(f.number, f.name) for f in sig.forums] +
                         [(lib.number, lib.name) for lib in sig.libraries])
        lines += [f"　{digit(number)}{name}" for number, name in entries]
        lines += ["", f"{sig.name}  ({sig.code})"]
        s.line.text("\r\n".join(lines) + "\r\n")
        while True:
            cmd = await s.command(SERVICE_PROMPT)
            if cmd in ("M", "S"):
                return MainMenu()
            forum = sig.forum(int(cmd)) if cmd.isdigit() else None
            if forum is not None:
                return ForumMenu(sig, forum)
            library = sig.library(int(cmd)) if cmd.isdigit() else None
            if library is not None:
                from .library_places import LibraryMenu
                return LibraryMenu(sig, library)
            s.say(WRONG_COMMAND)


class ForumMenu:
    """A forum's rooms and folders (or a folder's rooms), paged by the return key."""

    def __init__(self, sig: Sig, forum: Forum, folder: Folder | None = None,
                 show: bool = True) -> None:
        self.sig = sig
        self.forum = forum
        self.folder = folder
        self.show = show

    def entries(self) -> list[Room | Folder]:
        return list(self.folder.rooms) if self.folder is not None else list(self.forum.entries)

    def prompt(self) -> str:
        rooms = any(isinstance(e, Room) for e in self.entries())
        return FORUM_PROMPT if rooms else FOLDERS_ONLY_PROMPT

    def up(self) -> ForumMenu:
        """Where "M" in one of its rooms leads."""
        return ForumMenu(self.sig, self.forum, self.folder)

    def again(self) -> ForumMenu:
        """This menu's prompt again, without the list."""
        return ForumMenu(self.sig, self.forum, self.folder, show=False)

    def room(self, text: str) -> Room | None:
        if not text.isdigit():
            return None
        entry = next((e for e in self.entries() if e.number == int(text)), None)
        return entry if isinstance(entry, Room) else None

    async def list_entries(self, s: Session) -> None:
        title = self.folder.name if self.folder is not None else self.forum.name
        s.line.text(f"\r\n　＝＝＝{title}＝＝＝\r\n\r\n")
        entries: list[Room | Folder | None] = list(self.entries())
        if self.folder is None and self.forum.talk:
            entries.append(None)
        page = s.world.settings.page_size
        for i, line in enumerate(forum_format.menu_lines(entries, s.world.forums.layout)):
            if i and i % page == 0:
                await s.ask("\r\n" + PRESS_RETURN)
            s.line.write(line + b"\r\n")

    async def run(self, s: Session) -> Place | None:
        if self.show:
            await self.list_entries(s)
        while True:
            cmd = await s.command(self.prompt())
            if cmd in ("M", "S"):
                if self.folder is not None:
                    return ForumMenu(self.sig, self.forum)
                return SigMenu(self.sig)
            if cmd.isdigit():
                entry = next((e for e in self.entries() if e.number == int(cmd)), None)
                if isinstance(entry, Folder):
                    return ForumMenu(self.sig, self.forum, entry)
                if isinstance(entry, Room):
                    return RoomVisit(self, entry, "new")
            parts = split_command(cmd, ("RN", "SC", "W", "RT", "R"))
            room = self.room(parts[1]) if parts else None
            if room is None:
                s.say(WRONG_COMMAND)
                continue
            if parts[0] == "W" and room.prompt == "fm_readonly":
                s.say(WRONG_COMMAND)
                continue
            modes = {"RN": "new", "SC": "status", "W": "write", "RT": "titles", "R": "all"}
            return RoomVisit(self, room, modes[parts[0]])


class RoomVisit:
    """Inside a room, entered from a forum or folder menu in one of five ways."""

    def __init__(self, menu: ForumMenu, room: Room, mode: str) -> None:
        self.menu = menu
        self.room = room
        self.mode = mode

    def read_prompt(self) -> str:
        return READ_PROMPTS[self.room.prompt]

    async def run(self, s: Session) -> Place | None:
        room, user = self.room, s.me.id
        prompt = self.read_prompt()
        if self.mode == "new":
            waiting = room.highest - room.position(user)
            if waiting <= 0:
                s.say(NO_NEW)
                return self.menu.again()
            s.say(f"＜{room.name}＞　新着メッセージ {waiting}件")
            prompt = ROOM_PROMPT
        elif self.mode == "status":
            s.line.text(f"\r\n#{room.position(user)}/{room.highest}　{room.name}\r\n")
        elif self.mode == "write":
            prompt = await self.write(s)
        elif self.mode == "titles":
            prompt = await self.titles(s, room.position(user) + 1)
        else:
            await self.read(s, list(range(1, room.highest + 1)))
        while True:
            cmd = await s.command(prompt)
            prompt = self.read_prompt()
            if cmd == "S":
                return self.menu.again()
            if cmd == "M":
                return self.menu.up()
            if cmd in ("R", "RB", "RB-"):
                await self.read(s, list(range(room.position(user) + 1, room.highest + 1)))
            elif cmd == "W" and room.prompt != "fm_readonly":
                prompt = await self.write(s)
            elif cmd == "SC":
                room.set_position(user, room.highest)
            else:
                prompt = await self.numbered(s, cmd) or prompt

    async def numbered(self, s: Session, cmd: str) -> str | None:
        """RBn, RBn-, RB-,k, SCn, TL, TLn, Dn; the prompt to show next, or None."""
        room, user = self.room, s.me.id
        parts = split_command(cmd, ("RB", "SC", "TL", "D"))
        if parts is None:
            s.say(WRONG_COMMAND)
            return None
        name, arg = parts
        if name == "TL" and (arg == "" or arg.isdigit()):
            return await self.titles(s, int(arg) if arg else room.position(user) + 1)
        if name == "SC" and arg.isdigit():
            room.set_position(user, int(arg))
            return None
        if name == "D" and arg.isdigit():
            return await self.delete(s, int(arg))
        if name == "RB" and arg.startswith("-,") and arg[2:].isdigit():
            count = int(arg[2:])
            await self.read(s, list(range(max(1, room.highest - count + 1), room.highest + 1)))
        elif name == "RB" and arg.endswith("-") and arg[:-1].isdigit():
            await self.read(s, list(range(max(1, int(arg[:-1])), room.highest + 1)))
        elif name == "RB" and arg.isdigit():
            await self.read(s, [int(arg)])
        else:
            s.say(WRONG_COMMAND)
        return None

    async def read(self, s: Session, numbers: list[int]) -> None:
        """Shows the messages in order; the read position follows the last one shown."""
        room, layout = self.room, s.world.forums.layout
        shown = [n for n in numbers if room.message(n) is not None]
        if not shown:
            s.say(NO_DATA_HERE)
            return
        s.line.text("\r\n")
        for i, n in enumerate(shown):
            message = room.message(n)
            assert message is not None
            for line in forum_format.message_lines(n, room, message, layout):
                s.line.write(line + b"\r\n")
            room.set_position(s.me.id, max(room.position(s.me.id), n))
            if i % FLUSH_EVERY == FLUSH_EVERY - 1:
                await s.line.flush()

    async def titles(self, s: Session, first: int) -> str:
        """The titles from message first on, a page at a time ("N" for the next page)."""
        room = self.room
        numbers = [n for n in range(max(1, first), room.highest + 1) if room.message(n)]
        if not numbers:
            s.say(NO_DATA_HERE)
            return self.read_prompt()
        size = s.world.settings.page_size
        pages = -(-len(numbers) // size)
        s.line.text(f"\r\n{forum_format.TITLES_HEADING}{len(numbers):5d}\r\n")
        for page in range(pages):
            for n in numbers[page * size:(page + 1) * size]:
                message = room.message(n)
                assert message is not None
                s.line.write(forum_format.titles_line(n, message, s.world.forums.layout) + b"\r\n")
            s.line.text(page_line(page + 1, pages) + "\r\n")
            if page + 1 == pages:
                break
            cmd = await s.command(TITLES_MORE)
            if cmd != "N":
                return await self.numbered(s, cmd) or self.read_prompt()
        return self.read_prompt()

    async def delete(self, s: Session, number: int) -> str | None:
        room = self.room
        message = room.message(number)
        if message is None:
            s.say(NOT_REGISTERED)
            return None
        if message.sender != s.me.id:
            s.say(COMMAND_WRONG)
            return None
        while True:
            answer = await s.answer(f"\r\n#{number} を削除します。" + CONFIRM_J)
            if answer in ("Y", "N", "J"):
                break
        if answer != "Y":
            s.say("削除を取り消しました。")
            return None
        room.delete(number)
        s.say("削除しました。")
        later = any(room.message(n) for n in range(number + 1, room.highest + 1))
        earlier = any(room.message(n) for n in range(1, number))
        return delete_prompt(later, earlier)

    async def write(self, s: Session) -> str:
        """The title line, the text up to a line beginning with "..", then register or
        cancel. A room that takes no posts offers only the cancel."""
        layout = s.world.forums.layout
        limit = "".join(chr(0xFF10 + int(c)) for c in str(layout.max_lines))
        s.line.text(f"\r\n{WRITE_HELP}\r\n{WRITE_END}\r\n{limit}行以上は登録されません。\r\n")
        title, body = await s.read_entry(layout.max_lines, LINE_LIMIT)
        if self.room.posting == "refuse" or not title.strip():
            s.say(CANNOT_POST)
            while await s.command(WRITE_REFUSED) != "C":
                s.say(WRONG_COMMAND)
            s.say("取り消しました。")
            return WRITE_DONE
        while True:
            cmd = await s.command(WRITE_CONFIRM)
            if cmd == "G":
                number = self.room.post(Message(sender=s.me.id, handle=s.me.handle,
                                                date=s.clock.now(), title=kept_title(title),
                                                body=body))
                s.say(f"#{number} を登録しました。")
                return WRITE_DONE
            if cmd == "C":
                s.say("取り消しました。")
                return WRITE_DONE
            if cmd == "V":
                s.line.text("\r\n" + "\r\n".join([title, *body]) + "\r\n")
            elif cmd == "RB":
                return await self.write(s)
            else:
                s.say(WRONG_COMMAND)


def kept_title(title: str) -> str:
    """A posted title as the host keeps it: at most TITLE_LIMIT bytes."""
    return to_str(cut(sj_lenient(title), forum_format.TITLE_LIMIT))
