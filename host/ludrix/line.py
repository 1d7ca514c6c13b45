"""One line to a caller: buffered output with faults, input with echo."""

from __future__ import annotations

import asyncio
from typing import Awaitable, Callable

from .faults import OutputFaults
from .sjis import last_char_length, sj
from .telnet import TelnetCodec

BS, DEL, LF, CR, NUL = 0x08, 0x7F, 0x0A, 0x0D, 0x00
READ_CHUNK = 65536
LINGER = 2.0  # seconds a closing line still reads, so that the caller gets every byte


class LineClosed(Exception):
    """The line went down, closed by either side."""


class FellSilent(Exception):
    """A silence fault: the host sends nothing more on this line."""


class IdleTimeout(Exception):
    """The caller sent nothing for the idle limit."""


class HostLine:
    """Byte I/O of one session.

    Output is collected and written when the host waits for input (one write per
    screen); faults see the data bytes before Telnet escaping. Input is the byte
    stream with Telnet commands removed.
    """

    def __init__(self, reader: asyncio.StreamReader, writer: asyncio.StreamWriter,
                 codec: TelnetCodec | None, faults: OutputFaults, idle_timeout: float,
                 hangup: Callable[[], Awaitable[None]] | None = None) -> None:
        self._reader = reader
        self._hangup = hangup  # a modem drops the carrier instead of closing the device
        self._writer = writer
        self._codec = codec
        self._faults = faults
        self._idle = idle_timeout
        self._in = bytearray()
        self._pos = 0
        self._out = bytearray()
        self._skip_lf = False
        self.closed = False
        self.silent = False

    @property
    def faults(self) -> OutputFaults:
        return self._faults

    async def start(self) -> None:
        if self._codec is not None:
            self._raw_write(self._codec.opening())
            await self._drain()

    # ---- output -------------------------------------------------------

    def write(self, data: bytes) -> None:
        self._out += data

    def text(self, text: str) -> None:
        self._out += sj(text)

    async def flush(self) -> None:
        if not self._out:
            return
        data = bytes(self._out)
        self._out.clear()
        if self.silent:
            return
        data, event = self._faults.filter(data)
        if data:
            self._raw_write(self._codec.escape(data) if self._codec else data)
        await self._drain()
        if event == "close":
            await self.close()
            raise LineClosed("closed by a fault")
        if event == "silent":
            self.silent = True
            raise FellSilent()

    def _raw_write(self, data: bytes) -> None:
        if self.closed or self._writer.is_closing():
            self.closed = True
            raise LineClosed("line is closed")
        self._writer.write(data)

    async def _drain(self) -> None:
        """Wait until the caller takes the output; a caller that never reads is dropped."""
        try:
            await asyncio.wait_for(self._writer.drain(), self._idle)
        except asyncio.TimeoutError:
            self.closed = True
            self._writer.close()
            raise LineClosed("the caller stopped reading") from None
        except (ConnectionError, OSError) as exc:
            self.closed = True
            raise LineClosed(str(exc)) from exc

    async def close(self) -> None:
        """Half-close, read what the caller still sends, then close.

        Closing a socket with unread input makes the kernel reset the
        connection, which can destroy the last screen before the caller reads it.
        """
        if self._hangup is not None:
            if not self.closed:
                self.closed = True
                await self._hangup()
            return
        if self._writer.is_closing():
            self.closed = True
            return
        self.closed = True
        try:
            if self._writer.can_write_eof():
                self._writer.write_eof()
            await asyncio.wait_for(self._read_to_end(), LINGER)
        except (ConnectionError, OSError, asyncio.TimeoutError):
            pass
        self._writer.close()
        try:
            await self._writer.wait_closed()
        except (ConnectionError, OSError):
            pass

    async def _read_to_end(self) -> None:
        while await self._reader.read(READ_CHUNK):
            pass

    # ---- input --------------------------------------------------------

    async def _fill(self, timeout: float | None) -> bool:
        """Read more from the line; False when nothing came within timeout."""
        if self.closed:
            raise LineClosed("line is closed")
        try:
            chunk = await asyncio.wait_for(self._reader.read(READ_CHUNK), timeout)
        except asyncio.TimeoutError:
            return False
        except (ConnectionError, OSError):
            chunk = b""
        if not chunk:
            self.closed = True
            raise LineClosed("closed by the caller")
        chunk = self._decode(chunk)
        if self._pos >= len(self._in):
            self._in.clear()
            self._pos = 0
        elif self._pos > READ_CHUNK:
            del self._in[:self._pos]
            self._pos = 0
        self._in += chunk
        return True

    def _decode(self, chunk: bytes) -> bytes:
        """The data bytes of a received chunk; Telnet commands are answered."""
        if self._codec is None:
            return chunk
        chunk, replies = self._codec.feed(chunk)
        if replies:
            self._raw_write(replies)
        return chunk

    async def drop_typeahead(self) -> None:
        """Forget what the caller typed before the prompt that is about to be shown.

        Takes what has arrived without waiting: a read is started and given one
        turn of the event loop, which finishes it only when bytes are waiting.
        """
        self.discard_pending()
        while not self.closed:
            read = asyncio.ensure_future(self._reader.read(READ_CHUNK))
            await asyncio.sleep(0)
            if not read.done():
                read.cancel()
                try:
                    await read
                except asyncio.CancelledError:
                    pass
                return
            try:
                chunk = read.result()
            except (ConnectionError, OSError):
                return  # the next read reports the closed line
            if not chunk:
                return
            self._decode(chunk)

    def pending(self) -> int:
        """Data bytes received and not yet read."""
        return len(self._in) - self._pos

    async def read_byte(self, timeout: float | None) -> int | None:
        """The next data byte, or None after timeout seconds of silence."""
        while self._pos >= len(self._in):
            if not await self._fill(timeout):
                return None
        b = self._in[self._pos]
        self._pos += 1
        return b

    async def read_bytes(self, count: int, timeout: float | None) -> bytes | None:
        """Exactly count data bytes; None when the caller falls silent in between."""
        while len(self._in) - self._pos < count:
            if not await self._fill(timeout):
                return None
        data = bytes(self._in[self._pos:self._pos + count])
        self._pos += count
        return data

    async def swallow(self, byte: int, timeout: float) -> None:
        """Consume one byte if it is the next one to arrive within timeout."""
        while self._pos >= len(self._in):
            if not await self._fill(timeout):
                return
        if self._in[self._pos] == byte:
            self._pos += 1

    def discard_pending(self) -> None:
        """Forget received bytes not yet read (the tail of a transfer)."""
        self._in.clear()
        self._pos = 0
        self._skip_lf = False

    async def read_line(self, echo: bool = True, limit: int = 256, strict: bool = True) -> bytes:
        """One line typed by the caller, echoed as it arrives.

        CR alone ends a line (not strict: also LF, and the LF or NUL after a CR
        is skipped); BS and DEL remove the last character (both bytes of a
        double-byte one); other control bytes are ignored; bytes past limit are
        dropped.
        """
        await self.flush()
        line = bytearray()
        while True:
            if self._pos >= len(self._in):
                await self.flush()
                if not await self._fill(self._idle):
                    raise IdleTimeout()
                continue
            b = self._in[self._pos]
            self._pos += 1
            if self._skip_lf:
                self._skip_lf = False
                if b in (LF, NUL):
                    continue
            if b == CR or (b == LF and not strict):
                self._skip_lf = b == CR and not strict
                self.write(b"\r\n")
                await self.flush()
                return bytes(line)
            if b in (BS, DEL):
                if line:
                    k = last_char_length(bytes(line))
                    del line[-k:]
                    if echo:
                        self.write(b"\b \b" * k)
                continue
            if b < 0x20 or len(line) >= limit:
                continue
            line.append(b)
            if echo:
                self.write(bytes((b,)))

    async def discard_until_quiet(self, quiet: float) -> None:
        """Read and drop everything until the caller sends nothing for quiet seconds."""
        self.discard_pending()
        while await self._fill(quiet):
            self.discard_pending()

    async def discard_until_closed(self) -> None:
        """Read and drop everything until the caller hangs up or stays idle."""
        try:
            while True:
                self.discard_pending()
                if not await self._fill(self._idle):
                    return
        except LineClosed:
            return
