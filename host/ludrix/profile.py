"""The profile menu that the host offers after login."""

from __future__ import annotations

from dataclasses import dataclass
from typing import TYPE_CHECKING

from .prompts import WRONG_COMMAND

if TYPE_CHECKING:
    from .session import Session
    from .world import User


@dataclass(frozen=True)
class Setting:
    key: str
    title: str
    choices: tuple[str, ...]
    prompt: str = "番号="


SETTINGS = (
    Setting("code", "漢字コード", ("ＪＩＳ", "シフトＪＩＳ", "ＥＵＣ")),
    Setting("display", "表示モード", ("半角カナで表示", "漢字で表示")),
    Setting("newline", "改行コード", ("ＣＲ＋ＬＦ", "ＣＲのみ")),
    Setting("paging", "画面の一時停止", ("２４行ごとに止める", "止めない")),
    Setting("echo", "エコーバック", ("する", "しない")),
    Setting("mail_notice", "メール到着の表示", ("メインメニューに表示する", "表示しない")),
    Setting("start", "ログイン後のメニュー", ("前回終了時のメニュー", "メインメニュー"),
            "番号またはコマンド="),
    Setting("notices", "ログイン時のお知らせ", ("表示する", "表示しない")),
)
DEFAULTS = {"code": 2, "newline": 1, "paging": 2, "echo": 1, "mail_notice": 1, "start": 2}


def digit(n: int) -> str:
    """A menu number in full-width digits followed by "．"."""
    return "".join(chr(0xFF10 + int(c)) for c in str(n)) + "．"


def current(user: User, key: str) -> int:
    if key == "display":
        return 1 if user.display == "kana" else 2
    if key == "notices":
        return 2 if user.login_notices == "off" else 1
    return user.profile.get(key, DEFAULTS[key])


def apply(user: User, key: str, value: int) -> None:
    if key == "display":
        user.display = "kana" if value == 1 else "kanji"
    elif key == "notices":
        if value == 2:
            user.login_notices = "off"
        elif user.login_notices == "off":
            user.login_notices = "list"
    else:
        user.profile[key] = value


def mail_notice(user: User) -> bool:
    """Whether the main menu marks waiting mail."""
    return current(user, "mail_notice") == 1


def screen(setting: Setting, value: int) -> str:
    lines = [f"【{setting.title}】"]
    lines += ["　" + digit(i) + text for i, text in enumerate(setting.choices, 1)]
    lines.append("（現在値）　" + digit(value) + setting.choices[value - 1])
    return "\r\n" + "\r\n".join(lines) + "\r\n" + setting.prompt


async def walk(s: Session) -> None:
    """Every setting in turn, then one question whether to keep the answers."""
    user = s.me
    if await s.answer("\r\nプロファイルの内容を表示しますか(Y,N)=") == "Y":
        for setting in SETTINGS:
            value = current(user, setting.key)
            s.line.text(f"\r\n{setting.title}：{digit(value)}{setting.choices[value - 1]}")
        s.line.text("\r\n")
    while await s.answer("\r\n修正方法を選んで下さい。\r\n　１．すべての項目を修正する\r\n"
                         "　２．項目を順に確認して修正する\r\n番号=") not in ("1", "2"):
        s.say(WRONG_COMMAND)
    chosen: dict[str, int] = {}
    for setting in SETTINGS:
        value = current(user, setting.key)
        while True:
            answer = await s.answer(screen(setting, value))
            if not answer:
                break
            if answer.isdigit() and 1 <= int(answer) <= len(setting.choices):
                chosen[setting.key] = int(answer)
                break
            s.say(WRONG_COMMAND)
    while True:
        answer = await s.answer("\r\n以上の内容でプロファイルを登録しますか(Y,N)=")
        if answer == "Y":
            for key, value in chosen.items():
                apply(user, key, value)
            s.say("プロファイルを登録しました。")
            return
        if answer == "N":
            s.say("プロファイルは変更されませんでした。")
            return
