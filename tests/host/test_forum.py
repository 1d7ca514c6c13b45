"""SIGs and forums over a real line: menus, rooms, reading, titles, posting, deleting."""

import json
import subprocess
import sys
import unittest

import hostclient
from hostclient import HostProcess, sj

CLOCK = "2000/01/05 10:00:00"
SIG_PROMPT = "番号またはコマンド(M,S,F,H,Q,J)="
FORUM = "番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)="
ROOM = "コマンド(M,S,F,H,Q,R,RB,RBn,SC,SCn,RT,TL,TLn,J)="
FM = "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)="
BM_RC = "番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)="
DONE = "コマンド(M,S,F,H,Q,W,J)="


def message(n, title=None, sender="MVL00002", handle="ハナコ", body=None):
    return {"from": sender, "handle": handle, "date": f"1999/12/{n % 28 + 1:02d} 09:{n % 60:02d}:00",
            "title": title or f"話題{n}", "body": body if body is not None else [f"本文{n}"]}


def world(rooms=None, layout=None, **host):
    rooms = rooms if rooms is not None else [
        {"number": 1, "name": "雑談会議室",
         "messages": [message(1), message(2, "RE:#1 話題1"), message(3, "RE:#2 話題1"),
                      message(4, "自分の話", sender="MVL00001", handle="デモ")]},
        {"number": 2, "name": "質問会議室", "prompt": "bm_rc", "posting": "refuse",
         "messages": [message(1)]},
        {"number": 5, "name": "過去ログ", "folder": [{"number": 1, "name": "古い会議室",
                                                     "messages": [message(1)]}]}]
    return {"host": host, "forum_layout": layout or {},
            "users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ",
                       "login_notices": "off"},
                      {"id": "MVL00002", "password": "hanako", "handle": "ハナコ",
                       "login_notices": "off"}],
            "sigs": [{"code": "PCSIG", "aliases": ["PCOLD"], "name": "パソコンＳＩＧ",
                      "banner": ["ようこそ"],
                      "forums": [{"number": 3, "name": "総合フォーラム", "talk": True,
                                  "rooms": rooms}]}]}


