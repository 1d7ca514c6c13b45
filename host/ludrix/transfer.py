"""The file transfers of the mail service: DL of a file mail, UP of a new one."""

from __future__ import annotations

from typing import TYPE_CHECKING, Callable

from .delivery import Recipient, deliver
from .line import LineClosed
from .prompts import CONFIRM, PRESS_RETURN, SERVICE_PROMPT, TITLE_ASK, UNAVAILABLE, WRONG_COMMAND
from .rapidox import CR, OK
from .rapidox_recv import Receiver
from .rapidox_send import OutFile, Sender
from .sjis import sj_lenient, to_str
from .world import FileData, PartialUpload, User

if TYPE_CHECKING:
    from .session import Session
    from .world import Mail

DL_PROMPT = "番号またはコマンド(H,Q,C)="
START_DOWNLOAD = "ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)"
START_UPLOAD = "ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)"
DONE = "ファイル転送が終了しました。"
BROKEN = "ファイル転送が中断されました。"
CLOSING_CR_WAIT = 1.0  # seconds: the caller's sender ends with one CR
# Seconds of silence that end a broken upload: the caller's sender may still have blocks
# on the way, answers a cancel with EOT and, 1.5 s later, its closing CR; none of it may
# be read as a typed line.
BROKEN_UPLOAD_QUIET = 2.5


async def _choose(s: Session, screen: str, prompt: str, cancel: str) -> bool:
    """A two-entry menu where only entry 2 (the Rapidox way) is offered."""
    s.line.text(screen)
    while True:
        cmd = await s.command(prompt)
        if cmd == "2":
            return True
        if cmd == cancel:
            return False
        s.say(UNAVAILABLE if cmd == "1" else WRONG_COMMAND)


async def _after(s: Session, stalled: bool) -> None:
    """A stalled transfer stays silent until the caller hangs up."""
    if stalled:
        await s.line.discard_until_closed()
        raise LineClosed("stalled transfer")


async def settle_upload(s: Session, receiver: Receiver, result: int) -> None:
    """After an upload: the caller's closing CR, or what a broken sender still sends, is
    not read as a typed line."""
    await _after(s, receiver.stalled)
    if result == OK:
        await s.line.swallow(CR, CLOSING_CR_WAIT)
    else:
        await s.line.discard_until_quiet(BROKEN_UPLOAD_QUIET)
    s.line.discard_pending()


def _kept_parts(user: User) -> Callable[[bytes, int], bytes]:
    def kept(name: bytes, size: int) -> bytes:
        part = next((p for p in user.partial_uploads if p.name == to_str(name)), None)
        return part.data if part is not None else b""
    return kept


def _keep_parts(user: User, receiver: Receiver) -> None:
    """A file that came whole needs no part any more; one that broke off keeps its
    whole blocks for the next attempt."""
    done = {to_str(f.name) for f in receiver.files}
    broken = receiver.interrupted
    if broken is not None:
        done.add(to_str(broken.name))
    user.partial_uploads = [p for p in user.partial_uploads if p.name not in done]
    if broken is not None and broken.data:
        user.partial_uploads.append(PartialUpload(to_str(broken.name), broken.data))


async def download_mail_file(s: Session, mail: Mail) -> None:
    """DLn: the file of a file mail, sent with Rapidox; then the return key."""
    if mail.file is None:
        s.say("このメールにはファイルが添付されていません。")
        return
    file = mail.file
    screen = (f"\r\nファイル名：{file.name}　　サイズ：{file.size}バイト\r\n\r\n"
              "　１．無手順でダウンロード\r\n　２．Ｒａｐｉｄｏｘでダウンロード\r\n")
    if not await _choose(s, screen, DL_PROMPT, "C"):
        s.say("ダウンロードを取り消しました。")
        return
    s.say(START_DOWNLOAD)
    name = sj_lenient(file.name.replace("\\", "/").rsplit("/", 1)[-1])
    sender = Sender(s.line, s.transfer_faults, s.options.transfer_timeout)
    result = await sender.run([OutFile(name, file.content(), file.mtime)])
    await _after(s, sender.stalled)
    s.line.discard_pending()
    if result == OK:
        s.world.mark_read(mail, s.clock.now())
    s.say(DONE if result == OK else BROKEN)
    await s.ask("\r\n" + PRESS_RETURN)


async def upload_file_mail(s: Session, recipients: list[Recipient]) -> None:
    """UP: kind of file, way of transfer, title, then Rapidox; one mail per file."""
    kinds = "\r\n送信するファイルの種類を選んで下さい。\r\n　１．テキストファイル\r\n　２．バイナリファイル\r\n"
    ways = "\r\n転送方式を選んで下さい。\r\n　１．無手順\r\n　２．Ｒａｐｉｄｏｘ\r\n"
    if not (await _choose(s, kinds, SERVICE_PROMPT, "M") and await _choose(s, ways, SERVICE_PROMPT, "M")):
        s.say("送信を取り消しました。")
        return
    title = (await s.ask("\r\n" + TITLE_ASK + "\r\n>", limit=256)).strip()
    while True:
        answer = await s.answer("\r\n" + CONFIRM)
        if answer == "N":
            s.say("送信を取り消しました。")
            return
        if answer == "Y":
            break
    s.say(START_UPLOAD)
    resume = s.world.settings.upload_resume
    receiver = Receiver(s.line, s.transfer_faults, s.options.transfer_timeout,
                        kept=_kept_parts(s.me) if resume else None)
    try:
        result = await receiver.run()
    finally:
        if resume:
            _keep_parts(s.me, receiver)
    await settle_upload(s, receiver, result)
    if result != OK or not receiver.files:
        s.say(BROKEN)
        return
    now = s.clock.now()
    for received in receiver.files:
        name = to_str(received.name) or "FILE"
        deliver(s, recipients, title or name, [],
                file=FileData(name=name, mtime=received.mtime or now, data=received.data))
    s.say("ファイルを受け付けました。")
