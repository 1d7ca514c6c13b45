"""The mail service over a real line: reader, sending, forwarding, sent list."""

import unittest

import hostclient
from hostclient import HostProcess, sj

CLOCK = "1999/12/31 23:59:30"
READER = "番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)="
READER_MORE = "番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)="
MENU = "\r\n番号またはコマンド(M,S,F,H,Q,J)="
TO = "宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)="
MORE_TO = "追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)="
DONE = "コマンド(M,S,F,H,Q,A,J)="


def text_mail(n: int, **kw):
    base = {"from": "MVL00002", "from_name": "ハナコ", "date": f"1999/12/{n:02d} 10:00:00",
            "subject": f"件名{n}", "body": [f"本文{n}"]}
    base.update(kw)
    return base


def world(mailbox=(), **host):
    return {"host": host, "users": [
        {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "mailbox": list(mailbox)},
        {"id": "MVL00002", "password": "hanako", "handle": "ハナコ"},
        {"id": "MVL00003", "password": "taro", "handle": "タロウ",
         "absence": {"period": "1999/12/30～2000/01/04", "message": ["帰省中です。"]}}]}


class MailTest(unittest.TestCase):
    def start(self, w, *args) -> HostProcess:
        host = HostProcess("--clock", CLOCK, *args, world=w)
        self.addCleanup(host.stop)
        return host

    def login(self, host, user="MVL00001", password="morvaline") -> hostclient.Terminal:
        term = host.connect()
        self.addCleanup(term.close)
        term.login(user, password)
        return term

    def write(self, term, title, *body, end=".."):
        """The title and the text; end is the line (beginning with "..") that ends it."""
        term.command("", "メッセージ入力を終了します。\r\n")
        for line in (title, *body):
            term.command(line, "\n")
        term.command(end, "コマンド(H,Q,C,RB,G,V)=")
        return term.command("G", DONE)

    def test_paged_list(self):
        term = self.login(self.start(world([text_mail(n) for n in range(1, 6)], page_size=2)))
        first = term.command("JREAD", READER_MORE)
        self.assertIn(sj("到着メール　総数：   5通"), first)
        self.assertIn(sj("\r\n  1/  3\r\n\r\n" + READER_MORE), first)
        self.assertIn(sj("件名2\r\n"), first)
        second = term.command("N", READER_MORE)
        self.assertIn(sj("   4 99/12/04"), second)
        last = term.command("N", READER)
        self.assertIn(sj("  3/  3\r\n"), last)
        self.assertIn(sj("番号またはコマンドが間違っています"), term.command("N", READER))

    def test_read_marks_read_and_reads_on_with_n(self):
        term = self.login(self.start(world([text_mail(1), text_mail(2)])))
        term.command("JREAD", READER)
        shown = term.command("RB1", READER_MORE)
        self.assertTrue(shown.startswith(b"RB1\r\n\r\n#00000001"))
        self.assertIn(sj("文書名：件名1\r\n\r\n本文1\r\n"), shown)
        self.assertIn(sj("文書名：件名2"), term.command("N", READER))
        self.assertIn(sj("　済　"), term.command("RT", READER))

    def test_delete_with_confirmation(self):
        host = self.start(world([text_mail(n) for n in range(1, 4)]), "--save")
        term = self.login(host)
        term.command("JREAD", READER)
        term.command("D3,1", "を削除します。よろしいですか(Y,N,J)=")
        self.assertIn(sj("削除を取り消しました。"), term.command("N", READER))
        self.assertIn(sj("番号またはコマンドが間違っています"), term.command("D4", READER))
        term.command("D3,1", "を削除します。よろしいですか(Y,N,J)=")
        self.assertIn(b"\n" + sj("削除されました。"), term.command("Y", READER))
        listing = term.command("RT", READER)
        self.assertIn(sj("   1 99/12/02"), listing)
        self.assertNotIn(sj("件名3"), listing)
        term.command("Q", "ご利用ありがとうございました")
        term.wait_closed()
        self.assertEqual([m["subject"] for m in host.saved_world()["users"][0]["mailbox"]], ["件名2"])

    def test_no_mail_and_maintenance(self):
        rows = [("no mail", world(), "メールは届いていません。"),
                ("maintenance", world([text_mail(1)], maintenance=["mail", "sent"]),
                 "誠に申し訳ありませんが、システムメンテナンスのため、現在このサービスはご利用できません。")]
        for name, w, text in rows:
            with self.subTest(name):
                term = self.login(self.start(w))
                self.assertIn(sj(text), term.command("JREAD", MENU))
                self.assertIn(sj("送信済メールは有りません。" if name == "no mail" else text),
                              term.command("JSMAIL", MENU))

    def test_send_checks_addressees_and_delivers(self):
        host = self.start(world())
        term = self.login(host)
        term.command("JSEND", TO)
        self.assertIn(sj("宛先コードまたはコマンドが間違っています。訂正して下さい。"),
                      term.command("MVL09999", TO))
        absent = term.command("MVL00003", TO)
        lines = absent.split(b"\r\n")
        self.assertEqual(lines[0], b"MVL00003")
        self.assertEqual(lines[2], sj("不在者ＩＤ：MVL00003  タロウ"))
        self.assertEqual(lines[3], sj("不在中の為，メールは受け付けられません。"))
        self.assertEqual(lines[5:7], [sj("不在期間：1999/12/30～2000/01/04"), sj("帰省中です。")])
        self.assertIn(sj("宛先：MVL00002  ハナコ"), term.command("MVL00002", MORE_TO))
        term.send("INET#")
        term.command("taro@example.jp", MORE_TO)
        self.assertIn(sj("宛先コードまたはコマンドが間違っています"), term.command("INET#broken", MORE_TO))
        self.assertIn(sj("送信しました。"), self.write(term, "ごあいさつ", "こんにちは", end="..以降は届かない"))
        term.command("Q", "ご利用ありがとうございました")
        other = self.login(host, "MVL00002", "hanako")
        self.assertIn(sj("MVL00001     デモ\r\n            ごあいさつ"), other.command("JREAD", READER))
        self.assertIn(sj("文書名：ごあいさつ\r\n\r\nこんにちは\r\n\r\n" + READER),
                      other.command("RB1", READER))
        other.command("Q", "ご利用ありがとうございました")
        sender = self.login(host)
        sent = sender.command("JSMAIL", "番号またはコマンド(M,S,F,H,Q,Dn,J)=")
        self.assertIn(sj("   1 99/12/31  99/12/31 23:59  MVL00002   ハナコ"), sent)
        self.assertIn(sj("   2 99/12/31  未確認          INET#taro@example.jp"), sent)

    def test_empty_addressee_list_returns_to_the_prompt(self):
        term = self.login(self.start(world()))
        term.command("JSEND", TO)
        term.command("MVL00003", TO)
        self.assertTrue(term.command("", ")=").endswith(sj(TO)))
        term.command("JMAIN", "(H,Q,J)=")

    def test_forward_text_and_file_mails(self):
        file = {"name": "PHOTO.DAT", "size": 10, "seed": 1}
        host = self.start(world([text_mail(1), text_mail(2, subject="写真", body=[], file=file)]))
        term = self.login(host)
        term.command("JREAD", READER)
        term.command("1", READER_MORE)
        term.command("FW", TO)
        term.command("MVL00002", MORE_TO)
        self.write(term, "転送です", "ご覧ください")
        term.command("JREAD", READER)
        term.command("2", READER)
        term.command("FW", TO)
        term.command("MVL00002", MORE_TO)
        term.command("", ">")
        term.command("写真の転送", "\n" + "よろしいですか(Y,N)=")
        term.command("Y", DONE)
        listing = term.command("JREAD", READER)
        self.assertEqual(listing.count(sj("　転　")), 2)
        sent = term.command("JSMAIL", ")=")
        self.assertIn(sj("ハナコ  転\r\n     ***   写真の転送"), sent)
        term.command("Q", "ご利用ありがとうございました")
        other = self.login(host, "MVL00002", "hanako")
        other.command("JREAD", READER)
        forwarded = other.command("RB1", READER_MORE)
        self.assertIn(sj("ご覧ください\r\n\r\n"), forwarded)
        self.assertIn(sj("文書名：件名1\r\n\r\n本文1\r\n"), forwarded)
        self.assertIn(sj("ファイル：PHOTO.DAT（10バイト）"), other.command("RB2", READER))

    def test_sent_list_delete(self):
        record = {"to": "MVL00002", "to_name": "ハナコ", "date": "1999/12/01 10:00:00", "subject": "古い"}
        w = world()
        w["users"][0]["sent"] = [record, dict(record, subject="新しい")]
        term = self.login(self.start(w))
        screen = term.command("JSMAIL", ")=")
        self.assertIn(sj("番号　送信日　　　確認日時　　　宛先コード　宛先名\r\n"
                         "　　　枚数（属性）　文書名（ファイル名、サイズ、コメント）\r\n"), screen)
        term.command("D1", "よろしいですか(Y,N,J)=")
        term.command("Y", "\n削除されました。")
        self.assertNotIn(sj("古い"), term.command("M", MENU) + term.command("3", ")="))


if __name__ == "__main__":
    unittest.main()
