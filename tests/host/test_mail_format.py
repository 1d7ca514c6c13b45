"""Column layouts of the mail screens, checked at the byte positions readers use."""

import datetime as dt
import unittest

import hostclient  # noqa: F401  (puts host/ on the path)
from hostclient import sj
from ludrix import mail_format, mime
from ludrix.settings import HostSettings
from ludrix.sjis import iso2022jp_line_to_sjis
from ludrix.world import FileData, Mail, SentRecord

WHEN = dt.datetime(1999, 12, 31, 23, 59, 30)


def mail(**kw) -> Mail:
    base = dict(key=42, sender="MVL00002", sender_name="ハナコ", recipient="MVL00001",
                date=WHEN, subject="件名です", body=["本文"])
    base.update(kw)
    return Mail(**base)


class ListEntryTest(unittest.TestCase):
    def test_host_id_entry(self):
        first, second = mail_format.list_entry(7, mail())
        self.assertEqual(first[0:4], b"   7")
        self.assertEqual(first[5:13], b"99/12/31")
        self.assertEqual(first[13:19], sj("　未　"))
        self.assertEqual(first[19:27], b"00/01/30")
        self.assertEqual(first[27:29], b"  ")
        self.assertEqual(first[29:37], b"MVL00002")
        self.assertEqual(first[37:42], b"     ")
        self.assertEqual(first[42:], sj("ハナコ"))
        self.assertEqual(second, b" " * 12 + sj("件名です"))

    def test_states_and_file_mark(self):
        for state, text in (("read", "　済　"), ("forwarded", "　転　")):
            with self.subTest(state):
                self.assertEqual(mail_format.list_entry(1, mail(state=state))[0][13:19], sj(text))
        second = mail_format.list_entry(1, mail(file=FileData("A.BIN", WHEN, data=b"x")))[1]
        self.assertEqual(second[5:8], b"***")
        self.assertEqual(second[11:], sj("件名です"))

    def test_gateway_addresses(self):
        rows = [("short address on one line", "INET#taro@example.jp", 2),
                ("long address goes on at byte 9", "INET#" + "a" * 60 + "@example.jp", 3)]
        for name, sender, count in rows:
            with self.subTest(name):
                lines = mail_format.list_entry(1, mail(sender=sender, sender_name="Taro"))
                self.assertEqual(len(lines), count)
                address = lines[0][29:] + (lines[1][9:] if count == 3 else b"")
                self.assertEqual(address, sj(sender))
                if count == 3:
                    self.assertEqual(lines[1][:9], b" " * 9)
                    self.assertNotEqual(lines[1][9:12], b"   ")
                self.assertTrue(all(len(line) <= 80 for line in lines))

    def test_long_subject_is_cut_on_a_character(self):
        second = mail_format.list_entry(1, mail(subject="あ" * 60))[1]
        self.assertEqual(len(second), 80)
        self.assertEqual(second[12:], sj("あ" * 34))


class HeaderTest(unittest.TestCase):
    def test_header_block(self):
        stamp, sender, recipient, subject = mail_format.header_block(mail(), "デモ")
        self.assertEqual(len(stamp), 38)
        self.assertEqual(stamp, b"#00000042" + b" " * 9 + b"99/12/31    23:59:30")
        self.assertEqual(sender[:8], sj("発信者："))
        self.assertEqual(sender[8:16], b"MVL00002")
        self.assertEqual(sender[22:], sj("ハナコ"))
        self.assertEqual(recipient, sj("受信者：MVL00001      デモ"))
        self.assertEqual(subject, sj("文書名：件名です"))

    def test_gateway_sender_and_file_line(self):
        lines = mail_format.header_block(
            mail(sender="INET#taro@example.jp", sender_name="Taro Yamada",
                 file=FileData("A.BIN", WHEN, data=b"xyz")), "デモ")
        self.assertEqual(lines[1], sj("発信者：INET#taro@example.jp  Taro Yamada"))
        self.assertEqual(lines[3], sj("ファイル：A.BIN（3バイト）"))
        self.assertTrue(lines[-1].startswith(sj("文書名：")))


