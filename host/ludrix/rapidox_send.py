"""The host's Rapidox sender: files to the caller (downloads)."""

from __future__ import annotations

import datetime as _dt
from dataclasses import dataclass

from .faults import TransferFaults
from .line import LineClosed
from .rapidox import (ACK, CAN, CANCELLED, END_OF_FILE, EOT, FILE_HEADER, MAX_WINDOW, NAK, OK,
                      PARAMS, PROTOCOL_ERROR, RETRIES, TIMED_OUT, Packet, blocks_for, data_block,
                      eof_data, file_header_data, header_block, params_data, parse_accept)
from .rapidox_link import QUIET, TIMEOUT, Channel, Control, read_reply

ATTEMPTS = 10
QUICK_LOOK = 0.1      # seconds: a packet already arriving between two blocks
PACKET_BYTES = 5      # the shortest packet ("A" n)


@dataclass
class OutFile:
    name: bytes       # Shift_JIS, no path
    data: bytes
    mtime: _dt.datetime


class Failed(Exception):
    def __init__(self, code: int) -> None:
        super().__init__(code)
        self.code = code


class Sender:
    """Sends a batch of files; the caller's receiver drives the pace."""

    def __init__(self, ch: Channel, faults: TransferFaults, timeout: float,
                 max_window: int = MAX_WINDOW, quiet: float = QUIET) -> None:
        self.ch = ch
        self.quiet = quiet
        self.faults = faults
        self.timeout = timeout
        self.window = max_window
        self.stalled = False

    async def run(self, files: list[OutFile]) -> int:
        try:
            await self.ch.flush()
            await self._wait_for_nak()
            await self._parameters()
            for sequence, file in enumerate(files, 1):
                await self._file(sequence, file)
            return await self._end_of_batch()
        except Failed as failure:
            return failure.code

    async def _reply(self) -> object:
        await self.ch.flush()
        return await read_reply(self.ch, self.timeout, self.quiet)

    async def _wait_for_nak(self) -> None:
        while True:
            reply = await read_reply(self.ch, self.timeout, self.quiet)
            if reply is TIMEOUT:
                raise Failed(TIMED_OUT)
            if reply == Control(CAN):
                raise Failed(CANCELLED)
            if reply == Control(NAK):
                return

    async def _parameters(self) -> None:
        for _ in range(ATTEMPTS):
            self.ch.write(header_block(PARAMS, params_data(self.window)))
            reply = await self._reply()
            if reply is TIMEOUT:
                raise Failed(TIMED_OUT)
            if reply == Control(CAN):
                raise Failed(CANCELLED)
            if isinstance(reply, Packet) and reply.letter == "R":
                params = parse_accept(reply.fields)
                if params is None:
                    raise Failed(PROTOCOL_ERROR)
                self.window = min(params.window, self.window)
                return
        raise Failed(RETRIES)

    async def _file(self, sequence: int, file: OutFile) -> None:
        """The header (its sequence number fixed for the file), then the data."""
        header = header_block(FILE_HEADER, file_header_data(sequence, file.name, len(file.data),
                                                            file.mtime))
        for _ in range(ATTEMPTS):
            self.ch.write(header)
            reply = await self._reply()
            if reply is TIMEOUT:
                raise Failed(TIMED_OUT)
            if reply == Control(CAN):
                raise Failed(CANCELLED)
            if not isinstance(reply, Packet):
                continue
            if reply.letter == "P":
                start = reply.decimal()
                if start is None or start > blocks_for(len(file.data)):
                    raise Failed(PROTOCOL_ERROR)
                await self._data(file.data, start)
                return
            if reply.letter == "S":
                skip = reply.decimal()
                if skip == sequence % 100:
                    return
                if skip != (sequence - 1) % 100:
                    raise Failed(PROTOCOL_ERROR)
        raise Failed(RETRIES)

    async def _data(self, data: bytes, start: int) -> None:
        """Blocks numbered from 1 in this run, at most `window` unacknowledged."""
        blocks = blocks_for(len(data))
        sent = acked = 0
        eof_sent = False
        last_nak, repeats = -1, 0
        while True:
            reply = None
            if eof_sent or sent - acked >= self.window:
                reply = await self._reply()
                if reply is TIMEOUT:
                    raise Failed(TIMED_OUT)
            elif self.ch.pending() >= PACKET_BYTES:
                await self.ch.flush()
                reply = await read_reply(self.ch, QUICK_LOOK, self.quiet)
                reply = None if reply is TIMEOUT else reply
            if reply is None:
                if start + sent < blocks:
                    sent += 1
                    await self._block(sent, data, start + sent - 1)
                else:
                    self.ch.write(header_block(END_OF_FILE, eof_data(sent)))
                    eof_sent = True
                continue
            if reply == Control(CAN):
                raise Failed(CANCELLED)
            if not isinstance(reply, Packet) or not reply.fields:
                continue
            n7 = reply.fields[0] & 0x7F
            if reply.letter == "A":
                full = acked + (n7 - acked) % 128  # "A" carries 7 bits of the number
                if acked < full <= sent:
                    acked = full
                    last_nak, repeats = -1, 0
            elif reply.letter == "N":
                full = acked + (n7 - acked) % 128
                if acked < full <= sent + 1:
                    sent, acked, eof_sent = full - 1, full - 1, False
                    repeats = repeats + 1 if full == last_nak else 1
                    last_nak = full
                    if repeats > ATTEMPTS:
                        raise Failed(RETRIES)
            elif reply.letter == "P" and acked == 0:
                # The receiver did not see the data start: begin again from block 1.
                restart = reply.decimal()
                if restart is None or restart > blocks:
                    raise Failed(PROTOCOL_ERROR)
                start, sent, eof_sent = restart, 0, False
                repeats += 1
                if repeats > ATTEMPTS:
                    raise Failed(RETRIES)
            elif reply.letter == "T" and eof_sent and reply.fields[1:2] == b"0":
                await self.ch.flush()
                return

    async def _block(self, number: int, data: bytes, index: int) -> None:
        faults = self.faults
        if faults.take("cut", number):
            await self.ch.flush()
            raise LineClosed("cut by a transfer fault")
        if faults.take("stall", number):
            await self.ch.flush()
            self.stalled = True
            raise Failed(TIMED_OUT)
        if faults.take("can", number):
            self.ch.write(bytes((CAN,)))
            await self.ch.flush()
            raise Failed(CANCELLED)
        block = data_block(number, data[index * 128:(index + 1) * 128])
        if faults.take("corrupt", number):
            block = block[:-1] + bytes(((block[-1] + 1) & 0xFF,))
        if not faults.take("drop", number):
            self.ch.write(block)

    async def _end_of_batch(self) -> int:
        for _ in range(ATTEMPTS):
            self.ch.write(bytes((EOT,)))
            while True:
                reply = await self._reply()
                if reply is TIMEOUT:
                    break
                if reply == Control(ACK):
                    return OK
                if reply == Control(CAN):
                    return CANCELLED
        return RETRIES
