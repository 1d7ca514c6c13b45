"""Rapidox: frame vectors, the host's sender against its receiver, and the
mail transfers over a real line with a scripted caller."""

import asyncio
import base64
import datetime as dt
import random
import socket
import time
import unittest

import hostclient
from hostclient import HostProcess, sj
from ludrix import rapidox
from ludrix.faults import FaultPlan, OutputFaults, TransferFaults
from ludrix.line import HostLine
from ludrix.rapidox_recv import Receiver
from ludrix.rapidox_send import OutFile, Sender
from ludrix.telnet import TelnetCodec

SOH, STX, EOT, ACK, CR, NAK, CAN = 1, 2, 4, 6, 13, 0x15, 0x18
STAMP = dt.datetime(1999, 12, 29, 20, 45, 10)


def block(number: int, data: bytes) -> bytes:
    data = data.ljust(128, b"\x1a")
    return bytes((SOH, number, 255 - number)) + data + bytes((sum(data) % 256,))


def header(kind: str, data: bytes) -> bytes:
    body = bytes((SOH, 0, ord(kind))) + data.ljust(128, b"\0")
    return body + bytes((sum(body) % 256,))


def packet(fields: bytes) -> bytes:
    body = bytes((STX,)) + fields
    return body + bytes((sum(body) % 256 | 0x80, CR))


class FrameTest(unittest.TestCase):
    def test_blocks_and_packets(self):
        self.assertEqual(rapidox.data_block(257, b"\xff" * 3), block(1, b"\xff" * 3))
        self.assertEqual(rapidox.header_block(rapidox.END_OF_FILE, rapidox.eof_data(2)),
                         header("2", b"\x02" + b"0"))
        for count in (0, 1, 127, 128, 255):
            with self.subTest(count=count):
                t = rapidox.packet("T", bytes((count | 0x80, 0x30)))
                self.assertEqual(t[-2], (count + 6) % 256 | 0x80)
        self.assertEqual(rapidox.number_packet("A", 200), packet(b"A\xc8"))
        self.assertEqual(rapidox.decimal_packet("P", 7), packet(b"P\x807"))

    def test_parameter_checks(self):
        rows = [("window 20, options", b"102011", (20, 0x31)),
                ("P3 0 ignores P4", b"10050", (5, 0x30)),
                ("NUL P4 counts as 0", b"10051\0", (5, 0x30)),
                ("window 00", b"100011", None), ("P2 not 0", b"112011", None),
                ("P3 out of range", b"10209", None), ("P4 out of range", b"102012", None)]
        for name, data, expected in rows:
            with self.subTest(name):
                params = rapidox.parse_params(data)
                self.assertEqual(None if params is None else (params.window, params.p4), expected)

    def test_file_header_is_read_strictly(self):
        good = b"01A.BIN\x00256\x0019991229204510\x00"
        self.assertEqual(rapidox.parse_file_header(good.ljust(128, b"\0")),
                         rapidox.FileHeader(1, b"A.BIN", 256, STAMP))
        rows = [("no NUL after the name", b"01" + b"x" * 126), ("size not digits", b"01A\x00-5\x00"),
                ("bad time", b"01A\x001\x0019991399999999\x00"), ("empty name", b"01\x001\x00")]
        for name, data in rows:
            with self.subTest(name):
                self.assertIsNone(rapidox.parse_file_header(data.ljust(128, b"\0")))
        with self.assertRaises(ValueError):
            rapidox.file_header_data(1, b"N" * 120, 5, STAMP)


async def _line_pair() -> tuple[HostLine, HostLine]:
    a, b = socket.socketpair()
    lines = []
    for sock in (a, b):
        reader, writer = await asyncio.open_connection(sock=sock)
        lines.append(HostLine(reader, writer, TelnetCodec(), OutputFaults(None, 0), 5.0))
    return lines[0], lines[1]


def exchange(files, send_faults=None, receive_faults=None, windows=(25, 25), kept=None):
    """The host's sender and receiver over a socket pair (0xFF doubled on both); the
    receiver holds the part kept in the dict `kept` (name -> bytes), if any."""
    async def run():
        left, right = await _line_pair()
        # The sender waits longer than the receiver, as the protocol's own time-outs do.
        sender = Sender(left, TransferFaults(FaultPlan(transfer=send_faults or {}), 0), 2.0,
                        windows[0], quiet=0.05)
        receiver = Receiver(right, TransferFaults(FaultPlan(transfer=receive_faults or {}), 0), 0.5,
                            windows[1], quiet=0.05,
                            kept=(lambda name, size: kept.get(name, b"")) if kept else None)
        results = await asyncio.gather(sender.run(files), receiver.run())
        await asyncio.gather(left.close(), right.close())
        if kept is not None and receiver.interrupted is not None:
            kept[receiver.interrupted.name] = receiver.interrupted.data
        return results, receiver.files
    return asyncio.run(run())


def out_file(size: int, name: bytes = b"A.BIN", fill: int | None = None) -> OutFile:
    data = bytes((fill,)) * size if fill is not None else random.Random(size).randbytes(size)
    return OutFile(name, data, STAMP)


