"""The host's side of the Telnet protocol: negotiation and command removal."""

from __future__ import annotations

IAC, DONT, DO, WONT, WILL, SB, SE = 0xFF, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF0
BINARY, ECHO, SGA, TTYPE = 0, 1, 3, 24
TTYPE_IS, TTYPE_SEND = 0, 1

# Options the host performs itself, and options it lets the client perform.
# SUPPRESS GO AHEAD and BINARY are never refused: the client answers a refusal
# of them with a new offer, which would start an endless exchange.
LOCAL_OPTIONS = frozenset((BINARY, ECHO, SGA))
REMOTE_OPTIONS = frozenset((BINARY, SGA, TTYPE))
SB_LIMIT = 256


class TelnetCodec:
    """Strips Telnet commands from received bytes and answers negotiations.

    Each side of each option is a yes/no state plus a flag for a request the
    host sent and has not seen answered; a request answered by the state it
    asked for is an acknowledgement and is not answered again (no loops).
    """

    def __init__(self) -> None:
        self._local: set[int] = set()
        self._remote: set[int] = set()
        self._asked_local: set[int] = set()
        self._asked_remote: set[int] = set()
        self._state = "data"  # data | iac | verb | sb | sb_iac
        self._verb = 0
        self._sb = bytearray()
        self.terminal_type: str | None = None
        self.breaks = 0

    def opening(self) -> bytes:
        """What the host sends when the line comes up."""
        self._asked_local |= {ECHO, SGA}
        self._asked_remote.add(TTYPE)
        return bytes((IAC, WILL, ECHO, IAC, WILL, SGA, IAC, DO, TTYPE))

    def enabled_local(self, option: int) -> bool:
        return option in self._local

    def enabled_remote(self, option: int) -> bool:
        return option in self._remote

    @staticmethod
    def escape(data: bytes) -> bytes:
        """Data bytes as they go on the line (0xFF doubled)."""
        return data.replace(b"\xff", b"\xff\xff")

    def feed(self, data: bytes) -> tuple[bytes, bytes]:
        """Received bytes -> (data bytes, answers to send)."""
        if self._state == "data" and IAC not in data:
            return data, b""
        payload = bytearray()
        replies = bytearray()
        i = 0
        n = len(data)
        while i < n:
            if self._state == "data":
                j = data.find(IAC, i)
                if j < 0:
                    payload += data[i:]
                    break
                payload += data[i:j]
                self._state = "iac"
                i = j + 1
                continue
            b = data[i]
            i += 1
            if self._state == "iac":
                if b == IAC:
                    payload.append(IAC)
                    self._state = "data"
                elif b in (WILL, WONT, DO, DONT):
                    self._verb = b
                    self._state = "verb"
                elif b == SB:
                    self._sb.clear()
                    self._state = "sb"
                else:
                    # Two-byte commands (NOP, BRK, AYT, GA ...) carry no option byte.
                    if b == 0xF3:
                        self.breaks += 1
                    self._state = "data"
            elif self._state == "verb":
                replies += self._negotiate(self._verb, b)
                self._state = "data"
            elif self._state == "sb":
                if b == IAC:
                    self._state = "sb_iac"
                elif len(self._sb) < SB_LIMIT:
                    self._sb.append(b)
            elif self._state == "sb_iac":
                if b == SE:
                    self._subnegotiation(bytes(self._sb))
                    self._state = "data"
                else:
                    if b == IAC and len(self._sb) < SB_LIMIT:
                        self._sb.append(IAC)
                    self._state = "sb"
        return bytes(payload), bytes(replies)

    def _negotiate(self, verb: int, option: int) -> bytes:
        if verb == WILL:
            return self._offer(option, self._remote, self._asked_remote, REMOTE_OPTIONS, DO, DONT)
        if verb == DO:
            return self._offer(option, self._local, self._asked_local, LOCAL_OPTIONS, WILL, WONT)
        if verb == WONT:
            return self._withdraw(option, self._remote, self._asked_remote, DONT)
        return self._withdraw(option, self._local, self._asked_local, WONT)

    def _offer(self, option: int, enabled: set[int], asked: set[int],
               supported: frozenset[int], yes: int, no: int) -> bytes:
        if option not in supported:
            asked.discard(option)
            return bytes((IAC, no, option))
        if option in enabled:
            asked.discard(option)
            return b""
        enabled.add(option)
        reply = b"" if option in asked else bytes((IAC, yes, option))
        asked.discard(option)
        if option == TTYPE and enabled is self._remote:
            reply += bytes((IAC, SB, TTYPE, TTYPE_SEND, IAC, SE))
        return reply

    @staticmethod
    def _withdraw(option: int, enabled: set[int], asked: set[int], no: int) -> bytes:
        asked.discard(option)
        if option in enabled:
            enabled.discard(option)
            return bytes((IAC, no, option))
        return b""

    def _subnegotiation(self, body: bytes) -> None:
        if len(body) >= 2 and body[0] == TTYPE and body[1] == TTYPE_IS:
            self.terminal_type = body[2:].decode("ascii", errors="replace")
