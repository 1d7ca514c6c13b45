"""Generated inputs for the message converters: Japanese text in Shift_JIS and ISO-2022-JP,
internet mails with attachments, and uuencoded files. The bench scripts and the oracle
tests use the same generator, at different sizes; a seed makes every corpus repeatable.

Characters are the JIS X 0208 characters that Python's codecs carry unchanged through
ISO-2022-JP, Shift_JIS and code page 932 (the few with two Unicode mappings, such as the
wave dash, are left out), so that every oracle reads the same text."""
import base64
import email.header
import os
import quopri
import random


def _jis_characters():
    chars = []
    for j1 in range(0x21, 0x7F):
        for j2 in range(0x21, 0x7F):
            jis = bytes([0x1B, 0x24, 0x42, j1, j2, 0x1B, 0x28, 0x42])
            try:
                text = jis.decode("iso2022_jp")
                sjis = text.encode("shift_jis")
                if text.encode("cp932") != sjis or text.encode("iso2022_jp") != jis:
                    continue
            except (UnicodeDecodeError, UnicodeEncodeError):
                continue
            chars.append(sjis)
    return chars


_CHARS = _jis_characters()
_KANA = [c for c in _CHARS if c[0] == 0x82 and c[1] >= 0x9F]  # hiragana: common in prose
_WORDS = [b"LUDRIX", b"mail", b"forum", b"2024/05/01", b"12:30", b"OK", b"(1/3)", b"http://",
          b"Re:", b"---", b"100", b"ABC", b"x", b"#", b"file.lzh", b"\t"]
# Without the two sound marks: nkf joins a mark to the kana before it, the system keeps them
# apart (both are right; the tests that compare with nkf need text where they agree).
_HALF_WIDTH_KANA = [bytes([b]) for b in range(0xA1, 0xDE)]


def sjis_text(size, seed, half_width_kana=False):
    """About size bytes of Shift_JIS prose in CR LF lines: kana and kanji, ASCII words,
    numbers, symbols; half-width katakana only when asked (ISO-2022-JP has none, so only
    the converters that widen them can take such text)."""
    rng = random.Random(seed)
    out = bytearray()
    line = 0
    while len(out) < size:
        pick = rng.random()
        if pick < 0.45:
            piece = rng.choice(_KANA)
        elif pick < 0.80:
            piece = rng.choice(_CHARS)
        elif pick < 0.95 or not half_width_kana:
            piece = rng.choice(_WORDS) + b" "
        else:
            piece = b"".join(rng.choice(_HALF_WIDTH_KANA) for _ in range(rng.randint(1, 6)))
        out += piece
        line += len(piece)
        if line >= rng.randint(30, 76):
            out += b"\r\n"
            line = 0
    return bytes(out) + b"\r\n"


def jis_text(size, seed):
    """The same kind of text in ISO-2022-JP (Python's encoder)."""
    return sjis_text(size, seed).decode("shift_jis").encode("iso2022_jp")


def _b64_lines(data):
    text = base64.b64encode(data)
    return b"".join(text[i:i + 76] + b"\r\n" for i in range(0, len(text), 76))


def _uu_block(name, data):
    """A uuencoded block with CR LF line ends, "begin" through "end"."""
    import binascii
    lines = [b"begin 644 " + name]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).rstrip(b"\n"))
    lines += [b"`", b"end"]
    return b"\r\n".join(lines) + b"\r\n"


def _encoded_word(text):
    return email.header.Header(text, "iso-2022-jp").encode().encode("ascii")


def _attachment_name(rng, n, extension):
    if rng.random() < 0.5:
        return f"data{n}.{extension}", f'"data{n}.{extension}"'.encode()
    name = f"資料{n}の添付.{extension}"
    return name, b'"' + _encoded_word(name) + b'"'


