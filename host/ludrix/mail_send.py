"""Writing mail (JSEND), forwarding (FW) and the addressee checks."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import mail_format
from .delivery import Recipient, deliver
from .prompts import CONFIRM, HELP, TITLE_ASK, UNAVAILABLE, WRONG_COMMAND
from .session import Jump, Logout
from .settings import HostSettings
from .sjis import to_str
from .transfer import upload_file_mail
from .world import ID_PATTERN, NETWORK_PREFIXES, Mail

if TYPE_CHECKING:
    from .session import Place, Session

TO_PROMPT = "宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)="
MORE_PROMPT = "追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)="
REFUSED = "宛先コードまたはコマンドが間違っています。訂正して下さい。"
ENTRY_HELP = "１行目に文書名、２行目から本文を入力して下さい。"
ENTRY_END = "行の先頭に半角．．を入力しますと、メッセージ入力を終了します。"
EDIT_PROMPT = "コマンド(H,Q,C,RB,G,V)="
DONE_PROMPT = "コマンド(M,S,F,H,Q,A,J)="
FORWARD_RULE = "－－－－－－－－ 転送メール －－－－－－－－"
LINE_LIMIT = 1024
MAX_LINES = 20_000
ADDRESS_SPECIALS = set('<>()[],;:"\\')


def valid_internet_address(text: str) -> bool:
    local, at, domain = text.partition("@")
    return (bool(local) and bool(at) and "." in domain and "@" not in domain
            and all(0x21 <= ord(c) <= 0x7E and c not in ADDRESS_SPECIALS for c in text))


async def enter_text(s: Session) -> tuple[str, list[str]]:
    """The title line, then the text up to a line that begins with ".."."""
    s.line.text("\r\n" + ENTRY_HELP + "\r\n" + ENTRY_END + "\r\n")
    return await s.read_entry(MAX_LINES, LINE_LIMIT)


def forwarded_text(mail: Mail, recipient_name: str, settings: HostSettings) -> list[str]:
    lines = ["", FORWARD_RULE]
    lines += [to_str(b) for b in mail_format.header_block(mail, recipient_name, settings)]
    return lines + [""] + [to_str(b) for b in mail_format.text_lines(mail)]


class MailSend:
    """JSEND, or FW of the mail being read: addressees, then the text or the file."""

    def __init__(self, forward: Mail | None = None) -> None:
        self.forward = forward

    async def run(self, s: Session) -> Place | None:
        from .places import mail_menu
        recipients, ending = await self.addressees(s)
        if ending == "menu":
            return mail_menu()
        if ending == "upload":
            await upload_file_mail(s, recipients)
            return AfterSend()
        if self.forward is not None and self.forward.file is not None:
            await self.forward_file(s, recipients)
            return AfterSend()
        return await self.write(s, recipients)

    async def addressees(self, s: Session) -> tuple[list[Recipient], str]:
        """Read addressees until an empty line ("text"), "UP" ("upload") or "M" ("menu")."""
        from .places import jump_target, main_menu
        chosen: list[Recipient] = []
        while True:
            raw = await s.ask("\r\n" + (MORE_PROMPT if chosen else TO_PROMPT))
            if not s.strict:
                raw = raw.strip()
            cmd = raw if s.strict else raw.upper()
            if not raw:
                if chosen:
                    return chosen, "text"
                continue
            if cmd == "Q":
                raise Logout()
            if cmd in ("M", "S"):
                return chosen, "menu"
            if cmd == "F":
                raise Jump(main_menu())
            if cmd == "H":
                s.line.text("\r\n" + HELP)
                continue
            target = jump_target(cmd) if cmd.startswith("J") else None
            if target is not None:
                raise Jump(target)
            if cmd == "UP" and chosen and self.forward is None:
                return chosen, "upload"
            if cmd in ("BC", "AD", "EM") or cmd.startswith("FTEL"):
                s.say(UNAVAILABLE)
                continue
            for text in raw.split(","):
                self.add(s, text.strip(), chosen)

    def add(self, s: Session, text: str, chosen: list[Recipient]) -> None:
        upper = text.upper()
        prefix = next((p for p in NETWORK_PREFIXES if upper.startswith(p)), None)
        if prefix is not None:
            rest = text[len(prefix):]
            plain = rest.isascii() and rest.isprintable() and " " not in rest
            if not rest or not plain or (prefix == "INET#" and not valid_internet_address(rest)):
                s.say(REFUSED)
                return
            recipient = Recipient(None, prefix + rest)
            shown = recipient.address
        else:
            user = s.world.user(upper) if ID_PATTERN.match(upper) else None
            if user is None:
                s.say(REFUSED)
                return
            if user.absence is not None:
                s.line.text("\r\n不在者ＩＤ：" + f"{user.id}  {user.handle}\r\n"
                            "不在中の為，メールは受け付けられません。\r\n\r\n"
                            f"不在期間：{user.absence.period}\r\n")
                for line in user.absence.message:
                    s.line.text(line + "\r\n")
                return
            recipient = Recipient(user, user.id)
            shown = f"{user.id}  {user.handle}"
        if any(r.address == recipient.address for r in chosen):
            s.say(f"{recipient.address} は既に指定されています。")
            return
        chosen.append(recipient)
        s.line.text(f"\r\n宛先：{shown}\r\n")

    async def write(self, s: Session, recipients: list[Recipient]) -> Place | None:
        title, body = await enter_text(s)
        while True:
            cmd = await s.command(EDIT_PROMPT)
            if cmd == "G":
                text = body
                if self.forward is not None:
                    text = body + forwarded_text(self.forward, s.me.handle, s.world.settings)
                    self.forward.state = "forwarded"
                deliver(s, recipients, title, text, forwarded=self.forward is not None)
                s.say("送信しました。")
                return AfterSend()
            if cmd == "C":
                s.say("送信を取り消しました。")
                return AfterSend()
            if cmd == "V":
                s.line.text("\r\n文書名：" + title + "\r\n\r\n" + "".join(l + "\r\n" for l in body))
            elif cmd == "RB":
                title, body = await enter_text(s)
            else:
                s.say(WRONG_COMMAND)

    async def forward_file(self, s: Session, recipients: list[Recipient]) -> None:
        """A file mail goes on with its file; only a new title is asked."""
        mail = self.forward
        assert mail is not None and mail.file is not None
        title = (await s.ask("\r\n" + TITLE_ASK + "\r\n>", limit=LINE_LIMIT)).strip() or mail.subject
        while True:
            answer = await s.answer("\r\n" + CONFIRM)
            if answer == "Y":
                deliver(s, recipients, title, [], file=mail.file, forwarded=True)
                mail.state = "forwarded"
                s.say("転送しました。")
                return
            if answer == "N":
                s.say("転送を取り消しました。")
                return


class AfterSend:
    async def run(self, s: Session) -> Place | None:
        from .places import mail_menu
        while True:
            cmd = await s.command(DONE_PROMPT)
            if cmd == "A":
                return MailSend()
            if cmd in ("M", "S"):
                return mail_menu()
            s.say(WRONG_COMMAND)
