"""The Telnet server: one session per accepted connection."""

from __future__ import annotations

import asyncio
import sys
import traceback

from .clock import Clock
from .faults import OutputFaults
from .line import HostLine
from .modem import Modem
from .session import HostOptions, Session
from .telnet import TelnetCodec
from .world import World, save_world


class Host:
    """Accepts lines on 127.0.0.1 and runs a session on each."""

    def __init__(self, world: World, clock: Clock, options: HostOptions,
                 save_path: str | None = None) -> None:
        self.world = world
        self.clock = clock
        self.options = options
        self.save_path = save_path
        options.save = self.save
        self._count = 0
        self._tasks: set[asyncio.Task[None]] = set()

    def next_index(self) -> int:
        """Lines are counted from 0 in the order they come up (faults use it)."""
        index = self._count
        self._count += 1
        return index

    async def run_session(self, line: HostLine, index: int) -> None:
        try:
            await Session(line, self.world, self.clock, self.options, index).run()
        except Exception:  # a fault of the host itself: report it, keep serving
            print(f"ludrix-host: line {index} failed:", file=sys.stderr)
            traceback.print_exc()
            sys.stderr.flush()

    async def _accept(self, reader: asyncio.StreamReader, writer: asyncio.StreamWriter) -> None:
        task = asyncio.current_task()
        assert task is not None
        self._tasks.add(task)
        index = self.next_index()
        try:
            faults = OutputFaults(self.options.faults, index)
            if faults.plan.busy:
                writer.close()
                return
            line = HostLine(reader, writer, TelnetCodec(), faults, self.options.idle_timeout)
            await self.run_session(line, index)
        finally:
            self._tasks.discard(task)

    def save(self) -> None:
        if self.save_path is None:
            return
        try:
            save_world(self.world, self.save_path)
        except OSError as exc:
            print(f"ludrix-host: cannot save the world: {exc}", file=sys.stderr, flush=True)

    async def serve(self, port: int, stop: asyncio.Event, modem: Modem | None = None) -> None:
        server = await asyncio.start_server(self._accept, "127.0.0.1", port)
        bound = server.sockets[0].getsockname()[1]
        print(f"ludrix-host listening on 127.0.0.1:{bound}", flush=True)
        if modem is not None:
            master = modem.open()
            self._tasks.add(asyncio.create_task(modem.serve(master)))
            print(f"ludrix-host modem on {modem.path}", flush=True)
        async with server:
            await stop.wait()
        for task in list(self._tasks):
            task.cancel()
        await asyncio.gather(*self._tasks, return_exceptions=True)
        self.save()
