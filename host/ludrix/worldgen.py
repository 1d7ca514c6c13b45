"""Worlds generated from a seed, of any size, for tests and benchmarks."""

from __future__ import annotations

import datetime as _dt
import random
from dataclasses import dataclass

from . import forumgen, mime
from .world import FileData, Mail, Notice, User, World

PASSWORD = "morvaline"
BASE_TIME = _dt.datetime(1999, 11, 1, 9, 0, 0)
HANDLES = ("デモ", "ハナコ", "タロウ", "ジロウ", "サクラ", "ケンジ", "ユミ", "マコト", "アキラ", "ミドリ")
WORDS = ("お知らせ", "会議", "資料", "旅行", "写真", "新年会", "報告", "予定", "質問", "お礼",
         "連絡", "確認", "ご案内", "議事録", "見積")
TEXT = ("こんにちは。", "先日はありがとうございました。", "資料を送ります。", "よろしくお願いします。",
        "来週の予定を確認させてください。", "ご意見をお聞かせください。", "Morning meeting at 10.",
        "では、また。")


@dataclass
class Recipe:
    seed: int = 1
    users: int = 10
    mails: int = 20            # mails in every mailbox
    file_mails: int = 0        # of which carry a file
    internet_mails: int = 0    # of which come through the internet gateway
    file_size: int = 4096
    notices: int = 3
    forum_messages: int = 0    # messages in the first room of the generated forum
    forum_rooms: int = 3       # rooms of that forum
    thread_depth: int = 4      # how deep comments on comments go


def user_id(n: int) -> str:
    return f"MVL{n:05d}"


def _subject(rng: random.Random, n: int) -> str:
    return f"{rng.choice(WORDS)}の{rng.choice(WORDS)} {n}"


def _body(rng: random.Random) -> list[str]:
    return [rng.choice(TEXT) for _ in range(rng.randint(1, 8))]


def _mail(world: World, rng: random.Random, recipe: Recipe, owner: User, n: int) -> Mail:
    date = BASE_TIME + _dt.timedelta(minutes=7 * n + rng.randint(0, 6))
    subject = _subject(rng, n)
    key = world.new_key()
    if n < recipe.internet_mails:
        sender = f"INET#user{rng.randint(1, 999)}@example.com"
        raw = mime.compose({"text": "\n".join(_body(rng))}, sender=sender, name="", to=owner.id,
                           subject=subject, date=date)
        return Mail(key=key, sender=sender, sender_name="", recipient=owner.id, date=date,
                    subject=subject, raw=raw)
    other = rng.randint(1, recipe.users)
    file = None
    if n < recipe.internet_mails + recipe.file_mails:
        file = FileData(name=f"DATA{n:04d}.BIN", mtime=date, size=recipe.file_size,
                        seed=recipe.seed * 1_000_003 + key)
    return Mail(key=key, sender=user_id(other), sender_name=HANDLES[(other - 1) % len(HANDLES)],
                recipient=owner.id, date=date, subject=subject, body=_body(rng), file=file,
                state="read" if rng.random() < 0.5 else "unread")


def generate(recipe: Recipe) -> World:
    rng = random.Random(recipe.seed)
    world = World()
    for k in range(1, recipe.users + 1):
        user = User(id=user_id(k), password=PASSWORD, handle=HANDLES[(k - 1) % len(HANDLES)],
                    last_logout=BASE_TIME - _dt.timedelta(hours=k))
        world.add_user(user)
    for user in world.users.values():
        user.mailbox = [_mail(world, rng, recipe, user, n) for n in range(recipe.mails)]
        user.mailbox.sort(key=lambda m: m.date)
    for n in range(1, recipe.notices + 1):
        world.notices.append(Notice(number=n, date=BASE_TIME + _dt.timedelta(days=n),
                                    title=f"{rng.choice(WORDS)}について", text=_body(rng)))
    if recipe.forum_messages:
        world.forums.sigs.append(forumgen.sig(recipe, rng, HANDLES, WORDS, TEXT, BASE_TIME))
    return world
