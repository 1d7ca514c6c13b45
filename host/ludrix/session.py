"""One caller's session: login, the walk through places, logout."""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Callable, Protocol

from . import login
from .clock import Clock, hhmmss, yymmdd
from .faults import FaultPlan, TransferFaults
from .line import FellSilent, HostLine, IdleTimeout, LineClosed
from .prompts import HELP, IDLE_BYE, WRONG_COMMAND
from .sjis import to_str
from .world import User, World


@dataclass
class HostOptions:
    faults: FaultPlan = field(default_factory=FaultPlan)
    idle_timeout: float = 900.0
    transfer_timeout: float = 60.0
    save: Callable[[], None] = lambda: None  # writes the world back, when asked to


class Place(Protocol):
    """A menu or dialogue of the host; run() returns the place to go to next."""

    async def run(self, s: Session) -> Place | None: ...


class Jump(Exception):
    """A jump command ("JREAD" ...) typed at a prompt."""

    def __init__(self, place: Place) -> None:
        super().__init__("jump")
        self.place = place


class Logout(Exception):
    """"Q" typed at a prompt that offers it."""


class Session:
    def __init__(self, line: HostLine, world: World, clock: Clock, options: HostOptions,
                 index: int) -> None:
        self.line = line
        self.world = world
        self.clock = clock
        self.options = options
        self.index = index
        self.user: User | None = None
        self.transfer_faults = TransferFaults(options.faults, index)
        self._saved = False

    @property
    def me(self) -> User:
        assert self.user is not None
        return self.user

    async def run(self) -> None:
        try:
            await self.line.start()
            first = await login.enter(self)
            if first is not None:
                await self.serve(first)
        except LineClosed:
            pass
        except FellSilent:
            await self.line.discard_until_closed()
        except IdleTimeout:
            self.line.text("\r\n" + IDLE_BYE + "\r\n")
            try:
                await self.line.flush()
            except (LineClosed, FellSilent):
                pass
        finally:
            self.release()
            if not self._saved:
                self.options.save()
            await self.line.close()

    async def serve(self, place: Place | None) -> None:
        while place is not None:
            try:
                place = await place.run(self)
            except Jump as jump:
                place = jump.place
            except Logout:
                await self.logout()
                return

    def take(self, user: User) -> None:
        self.user = user
        self.world.online[user.id] = self

    def release(self) -> None:
        if self.user is not None and self.world.online.get(self.user.id) is self:
            del self.world.online[self.user.id]

    async def logout(self) -> None:
        now = self.clock.now()
        blanks = self.world.settings.date_padding == "blank"
        date = f"\r\nLOG OUT   DATE {yymmdd(now, blanks)}      TIME {hhmmss(now, blanks)}\r\n"
        farewell = "ご利用ありがとうございました\r\n"
        order = self.world.settings.logout
        self.line.text({"date-first": date + farewell, "farewell-first": "\r\n" + farewell + date,
                        "date-only": date}[order])
        self.me.last_logout = now
        self.release()
        self.options.save()  # before the line closes: whoever saw it close sees the file
        self._saved = True
        await self.line.flush()
        await self.line.close()

    @property
    def strict(self) -> bool:
        return self.world.settings.input == "strict"

    async def ask(self, prompt: str, echo: bool = True, limit: int = 256) -> str:
        """Show a prompt and read one line, as typed (no global commands).

        A strict host forgets what was typed before the prompt was shown.
        """
        if self.strict:
            await self.line.drop_typeahead()
        self.line.text(prompt)
        return to_str(await self.read_line(echo=echo, limit=limit))

    async def read_line(self, echo: bool = True, limit: int = 256) -> bytes:
        """One line of text, ended as this host's input mode says."""
        return await self.line.read_line(echo=echo, limit=limit, strict=self.strict)

    async def read_entry(self, max_lines: int, limit: int) -> tuple[str, list[str]]:
        """A written text: the title line, then the text up to a line that begins with
        ".." (lines beyond max_lines are read and dropped). The title is "" when the
        text ended before one."""
        title: str | None = None
        body: list[str] = []
        while not (raw := await self.read_line(limit=limit)).startswith(b".."):
            if title is None:
                title = to_str(raw)
            elif len(body) < max_lines:
                body.append(to_str(raw))
        return title or "", body

    async def answer(self, prompt: str, limit: int = 256) -> str:
        """A command or a choice typed at a prompt: exactly as typed on a strict host,
        trimmed and upper-cased on a lenient one."""
        text = await self.ask(prompt, limit=limit)
        return text if self.strict else text.strip().upper()

    async def command(self, prompt: str, quit_ok: bool = True) -> str:
        """Show a prompt after an empty line and read a command, upper-cased.

        Empty lines repeat the prompt; "H" shows the help; "Q" logs out where the
        prompt offers it; "F" and the jump commands leave the place at once.
        """
        from .places import jump_target, main_menu
        while True:
            cmd = await self.answer("\r\n" + prompt)
            if not cmd:
                continue
            if cmd == "H":
                self.line.text("\r\n" + HELP)
                continue
            if cmd == "Q" and quit_ok:
                raise Logout()
            if cmd == "F":
                raise Jump(main_menu())
            if cmd.startswith("J") and len(cmd) > 1:
                target = jump_target(cmd, self)
                if target is None:
                    self.line.text("\r\n" + WRONG_COMMAND + "\r\n")
                    continue
                raise Jump(target)
            return cmd

    def say(self, text: str) -> None:
        """A message on a line of its own."""
        self.line.text("\r\n" + text + "\r\n")
