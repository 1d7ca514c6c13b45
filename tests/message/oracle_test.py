#!/usr/bin/env python3
"""The message converters against independent implementations, run now over a generated
corpus: iconv and nkf for the code conversion, sharutils for uuencode, Python's email
package for MIME decoding. Each side writes files; the files must be equal byte for byte.

usage: oracle_test.py MORVALINE_BENCH"""
import os
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "bench"))
import message_corpus  # noqa: E402

BENCH = None


def run(*argv, stdout=None):
    with open(stdout, "wb") if stdout else open(os.devnull, "wb") as out:
        done = subprocess.run(argv, stdout=out, stderr=subprocess.PIPE)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(argv)} failed: {done.stderr.decode(errors='replace')}")


class Oracles(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="oracle-test-")
        self.addCleanup(self.work.cleanup)

    def path(self, name):
        return os.path.join(self.work.name, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def assertSameFile(self, ours, theirs):
        with open(ours, "rb") as a, open(theirs, "rb") as b:
            mine, other = a.read(), b.read()
        if mine != other:
            at = next((i for i, (x, y) in enumerate(zip(mine, other)) if x != y),
                      min(len(mine), len(other)))
            self.fail(f"{os.path.basename(ours)} differs at byte {at}: "
                      f"{mine[max(0, at - 20):at + 20]!r} against {other[max(0, at - 20):at + 20]!r}")

    def test_sjis_to_jis_matches_iconv_and_nkf(self):
        # iconv has no half-width katakana in ISO-2022-JP; nkf widens them as we do.
        for seed, kana, peer in ((1, False, ["iconv", "-f", "SHIFT_JIS", "-t", "ISO-2022-JP"]),
                                 (2, True, ["nkf", "-j", "-S", "-m0"])):
            with self.subTest(peer=peer[0]):
                source = self.write("in.sjis", message_corpus.sjis_text(300_000, seed, kana))
                run(BENCH, "conv", "sjis2jis", source, self.path("ours.jis"))
                run(*peer, source, stdout=self.path("peer.jis"))
                self.assertSameFile(self.path("ours.jis"), self.path("peer.jis"))

    def test_jis_to_sjis_matches_iconv_and_nkf(self):
        source = self.write("in.jis", message_corpus.jis_text(300_000, 3))
        for peer in (["iconv", "-f", "ISO-2022-JP", "-t", "SHIFT_JIS"], ["nkf", "-s", "-J", "-m0"]):
            with self.subTest(peer=peer[0]):
                run(BENCH, "conv", "jis2sjis", source, self.path("ours.sjis"))
                run(*peer, source, stdout=self.path("peer.sjis"))
                self.assertSameFile(self.path("ours.sjis"), self.path("peer.sjis"))

    def test_uu_matches_sharutils(self):
        # Sizes around the 45-byte line and the 3-byte group.
        for size in (0, 1, 2, 44, 45, 46, 90, 1000, 300_001):
            with self.subTest(size=size):
                data = os.urandom(size)
                source = self.write("file.bin", data)
                run("uuencode", source, "file.bin", stdout=self.path("peer.uu"))
                with open(self.path("peer.uu"), "rb") as f:
                    lines = f.read().split(b"\n")
                # A stored mail carries the block with CR LF between lines of prose.
                stored = self.write("stored.txt", b"Here it is:\r\n" + b"\r\n".join(lines) + b"Bye.\r\n")
                run(BENCH, "uu", "decode", stored, self.path("decoded.bin"))
                self.assertSameFile(self.path("decoded.bin"), source)

                # Our block, its CR line ends read as sharutils' LF: the same data lines.
                run(BENCH, "uu", "encode", source, self.path("ours.uu"))
                with open(self.path("ours.uu"), "rb") as f:
                    ours = f.read().split(b"\r")
                self.assertEqual(ours[0], b"begin 600 file.bin")
                self.assertEqual(ours[1:], lines[1:])

    def test_mime_matches_pythons_email_package(self):
        mails = self.path("mails")
        os.makedirs(mails)
        listing = message_corpus.mail_corpus(mails, 24, 40_000, 500)
        for name in ("ours", "peer"):
            os.makedirs(self.path(name))
        run(BENCH, "mime", listing, self.path("ours"))
        run(sys.executable, os.path.join(SOURCE, "bench", "mime_peer.py"), listing, self.path("peer"))
        compared = 0
        for n in sorted(os.listdir(self.path("peer"))):
            ours, peer = os.path.join(self.path("ours"), n), os.path.join(self.path("peer"), n)
            self.assertEqual(sorted(os.listdir(ours)), sorted(os.listdir(peer)), f"mail {n}")
            for name in os.listdir(peer):
                self.assertSameFile(os.path.join(ours, name), os.path.join(peer, name))
                compared += 1
        self.assertGreater(compared, 24 * 3)


if __name__ == "__main__":
    BENCH = sys.argv.pop(1)
    unittest.main()