class ExchangeTest(unittest.TestCase):
    def test_sizes_and_windows(self):
        cases = [(size, (25, 20)) for size in (0, 1, 127, 128, 129, 256, 32768 + 5)]
        cases += [(32768 + 5, (w, 25)) for w in (1, 2, 25)]
        for size, windows in cases:
            with self.subTest(size=size, windows=windows):
                file = out_file(size, fill=0xFF if size % 2 else None)
                results, got = exchange([file], windows=windows)
                self.assertEqual(results, [0, 0])
                self.assertEqual((got[0].data, got[0].name, got[0].mtime), (file.data, b"A.BIN", STAMP))

    def test_batch_of_files(self):
        files = [out_file(n, b"F%d" % n) for n in (10, 0, 300)]
        results, got = exchange(files)
        self.assertEqual(results, [0, 0])
        self.assertEqual([(f.name, f.data) for f in got], [(f.name, f.data) for f in files])

    def test_recovered_faults(self):
        rows = [("sender drops a block", {"drop": 3}, {}), ("sender corrupts a block", {"corrupt": 40}, {}),
                ("receiver loses a block", {}, {"drop": 2}), ("receiver sees a bad block", {}, {"corrupt": 1})]
        file = out_file(6000)
        for name, send, receive in rows:
            with self.subTest(name):
                results, got = exchange([file], send, receive, windows=(10, 10))
                self.assertEqual(results, [0, 0])
                self.assertEqual(got[0].data, file.data)

    def test_cancel_ends_both_sides(self):
        self.assertEqual(exchange([out_file(6000)], {"can": 5})[0], [2, 2])
        results, got = exchange([out_file(6000)], {}, {"can": 5})
        self.assertEqual((results[0], got), (2, []))

    def test_receiver_keeps_a_broken_file_and_resumes_it(self):
        file = out_file(5000)
        kept = {}
        results, got = exchange([file], {}, {"can": 5}, kept=kept)
        self.assertEqual((results[1], got), (rapidox.FILE_ERROR, []))
        self.assertEqual(kept, {b"A.BIN": file.data[:512]})  # blocks 1-4 came whole
        kept[b"A.BIN"] = file.data[:1000]  # a part that ends inside block 8 resumes at it
        results, got = exchange([file], kept=kept)
        self.assertEqual(results, [0, 0])
        self.assertEqual(got[0].data, file.data)
        kept[b"A.BIN"] = file.data  # a part as long as the file: the file starts anew
        self.assertEqual(exchange([file], kept=kept)[1][0].data, file.data)

    def test_stalled_sender_makes_the_receiver_give_up(self):
        results, got = exchange([out_file(6000)], {"stall": 2})
        self.assertEqual(results[1], rapidox.RETRIES)
        self.assertEqual(got, [])


DATA = bytes(range(256)) * 3 + bytes(range(232))  # 1000 bytes, 0xFF among them
PAYLOAD = bytes(range(200))
READER = "番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)="


def file_world(**host):
    mail = {"from": "MVL00002", "date": "1999/12/29 21:00:00", "subject": "写真", "body": [],
            "file": {"name": "PHOTO.DAT", "base64": base64.b64encode(DATA).decode(),
                     "time": "1999/12/29 20:45:10"}}
    return {"host": host,
            "users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ", "mailbox": [mail],
                       "partial_uploads": [{"name": "UP.BIN",
                                            "base64": base64.b64encode(PAYLOAD[:130]).decode()}]},
                      {"id": "MVL00002", "password": "hanako", "handle": "ハナコ"}]}


