"""The way in: host name, ID and password, greeting, questions after login."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import notices, profile
from .clock import hhmmss, yymmdd
from .sjis import field, sj

if TYPE_CHECKING:
    from .session import Place, Session
    from .world import User

HOST_PROMPT = "\r\nLUDRIX-NET ACCESS SERVICE\r\n\r\nHOST NAME }"
HOST_NAME = "LUDRIX"
HOST_ERROR = "HOST NAME ERROR"
PROMPTS = {"ascii": ("USER_ID:", "PASSWORD: "), "japanese": ("ユーザＩＤ： ", "パスワード： ")}
WRONG_PASSWORD = "ＩＤまたはパスワードが間違っています。訂正してください"
DOUBLE_LOGIN = "◆二重ログインです◆"
CONGESTED = "ただ今、回線は大変混雑しております。しばらくたってからご利用下さい。"
GIVE_UP = "ログインできませんでした。回線を切断します。"
GREETING = "★☆★ようこそＬＵＤＲＩＸワールドへ★☆★"
GREETING_KANA = "WELCOME TO LUDRIX-NET"
PROFILE_QUESTION = "＊プロファイルを修正しますか(Y,N)="
PROFILE_QUESTION_KANA = "*ﾌﾟﾛﾌｧｲﾙ ｦ ｼｭｳｾｲ ｼﾏｽｶ(Y,N)="
TRIES = 3


def last_logout_line(user: User, blanks: bool = False) -> bytes:
    """The greeting line with the previous logout time, in the user's display form.

    Kanji: the date starts at byte 22. Kana: the date is the 8 bytes at byte 25
    and the time the 9 bytes at byte 43.
    """
    when = user.last_logout
    assert when is not None
    if user.display == "kana":
        return (field(sj("ｾﾞﾝｶｲ LOG OUT   DATE"), 25) + sj(yymmdd(when, blanks))
                + sj("      TIME") + sj(" " + hhmmss(when, blanks)))
    return sj("　前回使用終了日時は  " + when.strftime("%Y年%m月%d日　%H時%M分%S秒"))


async def enter(s: Session) -> Place | None:
    """From the first byte to the first menu; None when the line is to close."""
    for _ in range(TRIES + 2):
        if await s.answer(HOST_PROMPT, limit=32) == HOST_NAME:
            break
        s.say(HOST_ERROR)
    else:
        return None
    return await log_in(s)


async def log_in(s: Session) -> Place | None:
    """ID and password, then the screens after login."""
    user = await _identify(s)
    if user is None:
        await s.line.flush()
        return None
    s.take(user)
    _greet(s)
    if user.ask_profile:
        await _profile_question(s)
    first = await notices.at_login(s)
    if first is None:
        from .places import main_menu
        first = main_menu()
    return first


async def change_id(s: Session) -> Place | None:
    """"CID": the current user leaves and another logs in on the same line."""
    s.me.last_logout = s.clock.now()
    s.release()
    s.user = None
    return await log_in(s)


async def _identify(s: Session) -> User | None:
    id_prompt, password_prompt = PROMPTS[s.world.settings.login_prompts]
    refusal = s.line.faults.plan.refuse_login
    for _ in range(TRIES):
        user_id = await s.answer("\r\n" + id_prompt, limit=16)
        password = await s.ask(password_prompt, echo=False, limit=32)
        user = s.world.user(user_id)
        limit = s.world.settings.max_sessions
        if refusal == "congestion" or (limit and len(s.world.online) >= limit):
            s.say(CONGESTED)
            return None
        if refusal == "password" or user is None or user.password != password:
            s.say(WRONG_PASSWORD)
            continue
        if refusal == "double" or user.id in s.world.online:
            s.say(DOUBLE_LOGIN)
            s.line.text("このＩＤは既にログインしています。回線を切断します。\r\n")
            return None
        return user
    s.say(GIVE_UP)
    return None


def _greet(s: Session) -> None:
    user = s.me
    s.line.text("\r\n" + (GREETING_KANA if user.display == "kana" else GREETING) + "\r\n")
    if user.last_logout is not None:
        s.line.text("\r\n")
        s.line.write(last_logout_line(user, s.world.settings.date_padding == "blank") + b"\r\n")
    s.line.text("\r\n")


async def _profile_question(s: Session) -> None:
    question = PROFILE_QUESTION_KANA if s.me.display == "kana" else PROFILE_QUESTION
    while True:
        answer = await s.answer("\r\n" + question)
        if answer == "N":
            return
        if answer == "Y":
            await profile.walk(s)
            return
