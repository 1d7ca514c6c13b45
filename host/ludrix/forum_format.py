"""The fixed layouts of the forum screens, as bytes."""

from __future__ import annotations

from .clock import yymmdd
from .forum_world import HANDLE_SEPARATORS, Folder, ForumLayout, Message, Room
from .profile import digit
from .sjis import cut, field, sj, sj_lenient

TITLE_LIMIT = 72        # bytes of a title the host keeps
NAME_COLUMN = 30        # bytes of a room name in the menu before its highest number
TALK_ENTRY = "ＯＬＴ＋（＊）"
FOLDER_MARK = "＞＞"
TITLES_HEADING = "番号　登録日付　タイトル　総数："


def tag_line(number: int, room: Room, layout: ForumLayout) -> bytes:
    """"#12/30", or "#12" alone, with the comment marker the layout asks for."""
    tag = f"#{number}/{room.highest}" if layout.tag == "full" else f"#{number}"
    comments = room.comments(number)
    if comments and layout.comment_marker == "stars":
        tag += f"    *** ｺﾒﾝﾄ {comments}"
    elif comments and layout.comment_marker == "count":
        tag += f" ｺﾒﾝﾄ数({comments})"
    return sj(tag)


def header_line(number: int, room: Room, message: Message, layout: ForumLayout) -> bytes:
    """"★タイトル (ID      )", the date at byte 23 (15 bytes) and, at byte 41, the
    number of comments in three digits followed by "件"."""
    line = (sj("★タイトル (") + field(sj_lenient(message.sender), 8) + b")  "
            + field(sj(message.date.strftime("%y/%m/%d %H:%M")), 15))
    if layout.comment_count:
        line += sj(f"   {min(room.comments(number), 999):3d}件")
    return line


def title_line(message: Message, layout: ForumLayout) -> bytes:
    """The title, the layout's separator and the sender's handle."""
    separator = sj(HANDLE_SEPARATORS[layout.handle_separator])
    return cut(sj_lenient(message.title), TITLE_LIMIT) + separator + sj_lenient(message.handle)


def message_lines(number: int, room: Room, message: Message, layout: ForumLayout) -> list[bytes]:
    lines = [tag_line(number, room, layout), header_line(number, room, message, layout),
             title_line(message, layout)]
    lines += [sj_lenient(line) for line in message.body]
    lines.append(b"")
    return lines


def menu_entry(entry: Room | Folder | None, layout: ForumLayout) -> bytes:
    """A room with its highest message number in brackets; a folder without one."""
    if entry is None:
        return sj("　") + sj(TALK_ENTRY)
    head = sj("　" + digit(entry.number))
    if isinstance(entry, Folder):
        return head + sj_lenient(entry.name) + (sj("　" + FOLDER_MARK) if layout.folder_mark else b"")
    name = sj_lenient(entry.name)
    if layout.highest == "wide":
        return head + name + sj("　［" + "".join(chr(0xFF10 + int(c)) for c in str(entry.highest)) + "］")
    return head + name + b" " * max(1, NAME_COLUMN - len(name)) + sj(f"[{entry.highest:5d}]")


def menu_lines(entries: list[Room | Folder | None], layout: ForumLayout) -> list[bytes]:
    """The entries one a line, or two a line side by side."""
    shown = [menu_entry(e, layout) for e in entries]
    if layout.room_list == "single":
        return shown
    return [b"  ".join(shown[i:i + 2]) for i in range(0, len(shown), 2)]


def titles_line(number: int, message: Message, layout: ForumLayout) -> bytes:
    """A line of the titles list: the number, the date (and the time) and the title."""
    title = cut(sj_lenient(message.title), TITLE_LIMIT)
    if layout.titles_list == "tight":
        return sj(f"{number} {yymmdd(message.date, blanks=True)} ") + title
    if layout.titles_list == "time":
        return sj(f"{number:5d} {yymmdd(message.date)} {message.date:%H:%M} ") + title
    return sj(f"{number:5d}  {yymmdd(message.date)}  ") + title