class LineTransferTest(unittest.TestCase):
    def host(self, *args, **settings) -> HostProcess:
        host = HostProcess("--clock", "1999/12/31 23:59:30", *args, world=file_world(**settings))
        self.addCleanup(host.stop)
        return host

    def start_download(self, host) -> hostclient.Terminal:
        term = host.connect()
        self.addCleanup(term.close)
        term.login()
        self.assertIn(sj("     ***   写真"), term.command("JREAD", READER))
        screen = term.command("DL1", "番号またはコマンド(H,Q,C)=")
        self.assertIn(sj("PHOTO.DAT"), screen)
        term.command("2", "ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)\r\n")
        term.send(bytes((NAK,)))
        self.assertEqual(term.read_bytes(132), header("0", b"102511"))
        term.send(packet(b"R\x801002" + b"11"))
        self.assertEqual(term.read_bytes(132), header("1", b"01PHOTO.DAT\x001000\x0019991229204510\x00"))
        return term

    def test_download_resumes_at_the_block_asked_for(self):
        term = self.start_download(self.host())
        term.send(packet(b"P\x807"))  # the caller holds 7 whole blocks already
        self.assertEqual(term.read_bytes(132), block(1, DATA[896:]))
        self.assertEqual(term.read_bytes(132), header("2", b"\x010"))
        term.send(packet(b"T\x810"))
        self.assertEqual(term.read_bytes(1), bytes((EOT,)))
        term.send(bytes((ACK,)))
        term.expect("ファイル転送が終了しました。")
        term.expect("リターンキーを押して下さい=")
        self.assertIn(sj("　済　"), term.command("", READER) + term.command("RT", READER))

    def test_download_window_and_nak(self):
        term = self.start_download(self.host())
        term.send(packet(b"P\x800"))
        self.assertEqual(term.read_bytes(264), block(1, DATA[:128]) + block(2, DATA[128:256]))
        term.send(packet(b"N\x82"))  # block 2 was damaged: again from 2
        self.assertEqual(term.read_bytes(132), block(2, DATA[128:256]))
        term.send(bytes((CAN,)))
        term.expect("ファイル転送が中断されました。")

    def test_transfer_faults_on_the_line(self):
        rows = [("cut", lambda t: self.assertTrue(t.wait_closed())),
                ("can", lambda t: self.assertEqual(t.read_bytes(1), bytes((CAN,)))),
                ("stall", lambda t: self.assertTrue(t.quiet_for(0.5)))]
        for kind, check in rows:
            with self.subTest(kind):
                term = self.start_download(self.host("--transfer-fault", f"{kind}:1"))
                term.send(packet(b"P\x800"))
                check(term)

    def start_upload(self, host) -> hostclient.Terminal:
        """Up to the file header of UP.BIN (200 bytes), sent as a file mail to MVL00002."""
        term = host.connect()
        self.addCleanup(term.close)
        term.login()
        term.command("JSEND", "宛先コードまたはコマンド(")
        term.command("MVL00002", "追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=")
        term.command("UP", "\n番号またはコマンド(M,S,F,H,Q,J)=")
        term.command("2", "\n番号またはコマンド(M,S,F,H,Q,J)=")
        term.command("2", ">")
        term.command("送る写真", "よろしいですか(Y,N)=")
        term.command("Y", "ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)\r\n")
        self.assertEqual(term.read_bytes(1), bytes((NAK,)))
        term.send(header("0", b"100211"))
        self.assertEqual(term.read_bytes(11), packet(b"R\x80100211"))
        term.send(header("1", b"01UP.BIN\x00200\x0020000101000000\x00"))
        return term

    def test_a_cancelled_upload_takes_the_senders_last_bytes_before_its_prompt(self):
        # The caller's blocks already on the way, its EOT answering the CAN and its
        # closing CR 1.5 s later are no typed line: the prompt comes once, after them.
        term = self.start_upload(self.host("--transfer-fault", "can:1"))
        self.assertEqual(term.read_bytes(6), packet(b"P\x800"))
        term.send(block(1, PAYLOAD[:128]) + block(2, b"\r" * 72))
        self.assertEqual(term.read_bytes(1), bytes((CAN,)))
        term.send(bytes((EOT,)))
        time.sleep(1.5)
        term.send(b"\r")
        start = len(term.transcript)
        term.expect("コマンド(M,S,F,H,Q,A,J)=")
        self.assertTrue(term.quiet_for(3.0))
        after = bytes(term.transcript[start:])
        self.assertEqual(after.count(sj("コマンド(M,S,F,H,Q,A,J)=")), 1, after)
        term.command("Q", "ご利用ありがとうございました")

    def upload(self, host, resumed_at: int) -> None:
        """Sends UP.BIN (PAYLOAD) as a file mail; the host asks from block resumed_at on."""
        term = self.start_upload(host)
        self.assertEqual(term.read_bytes(6), packet(b"P\x80" + str(resumed_at).encode()))
        blocks = [PAYLOAD[i:i + 128] for i in range(resumed_at * 128, len(PAYLOAD), 128)]
        for number, data in enumerate(blocks, 1):
            term.send(block(number, data))
            self.assertEqual(term.read_bytes(5), packet(bytes((ord("A"), 0x80 | number))))
        term.send(header("2", bytes((len(blocks),)) + b"0"))
        self.assertEqual(term.read_bytes(6), packet(bytes((ord("T"), 0x80 | len(blocks))) + b"0"))
        term.send(bytes((EOT,)))
        self.assertEqual(term.read_bytes(1), bytes((ACK,)))
        term.send(b"\r")
        term.expect("ファイルを受け付けました。")
        term.command("Q", "コマンド(M,S,F,H,Q,A,J)=")
        term.expect("ご利用ありがとうございました")
        term.wait_closed()
        saved = host.saved_world()["users"]
        mail = saved[1]["mailbox"][0]
        self.assertEqual((mail["subject"], mail["file"]["name"]), ("送る写真", "UP.BIN"))
        self.assertEqual(base64.b64decode(mail["file"]["base64"]), PAYLOAD)
        self.assertNotIn("partial_uploads", saved[0] if resumed_at else {})

    def test_upload_of_a_file_mail(self):
        self.upload(self.host("--save"), 0)  # the kept part is not used

    def test_upload_resumes_at_the_last_whole_block_kept(self):
        self.upload(self.host("--save", upload_resume=True), 1)

if __name__ == "__main__":
    unittest.main()
