#!/usr/bin/env python3
"""The work of `morvaline-bench mime LISTFILE OUTDIR` done with Python's email package: the
peer of the MIME benchmark and the oracle of the MIME tests.

For the n-th mail of LISTFILE (a path, and item flags in hex for a stored mail) it writes
OUTDIR/n/body.txt, the first leaf's text when it is a text part (transfer encoding undone,
ISO-2022-JP read and written as Shift_JIS), and OUTDIR/n/att-k-NAME for every further leaf:
the decoded bytes, ISO-2022-JP text of a part without a transfer encoding as Shift_JIS,
NAME the part's file name with its encoded words decoded. Prints the total attachment bytes.

usage: mime_peer.py LISTFILE OUTDIR"""
import email
import email.header
import os
import sys

ITEM_FLAG_INTERNET = 0x8000
TITLE_LINE = "\r\n文書名：".encode("cp932")
NO_BODY = "(本文なし)\r\n".encode("cp932")
BINARY_ENCODINGS = ("base64", "quoted-printable", "x-uuencode", "uuencode", "x-uue", "uue")


def internet_message(data, flags):
    """The internet message of a stored mail: after the empty line that follows its title."""
    if flags is None:
        return data
    if not flags & ITEM_FLAG_INTERNET:
        return None
    title = data.find(TITLE_LINE)
    empty = data.find(b"\r\n\r\n", title + len(TITLE_LINE)) if title >= 0 else -1
    return data[empty + 4:] if empty >= 0 else None


def sjis(jis):
    return jis.decode("iso2022_jp").encode("cp932")


def file_name(part):
    raw = part.get_filename() or part.get_param("name") or ""
    if isinstance(raw, tuple):  # an RFC 2231 value
        raw = email.utils.collapse_rfc2231_value(raw)
    return str(email.header.make_header(email.header.decode_header(raw)))


def decode(data, flags, folder):
    message = internet_message(data, flags)
    leaves = []
    if message is not None:
        leaves = [p for p in email.message_from_bytes(message).walk() if not p.is_multipart()]
    total = 0
    body = b""
    if leaves and leaves[0].get_content_maintype() == "text":
        body = sjis(leaves[0].get_payload(decode=True))
        leaves = leaves[1:]
    elif leaves:
        body = NO_BODY
    with open(os.path.join(folder, "body.txt"), "wb") as f:
        f.write(body)
    for k, leaf in enumerate(leaves, 1):
        data = leaf.get_payload(decode=True)
        if leaf.get("Content-Transfer-Encoding", "7bit").lower() not in BINARY_ENCODINGS:
            data = sjis(data)
        with open(os.path.join(folder, f"att-{k}-{file_name(leaf)}"), "wb") as f:
            f.write(data)
        total += len(data)
    return total


def main():
    listing, out = sys.argv[1], sys.argv[2]
    total = 0
    with open(listing, encoding="utf-8") as f:
        entries = [line.split() for line in f if line.strip()]
    for n, entry in enumerate(entries, 1):
        flags = int(entry[1], 16) if len(entry) > 1 else None
        folder = os.path.join(out, str(n))
        os.makedirs(folder, exist_ok=True)
        with open(entry[0], "rb") as f:
            total += decode(f.read(), flags, folder)
    print(total)


if __name__ == "__main__":
    main()
