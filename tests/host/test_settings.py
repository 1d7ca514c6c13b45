"""The host's settings: how it reads input, and the screens whose details it varies."""

import subprocess
import sys
import unittest

import hostclient
from hostclient import HostProcess, sj
from ludrix.settings import HostSettings, SettingError
from ludrix.world import WorldError, world_from_json

CLOCK = "1999/12/31 23:59:30"
READER = "番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)="
MAIL_MENU = "\r\n番号またはコマンド(M,S,F,H,Q,J)="


def world(mailbox=(), notices=(), **host):
    return {"host": host, "notices": list(notices), "users": [
        {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "mailbox": list(mailbox),
         "last_logout": "1999/12/30 22:10:05"},
        {"id": "MVL00002", "password": "hanako", "handle": "ハナコ"}]}


def text_mail(n: int, state: str = "unread"):
    return {"from": "MVL00002", "date": f"1999/12/{n:02d} 10:00:00", "subject": f"件名{n}",
            "body": [f"本文{n}"], "state": state}


class SettingValuesTest(unittest.TestCase):
    def test_bad_settings_name_the_setting(self):
        rows = [({"logout": "never"}, "host.logout: one of"), ({"header_gap": 1}, "host.header_gap"),
                ({"extra_recipients": 99}, "host.extra_recipients: must be 0 to 50"),
                ({"colour": "red"}, "host.colour: no such setting")]
        for host, message in rows:
            with self.subTest(message):
                with self.assertRaises(WorldError) as caught:
                    world_from_json({"host": host, "users": []})
                self.assertIn(message, str(caught.exception))
        settings = HostSettings()
        settings.set_text("title_blank=　")
        settings.set_text("header_gap=true")
        self.assertEqual((settings.title_blank, settings.header_gap), ("　", True))
        with self.assertRaises(SettingError):
            settings.set_text("header_gap")

    def test_command_line_settings_are_checked(self):
        run = subprocess.run([sys.executable, hostclient.HOST_SCRIPT, "--seed", "1", "--set",
                              "list_numbers=middle"], capture_output=True, timeout=30)
        self.assertEqual(run.returncode, 2)
        self.assertIn(b"--set.list_numbers", run.stderr)


class ScreenTest(unittest.TestCase):
    def start(self, w, *args) -> hostclient.Terminal:
        host = HostProcess("--clock", CLOCK, *args, world=w)
        self.addCleanup(host.stop)
        term = host.connect()
        self.addCleanup(term.close)
        return term

    def test_strict_and_lenient_input(self):
        for mode in ("strict", "lenient"):
            with self.subTest(mode):
                term = self.start(world([text_mail(1)], input=mode))
                term.expect("HOST NAME }")
                # LF does not end a strict line: the host name runs on into "X".
                term.send("LUDRIX\n")
                if mode == "strict":
                    term.send("X\r")
                    term.expect("HOST NAME ERROR")
                    term.expect("HOST NAME }")
                    term.send("LUDRIX\r")
                term.expect("USER_ID:")
                term.log_in_as()
                wrong = sj("番号またはコマンドが間違っています。")
                self.assertEqual(wrong in term.command(" jread", "="), mode == "strict")
                if mode == "strict":
                    term.command("JREAD", READER)
                # Typed before the reader's next prompt: a strict host drops "RB1".
                term.send("RT\rRB1\r")
                term.expect(READER)
                shown = term.command("M", MAIL_MENU)
                self.assertEqual(sj("文書名：件名1") in shown, mode == "lenient")

    def test_no_mail_said_for_a_mailbox_without_unread_mail(self):
        term = self.start(world([text_mail(1, "read")], no_mail="no-unread"))
        term.login()
        self.assertIn(sj("メールは届いていません。"), term.command("JREAD", MAIL_MENU))

    def test_deletion_without_a_notice(self):
        term = self.start(world([text_mail(1), text_mail(2)], delete_notice=False))
        term.login()
        term.command("JREAD", READER)
        term.command("D1", "よろしいですか(Y,N,J)=")
        self.assertNotIn(sj("削除されました。"), term.command("Y", READER))
        self.assertNotIn(sj("件名1"), term.command("RT", READER))

    def test_logout_texts_in_each_order(self):
        date = b"\r\nLOG OUT   DATE 99/12/31      TIME 23:59:30\r\n"
        farewell = sj("ご利用ありがとうございました\r\n")
        rows = [("date-first", date + farewell), ("farewell-first", b"\r\n" + farewell + date),
                ("date-only", date)]
        for order, expected in rows:
            with self.subTest(order):
                term = self.start(world(logout=order))
                term.login()
                term.send("Q\r")
                self.assertTrue(term.wait_closed())
                self.assertTrue(bytes(term.data).endswith(b"Q\r\n" + expected))

    def test_notice_list_stops_for_the_return_key(self):
        notices = [{"number": n, "date": "1999/12/31 10:00:00", "title": f"お知らせ{n}"}
                   for n in (1, 2, 3)]
        term = self.start(world(notices=notices, notice_page=1))
        term.expect("HOST NAME }")
        term.command("LUDRIX", "USER_ID:")
        term.command("MVL00001", "PASSWORD: ")
        self.assertIn(sj("お知らせ1\r\n"), term.command("morvaline", "リターンキーを押して下さい="))
        self.assertIn(sj("お知らせ2\r\n"), term.command("", "リターンキーを押して下さい="))
        self.assertIn(sj("お知らせ3\r\n"), term.command("", "お知らせを表示しますか(Y,N)="))


if __name__ == "__main__":
    unittest.main()