def internet_mail(seed, attachment_bytes):
    """One multipart mail: an ISO-2022-JP text body and attachments of about
    attachment_bytes in all (base64 binary, quoted-printable text, an enclosed message,
    an x-uuencode part). Returns the message bytes (CR LF lines)."""
    rng = random.Random(seed)
    boundary = f"=_boundary_{seed}_{rng.randrange(10**9)}".encode()
    parts = []
    body = jis_text(rng.randint(500, 4000), seed)
    parts.append(b"Content-Type: text/plain; charset=ISO-2022-JP\r\n"
                 b"Content-Transfer-Encoding: 7bit\r\n\r\n" + body)
    left = attachment_bytes
    n = 0
    while left > 0:
        n += 1
        size = min(left, rng.randint(attachment_bytes // 4 + 1, attachment_bytes // 2 + 2))
        left -= size
        kind = rng.random()
        if kind < 0.70:
            name, param = _attachment_name(rng, n, "bin")
            data = rng.randbytes(size)
            parts.append(b"Content-Type: application/octet-stream; name=" + param + b"\r\n"
                         b"Content-Transfer-Encoding: base64\r\n"
                         b"Content-Disposition: attachment; filename=" + param + b"\r\n\r\n" +
                         _b64_lines(data))
        elif kind < 0.85:
            name, param = _attachment_name(rng, n, "txt")
            text = sjis_text(size, seed + n).decode("shift_jis").encode("iso2022_jp")
            qp = quopri.encodestring(text.replace(b"\r\n", b"\n")).replace(b"\n", b"\r\n")
            parts.append(b"Content-Type: text/plain; charset=ISO-2022-JP; name=" + param +
                         b"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + qp)
        elif kind < 0.93:
            name = f"file{n}.dat".encode()
            parts.append(b"Content-Type: application/octet-stream; name=\"" + name + b"\"\r\n"
                         b"Content-Transfer-Encoding: x-uuencode\r\n\r\n" +
                         _uu_block(name, rng.randbytes(size)))
        else:
            inner_name, inner_param = _attachment_name(rng, n, "bin")
            inner = (b"From: inner@example.jp\r\nSubject: " + _encoded_word("転送します") +
                     b"\r\nMIME-Version: 1.0\r\n"
                     b"Content-Type: application/octet-stream; name=" + inner_param + b"\r\n"
                     b"Content-Transfer-Encoding: base64\r\n\r\n" + _b64_lines(rng.randbytes(size)))
            parts.append(b"Content-Type: message/rfc822\r\n\r\n" + inner)
    head = (b"From: sender" + str(seed).encode() + b"@example.jp\r\n"
            b"To: MVL00001@ludrix.example\r\n"
            b"Subject: " + _encoded_word(f"添付ファイルのテスト その{seed}") + b"\r\n"
            b"Date: Mon, 6 May 2024 12:00:00 +0900\r\n"
            b"Message-ID: <" + str(seed).encode() + b"@example.jp>\r\n"
            b"MIME-Version: 1.0\r\n"
            b"Content-Type: multipart/mixed; boundary=\"" + boundary + b"\"\r\n\r\n"
            b"This is a multi-part message in MIME format.\r\n")
    out = head
    for part in parts:
        if not part.endswith(b"\r\n"):
            part += b"\r\n"
        out += b"--" + boundary + b"\r\n" + part
    return out + b"--" + boundary + b"--\r\n"


def stored_mail(message, seed):
    """A mail as the store keeps it: the host's header block, an empty line, the message."""
    head = ("発信者：INTERNET  gateway\r\n"
            f"文書名：{seed:06d}  日付：24/05/06 12:00\r\n").encode("cp932")
    return head + b"\r\n" + message


def mail_corpus(folder, count, attachment_bytes, seed):
    """count mails in folder and the list file of `morvaline-bench mime`; every third is a
    stored mail (flags: internet). Returns the list file's path."""
    from_store = 0x8000  # ITEM_FLAG_INTERNET
    lines = []
    for n in range(count):
        message = internet_mail(seed + n, attachment_bytes)
        path = os.path.join(folder, f"mail{n:05d}.eml")
        with open(path, "wb") as f:
            f.write(stored_mail(message, n) if n % 3 == 2 else message)
        lines.append(f"{path} {from_store:x}" if n % 3 == 2 else path)
    listing = os.path.join(folder, "mails.list")
    with open(listing, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return listing


def uu_text(data, name=b"data.bin"):
    """A stored text holding one uuencoded file between two lines of prose."""
    return b"Here is the file:\r\n" + _uu_block(name, data) + b"Bye.\r\n"