class ScreenSettingsTest(unittest.TestCase):
    """The forms that the host's settings give the same columns."""

    EARLY = dt.datetime(2000, 1, 5, 9, 5, 7)

    def test_numbers_and_dates_padded_with_blanks_or_zeros(self):
        rows = [("right, zeros", dict(), b"   7 00/01/05", b"00/02/04"),
                ("left, blanks", dict(list_numbers="left", date_padding="blank"),
                 b"7    00/ 1/ 5", b"00/ 2/ 4"),
                ("zeros", dict(list_numbers="zero"), b"0007 00/01/05", b"00/02/04")]
        for name, settings, head, kept in rows:
            with self.subTest(name):
                first = mail_format.list_entry(7, mail(date=self.EARLY), HostSettings(**settings))[0]
                self.assertEqual((first[:13], first[19:27], first[29:37]), (head, kept, b"MVL00002"))
        record = SentRecord(key=1, to="MVL00002", to_name="", date=self.EARLY, subject="s",
                            confirmed=self.EARLY)
        first = mail_format.sent_entry(12, record, HostSettings(list_numbers="left", date_padding="blank"))[0]
        self.assertEqual((first[:13], first[15:29]), (b"12   00/ 1/ 5", b"00/ 1/ 5  9:05"))

    def test_subject_cut_at_the_listed_width(self):
        second = mail_format.list_entry(1, mail(subject="あいうえお"), HostSettings(list_subject_width=7))[1]
        self.assertEqual(second[12:], sj("あいう"))

    def test_first_header_line_spacing_and_copies(self):
        settings = HostSettings(header_first_line="date", header_gap=True, title_blank="　",
                                extra_recipients=2, date_padding="blank")
        lines = mail_format.header_block(mail(date=self.EARLY), "デモ", settings)
        self.assertEqual(lines[0][:18], b"00/ 1/ 5  9:05:07 ")
        self.assertEqual(lines[0][18:], b" #00000042")
        self.assertEqual(lines[1], b"")
        self.assertTrue(lines[2].startswith(sj("発信者：MVL00002")))
        self.assertEqual([line[:8] for line in lines[3:6]], [sj("受信者：")] * 3)
        self.assertEqual(lines[6], sj("文書名：　件名です"))
        key_form = mail_format.header_block(mail(date=self.EARLY), "デモ", HostSettings(date_padding="blank"))
        self.assertEqual(key_form[0], b"#00000042" + b" " * 9 + b"00/ 1/ 5     9:05:07")


class InternetTextTest(unittest.TestCase):
    def test_gateway_shows_shift_jis_and_keeps_encoded_parts(self):
        raw = mime.compose({"text": "日本語の本文\nplain", "attachments": [
            {"name": "添付.txt", "type": "application/octet-stream", "base64": "AAEC"}]},
            sender="INET#taro@example.jp", name="太郎", to="MVL00001", subject="件名", date=WHEN)
        lines = mail_format.text_lines(mail(raw=raw, body=[]))
        self.assertFalse(any(b"\x1b" in line for line in lines))
        self.assertIn(sj("日本語の本文"), lines)
        self.assertEqual(lines[2][:6], b"From: ")  # after the blank line, the fourth line
        self.assertIn(b"Subject: =?ISO-2022-JP?B?", lines[4])
        self.assertIn(b"AAEC", lines)
        self.assertEqual(mime.subject_of(raw), "件名")

    def test_iso2022jp_conversion(self):
        rows = [("kanji run", b"a\x1b$B$3$s\x1b(Bb", sj("aこんb")),
                ("half-width kana", b"\x1b(I12\x1b(B", sj("ｱｲ")),
                ("unknown escape keeps the text", b"\x1b%x", b"%x"),
                ("no escape is unchanged", b"=?ISO-2022-JP?B?GyRC?=", b"=?ISO-2022-JP?B?GyRC?=")]
        for name, line, expected in rows:
            with self.subTest(name):
                self.assertEqual(iso2022jp_line_to_sjis(line), expected)


class SentEntryTest(unittest.TestCase):
    def test_sent_entries(self):
        rows = [("confirmed", dict(confirmed=dt.datetime(2000, 1, 2, 3, 4)), b"00/01/02 03:04"),
                ("not yet", {}, sj("未確認").ljust(14)),
                ("failed", dict(error=True), sj("宛先エラー").ljust(14))]
        for name, extra, confirmation in rows:
            with self.subTest(name):
                record = SentRecord(key=1, to="MVL00002", to_name="ハナコ", date=WHEN,
                                    subject="件名", **extra)
                first, second = mail_format.sent_entry(3, record)
                self.assertEqual(first[:13], b"   3 99/12/31")
                self.assertEqual(first[15:29], confirmation)
                self.assertEqual(first[31:39], b"MVL00002")
                self.assertEqual(first[42:], sj("ハナコ"))
                self.assertEqual(second, b" " * 12 + sj("件名"))

    def test_forwarded_file_mail_to_a_gateway(self):
        record = SentRecord(key=0, to="INET#a@b.jp", to_name="", date=WHEN, subject="s",
                            forwarded=True, file=True)
        first, second = mail_format.sent_entry(1, record)
        self.assertEqual(first[31:], b"INET#a@b.jp" + sj("  転"))
        self.assertEqual(second[5:8], b"***")


if __name__ == "__main__":
    unittest.main()
