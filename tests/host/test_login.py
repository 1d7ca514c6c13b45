"""Login, the screens after it, the main menu and logout, over a real line."""

import unittest

import hostclient
from hostclient import HostProcess, sj

CLOCK = "1999/12/31 23:59:30"


def world(**user):
    base = {"id": "MVL00001", "password": "morvaline", "handle": "デモ",
            "last_logout": "1999/12/30 22:10:05"}
    base.update(user)
    return {"users": [base, {"id": "MVL00002", "password": "hanako", "handle": "ハナコ"}]}


def line_with(screen: bytes, marker: str) -> bytes:
    for line in screen.split(b"\r\n"):
        if sj(marker) in line:
            return line
    raise AssertionError(f"no line with {marker}")


class LoginTest(unittest.TestCase):
    def host(self, *args, **user) -> HostProcess:
        host = HostProcess("--clock", CLOCK, *args, world=world(**user))
        self.addCleanup(host.stop)
        return host

    def term(self, host: HostProcess) -> hostclient.Terminal:
        term = host.connect()
        self.addCleanup(term.close)
        return term

    def test_login_greeting_menu_and_logout(self):
        host = self.host("--save")
        term = self.term(host)
        term.expect("HOST NAME }")
        term.send("LUDRIX\r")
        term.expect("USER_ID:")
        term.send("MVL00001\r")
        self.assertEqual(term.expect("PASSWORD: "), b"MVL00001\r\n" + sj("PASSWORD: "))
        term.send("morvaline\r")
        screen = term.expect("番号またはコマンド(H,Q,J)=")
        self.assertNotIn(b"morvaline", screen)
        banner = line_with(screen, "前回使用終了日時は  ")
        self.assertEqual(banner[22:], sj("1999年12月30日　22時10分05秒"))
        self.assertIn(sj("★☆★ようこそＬＵＤＲＩＸワールドへ★☆★"), screen)
        self.assertIn(b"\r\n" + sj("　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)") + b"\r\n", screen)
        self.assertIn(sj("１．電子メール\r\n"), screen)  # nothing waits: no arrival mark
        self.assertTrue(screen.endswith(b"\r\n" + sj("番号またはコマンド(H,Q,J)=")))
        term.send("Q\r")
        bye = term.expect("ご利用ありがとうございました")
        self.assertIn(b"\nLOG OUT   DATE 99/12/31      TIME 23:59:30\r\n", bye)
        self.assertTrue(term.wait_closed())
        # The logout time is the next greeting's, and was written back to the world.
        again = self.term(host).login()
        self.assertEqual(line_with(again, "前回使用終了日時は")[22:], sj("1999年12月31日　23時59分30秒"))
        saved = host.saved_world()["users"][0]
        self.assertEqual(saved["last_logout"], "1999/12/31 23:59:30")

    def test_half_width_banner_fields(self):
        term = self.term(self.host(display="kana"))
        screen = term.login()
        self.assertIn(b"WELCOME TO LUDRIX-NET", screen)
        banner = line_with(screen, "ｾﾞﾝｶｲ LOG OUT")
        self.assertEqual(banner[25:33] + banner[43:52], b"99/12/30 22:10:05")

    def test_arrival_mark_and_japanese_prompts(self):
        mail = {"from": "MVL00002", "date": "1999/12/31 10:00:00", "subject": "s", "body": ["b"]}
        host = self.host("--login-prompts", "japanese", mailbox=[mail])
        term = self.term(host)
        term.expect("HOST NAME }")
        term.send("LUDRIX\r")
        term.expect("ユーザＩＤ： ")
        term.send("MVL00001\r")
        term.expect("パスワード： ")
        term.send("morvaline\r")
        self.assertIn(sj("　１．電子メール【到着】\r\n"), term.expect("(H,Q,J)="))

    def test_wrong_password_three_times_closes(self):
        term = self.term(self.host())
        term.expect("HOST NAME }")
        term.command("LUDRIX", "USER_ID:")
        for n in range(3):
            term.command("MVL00001", "PASSWORD: ")
            term.command("wrong", "ＩＤまたはパスワードが間違っています。訂正してください")
            if n < 2:
                term.expect("USER_ID:")
        term.expect("ログインできませんでした。")
        self.assertTrue(term.wait_closed())

    def test_double_login_and_congestion(self):
        host = self.host("--max-sessions", "2")
        first = self.term(host)
        first.login()
        second = self.term(host)
        second.expect("HOST NAME }")
        second.command("LUDRIX", "USER_ID:")
        second.command("MVL00001", "PASSWORD: ")
        second.command("morvaline", "◆二重ログインです◆")
        self.assertTrue(second.wait_closed())
        third = self.term(host)
        third.login("MVL00002", "hanako")
        fourth = self.term(host)
        fourth.expect("HOST NAME }")
        fourth.command("LUDRIX", "USER_ID:")
        fourth.command("MVL00002", "PASSWORD: ")
        fourth.command("hanako", "ただ今、回線は大変混雑しております。しばらくたってからご利用下さい。")
        self.assertTrue(fourth.wait_closed())

    def test_unknown_host_name_is_asked_again(self):
        term = self.term(self.host())
        term.expect("HOST NAME }")
        term.command("OTHER", "HOST NAME ERROR")
        term.expect("HOST NAME }")

    def test_profile_walk_with_the_clients_answers(self):
        host = self.host(display="kana", ask_profile=True)
        term = self.term(host)
        term.expect("HOST NAME }")
        term.command("LUDRIX", "USER_ID:")
        term.command("MVL00001", "PASSWORD: ")
        term.command("morvaline", "*ﾌﾟﾛﾌｧｲﾙ ｦ ｼｭｳｾｲ ｼﾏｽｶ(Y,N)=")
        term.command("Y", "=")
        term.command("N", "=")
        # (answer, the current value shown on the screen it leads to)
        steps = [("2", "２．"), ("2", "１．"), ("2", "１．"), ("1", "２．"), ("2", None),
                 ("1", "１．"), ("1", None), ("2", "１．"), ("1", None)]
        screens = []
        for answer, shown in steps:
            screens.append(term.command(answer, "="))
            if shown is not None:
                self.assertIn(sj("（現在値）　" + shown), line_with(screens[-1], "（現在値）"))
        self.assertTrue(screens[6].endswith(sj("番号またはコマンド=")))
        term.command("Y", "プロファイルを登録しました。")
        term.expect("(H,Q,J)=")
        term.command("Q", "ご利用ありがとうございました")
        # Display 2 (kanji) was chosen: the next greeting is the kanji one.
        again = self.term(host)
        again.expect("HOST NAME }")
        again.command("LUDRIX", "USER_ID:")
        again.command("MVL00001", "PASSWORD: ")
        self.assertIn(sj("前回使用終了日時は"), again.command("morvaline", "＊プロファイルを修正しますか(Y,N)="))
        again.command("N", "(H,Q,J)=")

    def test_notices_at_login(self):
        notices = [{"number": 1, "date": "1999/12/31 10:00:00", "title": "年末年始のご案内",
                    "text": ["本文です。"]},
                   {"number": 2, "date": "1999/12/01 10:00:00", "title": "既読のお知らせ", "text": []}]
        host = HostProcess("--clock", CLOCK, world={**world(), "notices": notices})
        self.addCleanup(host.stop)
        term = self.term(host)
        term.expect("HOST NAME }")
        term.command("LUDRIX", "USER_ID:")
        term.command("MVL00001", "PASSWORD: ")
        screen = term.command("morvaline", "お知らせを表示しますか(Y,N)=")
        self.assertIn(b"\r\n" + sj("今回のお知らせ") + b"\r\n", screen)
        self.assertIn(sj("    1  99/12/31  年末年始のご案内\r\n"), screen)
        self.assertNotIn(sj("既読のお知らせ"), screen)  # older than the last logout
        shown = term.command("RB1", "番号またはコマンド(M,S,F,H,Q,RBn,TLn,KW,KWL,DSn,RT,DL,J)=")
        self.assertIn(sj("年末年始のご案内\r\n\r\n本文です。\r\n"), shown)
        self.assertIn(sj("(MAIN)"), term.command("M", "(H,Q,J)="))
        # Answered N, the notices lead straight to the main menu.
        other = self.term(host)
        other.expect("HOST NAME }")
        other.command("LUDRIX", "USER_ID:")
        other.command("MVL00002", "PASSWORD: ")
        other.command("hanako", "お知らせを表示しますか(Y,N)=")
        self.assertIn(sj("(MAIN)"), other.command("N", "(H,Q,J)="))

    def test_long_notice_list_pauses_and_question_only_mode(self):
        notices = [{"number": n, "date": "1999/12/31 10:00:00", "title": f"お知らせ{n}", "text": []}
                   for n in range(1, 4)]
        users = world(login_notices="ask")["users"]
        host = HostProcess("--clock", CLOCK, "--page-size", "2",
                           world={"users": users, "notices": notices})
        self.addCleanup(host.stop)
        asked = self.term(host)
        asked.expect("HOST NAME }")
        asked.command("LUDRIX", "USER_ID:")
        asked.command("MVL00001", "PASSWORD: ")
        screen = asked.command("morvaline", "お知らせを表示しますか(Y,N)=")
        self.assertNotIn(sj("今回のお知らせ"), screen)
        listed = self.term(host)
        listed.expect("HOST NAME }")
        listed.command("LUDRIX", "USER_ID:")
        listed.command("MVL00002", "PASSWORD: ")
        first = listed.command("hanako", "リターンキーを押して下さい=")
        self.assertIn(sj("お知らせ2\r\n"), first)
        self.assertIn(sj("お知らせ3\r\n"), listed.command("", "お知らせを表示しますか(Y,N)="))

    def test_change_id_on_the_same_line(self):
        host = self.host()
        term = self.term(host)
        term.login()
        term.command("JMAIN", "(H,Q,J)=")
        term.command("CID", "USER_ID:")
        term.command("MVL00002", "PASSWORD: ")
        term.command("hanako", "(H,Q,J)=")
        # MVL00001 is free again: another line may log in with it.
        self.term(host).login()

    def test_jumps_and_wrong_commands(self):
        term = self.term(self.host())
        term.login()
        self.assertIn(sj("選択されたサービスのデータは、現在登録されていません。"),
                      term.command("JCLIPREAD", "(H,Q,J)="))
        self.assertIn(sj("番号またはコマンドが間違っています。訂正して下さい。"),
                      term.command("JNOWHERE", "(H,Q,J)="))
        self.assertIn(sj("番号またはコマンドが間違っています。訂正して下さい。"),
                      term.command("99", "(H,Q,J)="))


if __name__ == "__main__":
    unittest.main()
