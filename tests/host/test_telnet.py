"""The host's half of the Telnet negotiation."""

import unittest

import hostclient  # noqa: F401  (puts host/ on the path)
from ludrix.telnet import BINARY, DO, DONT, ECHO, IAC, SB, SE, SGA, TTYPE, WILL, WONT, TelnetCodec


def cmd(verb: int, option: int) -> bytes:
    return bytes((IAC, verb, option))


class NegotiationTest(unittest.TestCase):
    def opened(self) -> TelnetCodec:
        codec = TelnetCodec()
        codec.opening()
        return codec

    def test_client_opening_settles_without_loops(self):
        codec = self.opened()
        client_opening = cmd(DO, SGA) + cmd(WILL, SGA) + cmd(DO, ECHO) + cmd(DO, BINARY) + cmd(WILL, BINARY)
        data, replies = codec.feed(client_opening)
        self.assertEqual(data, b"")
        # DO SGA and DO ECHO acknowledge the host's own offers: no answer.
        self.assertEqual(replies, cmd(DO, SGA) + cmd(WILL, BINARY) + cmd(DO, BINARY))
        # The client acknowledging the answers again changes nothing.
        self.assertEqual(codec.feed(cmd(WILL, SGA) + cmd(DO, BINARY) + cmd(WILL, BINARY))[1], b"")
        for option in (SGA, ECHO, BINARY):
            self.assertTrue(codec.enabled_local(option))

    def test_answers(self):
        rows = [
            ("terminal type accepted, then asked for", cmd(WILL, TTYPE),
             bytes((IAC, SB, TTYPE, 1, IAC, SE))),
            ("unknown option offered by the client", cmd(WILL, 31), cmd(DONT, 31)),
            ("unknown option asked of the host", cmd(DO, 31), cmd(WONT, 31)),
            ("refusal of something never agreed", cmd(WONT, 31), b""),
            ("DONT of something never agreed", cmd(DONT, 200), b""),
            ("ECHO withdrawn by the client's DONT", cmd(DONT, ECHO), cmd(WONT, ECHO)),
        ]
        for name, received, expected in rows:
            with self.subTest(name):
                codec = self.opened()
                codec.feed(cmd(DO, ECHO))
                self.assertEqual(codec.feed(received)[1], expected)

    def test_terminal_type_answer_is_recorded(self):
        codec = self.opened()
        codec.feed(cmd(WILL, TTYPE))
        data, _ = codec.feed(bytes((IAC, SB, TTYPE, 0)) + b"UNKNOWN" + bytes((IAC, SE, 0)))
        self.assertEqual(codec.terminal_type, "UNKNOWN")
        self.assertEqual(data, b"\x00")

    def test_data_bytes(self):
        rows = [
            ("IAC IAC is one 0xFF", b"a\xff\xffb", b"a\xffb"),
            ("two-byte commands take no data byte", b"a\xff\xf3b\xff\xf1c", b"abc"),
            ("sub-negotiation longer than the buffer ends at IAC SE",
             bytes((IAC, SB, 99)) + b"x" * 1000 + bytes((IAC, SE)) + b"z", b"z"),
            ("IAC IAC inside a sub-negotiation does not end it",
             bytes((IAC, SB, 99, IAC, IAC, 5, IAC, SE)) + b"q", b"q"),
        ]
        for name, received, expected in rows:
            with self.subTest(name):
                self.assertEqual(TelnetCodec().feed(received)[0], expected)

    def test_command_split_across_reads(self):
        codec = TelnetCodec()
        out = b""
        for byte in b"ab" + cmd(DO, 31) + b"\xff\xffc":
            out += codec.feed(bytes((byte,)))[0]
        self.assertEqual(out, b"ab\xffc")

    def test_escape_doubles_iac(self):
        self.assertEqual(TelnetCodec.escape(b"\x01\xff\x02"), b"\x01\xff\xff\x02")


class LineNegotiationTest(unittest.TestCase):
    def test_opening_on_a_real_line(self):
        with hostclient.HostProcess("--seed", "1", "--users", "1", "--mails", "0") as host, \
                host.connect() as term:
            term.expect("HOST NAME }")
            for answer in (cmd(DO, SGA), cmd(WILL, BINARY), cmd(DO, BINARY)):
                term.expect_negotiation(answer)
            got = bytes(term.negotiation)
            self.assertTrue(got.startswith(cmd(WILL, ECHO) + cmd(WILL, SGA) + cmd(DO, TTYPE)))
            term.expect_negotiation(bytes((IAC, SB, TTYPE, 1, IAC, SE)))


if __name__ == "__main__":
    unittest.main()
