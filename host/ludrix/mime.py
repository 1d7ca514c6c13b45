"""Internet mail as the gateway delivers it: composed from a world entry."""

from __future__ import annotations

import base64
import datetime as _dt
import email.header
import email.utils
from typing import Any

GATEWAY_DOMAIN = "ludrix.example"
JST = _dt.timezone(_dt.timedelta(hours=9))
WORD_CHARS = 10  # characters per encoded word, so that header lines stay short


def encoded_words(text: str) -> str:
    """A header value: ASCII as it is, anything else as ISO-2022-JP B words."""
    if text.isascii():
        return text
    words = []
    for i in range(0, len(text), WORD_CHARS):
        chunk = text[i:i + WORD_CHARS].encode("iso2022_jp", errors="replace")
        words.append("=?ISO-2022-JP?B?" + base64.b64encode(chunk).decode("ascii") + "?=")
    return "\n ".join(words)


def jis_lines(text: str) -> list[str]:
    """Text as 7-bit ISO-2022-JP, each line ending in ASCII (ESC kept as a character)."""
    return [line.encode("iso2022_jp", errors="replace").decode("ascii")
            for line in text.split("\n")]


def base64_lines(data: bytes) -> list[str]:
    text = base64.b64encode(data).decode("ascii")
    return [text[i:i + 76] for i in range(0, len(text), 76)] or [""]


def _attachment(part: dict[str, Any], boundary: str) -> list[str]:
    name = part["name"]
    kind = part.get("type", "application/octet-stream")
    data = base64.b64decode(part["base64"], validate=True)
    quoted = encoded_words(name).replace("\n ", "")
    return ["--" + boundary,
            f'Content-Type: {kind}; name="{quoted}"',
            "Content-Transfer-Encoding: base64",
            f'Content-Disposition: attachment; filename="{quoted}"',
            "", *base64_lines(data)]


def _text_part(entry: dict[str, Any], boundary: str) -> list[str]:
    """The readable part: plain text, or plain and HTML as alternatives."""
    plain = ["Content-Type: text/plain; charset=ISO-2022-JP",
             "Content-Transfer-Encoding: 7bit", "", *jis_lines(entry.get("text", ""))]
    if "html" not in entry:
        return plain
    inner = boundary + "_alt"
    return [f'Content-Type: multipart/alternative; boundary="{inner}"', "",
            "--" + inner, *plain,
            "--" + inner,
            "Content-Type: text/html; charset=ISO-2022-JP",
            "Content-Transfer-Encoding: 7bit", "", *jis_lines(entry["html"]),
            "--" + inner + "--"]


def compose(entry: dict[str, Any], sender: str, name: str, to: str, subject: str,
            date: _dt.datetime) -> str:
    """The message text of an internet mail described by a world entry.

    entry: text, optional html, optional attachments [{name, type, base64}],
    optional from (a full From: value). "From:" is the third header line, so
    that it is the fourth line after the host's header block.
    """
    address = sender.split("#", 1)[1] if "#" in sender else sender
    from_value = entry.get("from") or (f"{encoded_words(name)} <{address}>" if name else address)
    stamp = email.utils.format_datetime(date.replace(tzinfo=JST))
    boundary = f"----=_LUDRIX_{date:%Y%m%d%H%M%S}"
    head = [f"Return-Path: <{address}>", f"Date: {stamp}", f"From: {from_value}",
            f"To: {to.lower()}@{GATEWAY_DOMAIN}", f"Subject: {encoded_words(subject)}",
            f"Message-ID: <{date:%Y%m%d%H%M%S}.{to.lower()}@{GATEWAY_DOMAIN}>",
            "MIME-Version: 1.0"]
    attachments = entry.get("attachments", [])
    if not attachments:
        lines = head + _text_part(entry, boundary)
    else:
        lines = head + [f'Content-Type: multipart/mixed; boundary="{boundary}"', "",
                        "This is a multi-part message in MIME format.", "",
                        "--" + boundary, *_text_part(entry, boundary)]
        for part in attachments:
            lines += _attachment(part, boundary)
        lines.append("--" + boundary + "--")
    return "\n".join(lines)


def subject_of(raw: str) -> str:
    """The decoded Subject: of a message text, or ""."""
    lines = raw.replace("\r\n", "\n").split("\n")
    value = None
    for line in lines:
        if not line:
            break
        if value is not None and line[:1] in (" ", "\t"):
            value += line
        elif value is not None:
            break
        elif line.lower().startswith("subject:"):
            value = line[8:].strip()
    if not value:
        return ""
    try:
        return str(email.header.make_header(email.header.decode_header(value)))
    except (ValueError, LookupError):
        return value
