"""Faults that the host injects on request."""

import unittest

import hostclient
from hostclient import HostProcess, sj

PROMPT = sj("\r\nLUDRIX-NET ACCESS SERVICE\r\n\r\nHOST NAME }")
WORLD = {"users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ"}]}


class FaultTest(unittest.TestCase):
    def host(self, *args) -> HostProcess:
        host = HostProcess(*args, world=WORLD)
        self.addCleanup(host.stop)
        return host

    def term(self, host) -> hostclient.Terminal:
        term = host.connect()
        self.addCleanup(term.close)
        return term

    def test_close_after_n_bytes(self):
        term = self.term(self.host("--close-after", "60"))
        term.expect("HOST NAME }")
        term.send("LUDRIX\r")
        self.assertTrue(term.wait_closed())
        self.assertEqual(len(term.transcript), 60)

    def test_silent_after_n_bytes_keeps_the_line_up(self):
        term = self.term(self.host("--silent-after", str(len(PROMPT) + 3)))
        term.expect("HOST NAME }")
        term.send("LUDRIX\r")
        term.expect("LUD")
        self.assertTrue(term.quiet_for(0.5))
        self.assertEqual(bytes(term.transcript), PROMPT + b"LUD")

    def test_garble_changes_about_the_given_fraction(self):
        rows = [("every byte", "1.0", len(PROMPT), len(PROMPT)), ("a third", "0.33", 5, 30)]
        for name, fraction, low, high in rows:
            with self.subTest(name):
                host = self.host("--garble", fraction, "--close-after", str(len(PROMPT)))
                term = self.term(host)
                self.assertTrue(term.wait_closed())
                got = bytes(term.transcript)
                self.assertEqual(len(got), len(PROMPT))
                changed = sum(a != b for a, b in zip(got, PROMPT))
                self.assertTrue(low <= changed <= high, changed)

    def test_busy_line_closes_without_a_byte(self):
        term = self.term(self.host("--busy"))
        self.assertTrue(term.wait_closed())
        self.assertEqual(bytes(term.transcript) + bytes(term.negotiation), b"")

    def test_refused_logins(self):
        rows = [("password", "ＩＤまたはパスワードが間違っています。訂正してください"),
                ("double", "◆二重ログインです◆"),
                ("congestion", "ただ今、回線は大変混雑しております。しばらくたってからご利用下さい。")]
        for kind, message in rows:
            with self.subTest(kind):
                term = self.term(self.host("--refuse-login", kind))
                term.expect("HOST NAME }")
                term.command("LUDRIX", "USER_ID:")
                term.command("MVL00001", "PASSWORD: ")
                term.command("morvaline", message)

    def test_faults_only_for_the_first_lines(self):
        host = self.host("--refuse-login", "password", "--fault-sessions", "1")
        first = self.term(host)
        first.expect("HOST NAME }")
        first.command("LUDRIX", "USER_ID:")
        first.command("MVL00001", "PASSWORD: ")
        first.command("morvaline", "ＩＤまたはパスワードが間違っています")
        self.term(host).login()


if __name__ == "__main__":
    unittest.main()