class ForumTest(unittest.TestCase):
    def start(self, w, *args) -> HostProcess:
        host = HostProcess("--clock", CLOCK, "--save", *args, world=w)
        self.addCleanup(host.stop)
        return host

    def forum(self, host) -> hostclient.Terminal:
        term = host.connect()
        self.addCleanup(term.close)
        term.login()
        term.command("JPCSIG", SIG_PROMPT)
        term.command("3", FORUM)
        return term

    def test_sig_banner_names_the_current_code(self):
        host = self.start(world())
        term = host.connect()
        self.addCleanup(term.close)
        term.login()
        banner = term.command("JPCOLD", SIG_PROMPT)
        self.assertIn(sj("ようこそ\r\n"), banner)
        self.assertIn(sj("　３．総合フォーラム\r\n"), banner)
        self.assertTrue(banner.endswith(sj("パソコンＳＩＧ  (PCSIG)\r\n\r\n" + SIG_PROMPT)))
        self.assertIn(sj("番号またはコマンドが間違っています"), term.command("JNOSIG", "H,Q,J)="))

    def test_forum_menu_lists_rooms_folders_and_talk(self):
        term = self.forum(self.start(world()))
        menu = term.command("M", SIG_PROMPT) and term.command("3", FORUM)
        self.assertIn(sj("　１．雑談会議室") + b" " * 20 + sj("[    4]\r\n"), menu)
        self.assertIn(sj("　２．質問会議室"), menu)
        self.assertIn(sj("　５．過去ログ　＞＞\r\n"), menu)
        self.assertIn(sj("　ＯＬＴ＋（＊）\r\n"), menu)
        folder = term.command("5", FORUM)
        self.assertIn(sj("　１．古い会議室"), folder)
        self.assertIn(sj("＜古い会議室＞　新着メッセージ 1件"), term.command("RN1", ROOM))
        term.command("S", FORUM)
        self.assertIn(sj("総合フォーラム"), term.command("S", FORUM))

    def test_room_list_pages_and_two_columns(self):
        rooms = [{"number": n, "name": f"部屋{n}", "messages": []} for n in range(1, 8)]
        term = self.start(world(rooms, {"room_list": "double"}, page_size=2)).connect()
        self.addCleanup(term.close)
        term.login()
        term.command("JPCSIG", SIG_PROMPT)
        first = term.command("3", "リターンキーを押して下さい=")
        self.assertIn(sj("　１．部屋1") + b" " * 25 + sj("[    0]  　２．部屋2"), first)
        self.assertNotIn(sj("部屋5"), first)
        self.assertIn(sj("　７．部屋7                         [    0]  　ＯＬＴ＋（＊）\r\n"),
                      term.command("", FORUM))

    def test_reading_new_messages_moves_the_read_position(self):
        term = self.forum(self.start(world()))
        entered = term.command("RN1", ROOM)
        self.assertIn(sj("新着メッセージ 4件"), entered)
        shown = term.command("RB-", FM)
        self.assertIn(sj("#2/4\r\n★タイトル (MVL00002)  99/12/03 09:02      1件\r\n"
                         "RE:#1 話題1　ハナコ\r\n本文2\r\n"), shown)
        self.assertIn(sj("#4/4\r\n"), shown)
        term.command("S", FORUM)
        self.assertIn(sj(NO_NEW_TEXT), term.command("RN1", FORUM))
        status = term.command("SC1", FM)
        self.assertIn(sj("\r\n#4/4　雑談会議室\r\n"), status)
        term.command("SC2", FM)
        self.assertIn(sj("#3/4"), term.command("RB-", FM))
        self.assertNotIn(sj("#2/4"), term.command("RB-,1", FM) + term.command("RB3", FM))
        self.assertIn(sj("該当データは、ありません。"), term.command("RB9", FM))

    def test_layout_variants(self):
        layout = {"tag": "short", "comment_marker": "stars", "comment_count": False,
                  "handle_separator": "slash", "titles_list": "time"}
        term = self.forum(self.start(world(layout=layout)))
        term.command("SC1", FM)
        shown = term.command("RB1-", FM)
        self.assertIn(sj("#1    *** ｺﾒﾝﾄ 1\r\n★タイトル (MVL00002)  99/12/02 09:01 \r\n"
                         "話題1／ハナコ\r\n"), shown)
        term.command("S", FORUM)
        term.command("SC2", BM_RC)
        term.command("S", FORUM)
        term.command("SC1", FM)
        self.assertIn(sj("    3 99/12/04 09:03 RE:#2 話題1\r\n"), term.command("TL3", FM))

    def test_menu_and_titles_variants(self):
        layout = {"highest": "wide", "folder_mark": False, "titles_list": "tight"}
        term = self.start(world(layout=layout)).connect()
        self.addCleanup(term.close)
        term.login()
        term.command("JPCSIG", SIG_PROMPT)
        menu = term.command("3", FORUM)
        self.assertIn(sj("　１．雑談会議室　［４］\r\n"), menu)
        self.assertIn(sj("　５．過去ログ\r\n"), menu)
        term.command("SC1", FM)
        self.assertIn(sj("\r\n2 99/12/ 3 RE:#1 話題1\r\n"), term.command("TL2", FM))

    def test_titles_list_pages(self):
        rooms = [{"number": 1, "name": "部屋", "messages": [message(n) for n in range(1, 6)]}]
        term = self.forum(self.start(world(rooms, page_size=2)))
        term.command("SC1", FM)
        first = term.command("TL2", "番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,J)=")
        self.assertIn(sj("番号　登録日付　タイトル　総数：    4\r\n    2  99/12/03  話題2\r\n"), first)
        self.assertIn(sj("    5  99/12/06  話題5\r\n  2/  2\r\n"), term.command("N", FM))

    def test_post_is_registered_and_saved(self):
        host = self.start(world())
        term = self.forum(host)
        term.command("W1", "行以上は登録されません。\r\n")
        term.command("RE:#2 お返事", "\n")
        term.command("本文です", "\n")
        term.command(" ..で始まる行", "\n")
        term.command("..", "コマンド(H,Q,C,RB,G,V)=")
        self.assertIn(sj("#5 を登録しました。"), term.command("G", DONE))
        term.command("S", FORUM)
        term.command("Q", "ご利用ありがとうございました")
        self.assertTrue(term.wait_closed())
        room = host.saved_world()["sigs"][0]["forums"][0]["rooms"][0]
        self.assertEqual(room["messages"][4]["title"], "RE:#2 お返事")
        self.assertEqual(room["messages"][4]["body"], ["本文です", " ..で始まる行"])
        self.assertEqual(room["messages"][4]["from"], "MVL00001")

    def test_refusing_room_offers_only_cancel(self):
        term = self.forum(self.start(world()))
        term.command("W2", "行以上は登録されません。\r\n")
        term.command("題", "\n")
        self.assertIn(sj("この会議室には登録できません。"), term.command("..", "番号またはコマンド(H,Q,C)="))
        term.command("C", DONE)
        term.command("S", FORUM)
        self.assertIn(sj("[    1]"), term.command("M", SIG_PROMPT) + term.command("3", FORUM))

    def test_delete_own_message_only(self):
        term = self.forum(self.start(world()))
        term.command("SC1", FM)
        self.assertIn(sj("コマンドが、間違っています。"), term.command("D2", FM))
        self.assertIn(sj("メッセージは、登録されておりません。"), term.command("D9", FM))
        term.command("D4", "よろしいですか(Y,N,J)=")
        term.command("Y", "コマンド(M,S,F,H,Q,B,Dn,J)=")
        self.assertIn(sj("メッセージは、登録されておりません。"), term.command("D4", FM))

    def test_bad_forum_section_is_refused(self):
        bad = world()
        bad["sigs"][0]["forums"][0]["rooms"].append({"number": 1, "name": "二つ目"})
        with open(self.start(world()).world_path, "w", encoding="utf-8") as fh:
            json.dump(bad, fh, ensure_ascii=False)
            path = fh.name
        run = subprocess.run([sys.executable, hostclient.HOST_SCRIPT, "--world", path,
                              "--dump-world", path + ".out"], capture_output=True, text=True)
        self.assertEqual(run.returncode, 2)
        self.assertIn("rooms: a number appears twice", run.stderr)

    def test_generated_forum_has_deep_threads(self):
        from ludrix.worldgen import Recipe, generate
        w = generate(Recipe(seed=5, users=3, mails=0, forum_messages=400, thread_depth=3))
        room = w.forums.sig("GENSIG").forums[0].entries[0]
        self.assertEqual(room.highest, 400)
        depth = {}
        for n, m in enumerate(room.messages, 1):
            target = m.answers()
            self.assertLess(target, n)
            depth[n] = depth[target] + 1 if target else 0
        self.assertEqual(max(depth.values()), 3)
        self.assertTrue(any(line.startswith("#") for m in room.messages for line in m.body))


NO_NEW_TEXT = "新しいメッセージは、ありません。"

if __name__ == "__main__":
    unittest.main()
