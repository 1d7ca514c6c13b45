"""A SIG with a forum of any size, generated from a seed: one big room with threads
of comments several levels deep, a few small rooms and a folder."""

from __future__ import annotations

import datetime as _dt
import random
from typing import TYPE_CHECKING

from .forum_world import Folder, Forum, Message, Room, Sig

if TYPE_CHECKING:
    from .worldgen import Recipe

CODE = "GENSIG"
RECENT = 50  # a comment answers one of the last RECENT messages


def _user(rng: random.Random, users: int, handles: tuple[str, ...]) -> tuple[str, str]:
    n = rng.randint(1, max(1, users))
    return f"MVL{n:05d}", handles[(n - 1) % len(handles)]


def room(number: int, name: str, count: int, recipe: Recipe, rng: random.Random,
         handles: tuple[str, ...], words: tuple[str, ...], text: tuple[str, ...],
         start: _dt.datetime) -> Room:
    """count messages; about a third comment on a recent one, at most thread_depth deep.
    Some text lines begin with "#" and a number, as people refer to messages."""
    result = Room(number=number, name=name)
    depth: list[int] = []
    for n in range(1, count + 1):
        sender, handle = _user(rng, recipe.users, handles)
        body = [rng.choice(text) for _ in range(rng.randint(1, 6))]
        if n > 1 and rng.random() < 0.1:
            body.insert(0, f"#{rng.randint(1, n - 1)} について")
        candidates = [k for k in range(max(1, n - RECENT), n) if depth[k - 1] < recipe.thread_depth]
        if candidates and rng.random() < 0.35:
            target = rng.choice(candidates)
            answered = result.messages[target - 1].title
            root = answered.split(" ", 1)[1] if answered.startswith("RE:#") else answered
            title = f"RE:#{target} {root}"
            depth.append(depth[target - 1] + 1)
        else:
            title = f"{rng.choice(words)}の{rng.choice(words)} {n}"
            depth.append(0)
        result.messages.append(Message(sender=sender, handle=handle,
                                       date=start + _dt.timedelta(minutes=3 * n), title=title,
                                       body=body))
    return result


def sig(recipe: Recipe, rng: random.Random, handles: tuple[str, ...], words: tuple[str, ...],
        text: tuple[str, ...], start: _dt.datetime) -> Sig:
    args = (recipe, rng, handles, words, text, start)
    entries: list[Room | Folder] = [room(1, "総合会議室", recipe.forum_messages, *args)]
    entries += [room(k, f"会議室{k}", 5 * k, *args) for k in range(2, recipe.forum_rooms + 1)]
    entries.append(Folder(number=recipe.forum_rooms + 1, name="過去ログ",
                          rooms=[room(1, "過去ログ会議室", 3, *args)]))
    return Sig(code=CODE, name="総合ＳＩＧ", banner=["生成された世界のＳＩＧです。"],
               forums=[Forum(number=1, name="総合フォーラム", entries=entries)])
