"""Command line of ludrix-host."""

from __future__ import annotations

import argparse
import asyncio
import signal
import sys

from .clock import Clock, parse_time
from .faults import LOGIN_REFUSALS, FaultPlan, parse_transfer_fault
from .modem import DIAL_ANSWERS, SPEED, Modem
from .server import Host
from .session import HostOptions
from .settings import LOGIN_PROMPTS, MAINTAINED, SettingError
from .world import World, WorldError, load_world, save_world
from .worldgen import Recipe, generate

DESCRIPTION = """\
The LUDRIX host simulator. Plays the host over Telnet on 127.0.0.1 for a world
loaded from a UTF-8 JSON file (--world) or generated from a seed (--seed).
The first line on standard output is "ludrix-host listening on 127.0.0.1:PORT".
"""


def _fraction(text: str) -> float:
    value = float(text)
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError("must be between 0 and 1")
    return value


def _count(text: str) -> int:
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def _time(text: str):
    try:
        return parse_time(text)
    except ValueError as exc:
        raise argparse.ArgumentTypeError(str(exc)) from None


def _transfer_fault(text: str) -> tuple[str, int]:
    try:
        return parse_transfer_fault(text)
    except ValueError as exc:
        raise argparse.ArgumentTypeError(str(exc)) from None


def build_parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(prog="ludrix-host", description=DESCRIPTION,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    w = p.add_argument_group("world")
    w.add_argument("--world", metavar="FILE", help="world file (UTF-8 JSON, see README.md)")
    w.add_argument("--save", action="store_true",
                   help="write the world back to FILE after every session and at exit")
    w.add_argument("--seed", type=int, metavar="S", help="generate a world from this seed instead")
    w.add_argument("--users", type=_count, default=10, metavar="N", help="generated users (10)")
    w.add_argument("--mails", type=_count, default=20, metavar="N",
                   help="generated mails in every mailbox (20)")
    w.add_argument("--file-mails", type=_count, default=0, metavar="N",
                   help="of those, mails that carry a file (0)")
    w.add_argument("--internet-mails", type=_count, default=0, metavar="N",
                   help="of those, mails from the internet gateway (0)")
    w.add_argument("--file-size", type=_count, default=4096, metavar="BYTES",
                   help="size of each generated file (4096)")
    w.add_argument("--notices", type=_count, default=3, metavar="N", help="generated notices (3)")
    w.add_argument("--forum-messages", type=_count, default=0, metavar="N",
                   help="messages in the first room of a generated SIG forum (0: no SIG)")
    w.add_argument("--forum-rooms", type=_count, default=3, metavar="N",
                   help="rooms of that forum (3)")
    w.add_argument("--thread-depth", type=_count, default=4, metavar="N",
                   help="how deep its comments on comments go (4)")
    w.add_argument("--dump-world", metavar="FILE", help="write the world to FILE and exit")
    h = p.add_argument_group("host")
    h.add_argument("--port", type=_count, default=0, metavar="N",
                   help="TCP port on 127.0.0.1 (0: chosen by the system)")
    h.add_argument("--clock", type=_time, metavar="'YYYY/MM/DD HH:MM:SS'",
                   help="the host's clock stands still at this time")
    h.add_argument("--idle-timeout", type=float, default=900.0, metavar="SECONDS",
                   help="close a line that sends nothing for this long (900)")
    h.add_argument("--transfer-timeout", type=float, default=60.0, metavar="SECONDS",
                   help="longest wait for the caller inside a file transfer (60)")
    h.add_argument("--page-size", type=int, metavar="N", help="entries per page of the lists")
    h.add_argument("--max-sessions", type=_count, metavar="N",
                   help="more logins than this are refused as congestion (0: no limit)")
    h.add_argument("--login-prompts", choices=LOGIN_PROMPTS,
                   help="USER_ID:/PASSWORD: (ascii) or the Japanese prompts")
    h.add_argument("--modem", metavar="PATH",
                   help="also answer as a Hayes modem on a pseudo-terminal linked at PATH")
    h.add_argument("--dial-answer", choices=DIAL_ANSWERS, default="CONNECT",
                   help="the modem's answer to a dial command (CONNECT)")
    h.add_argument("--modem-error", action="append", default=[], metavar="COMMAND",
                   help="the modem answers ERROR to this AT command (repeatable)")
    h.add_argument("--modem-speed", type=_count, default=SPEED, metavar="BPS",
                   help="the speed the modem's CONNECT reports (38400)")
    h.add_argument("--drop-carrier", action="store_true",
                   help="a call with faults ends with the modem closing its side of the "
                        "pseudo-terminal (the caller's line is lost) and opening a new one at "
                        "the same path")
    h.add_argument("--maintenance", action="append", choices=MAINTAINED, default=[],
                   help="a service shown as under maintenance (repeatable)")
    h.add_argument("--set", action="append", default=[], metavar="NAME=VALUE",
                   help="a host setting of the world file (see README.md), e.g. "
                        "header_first_line=date (repeatable)")
    f = p.add_argument_group("faults")
    f.add_argument("--close-after", type=_count, metavar="N", help="close the line after N bytes sent")
    f.add_argument("--silent-after", type=_count, metavar="N",
                   help="send nothing more after N bytes (the line stays up)")
    f.add_argument("--garble", type=_fraction, default=0.0, metavar="FRACTION",
                   help="replace this fraction of the sent bytes by other bytes")
    f.add_argument("--garble-seed", type=int, default=1, metavar="S", help="seed of --garble (1)")
    f.add_argument("--refuse-login", choices=LOGIN_REFUSALS,
                   help="answer every login with a wrong password, double login or congestion")
    f.add_argument("--busy", action="store_true",
                   help="the line is busy: Telnet lines close at once, the modem answers BUSY")
    f.add_argument("--transfer-fault", type=_transfer_fault, action="append", default=[],
                   metavar="KIND:BLOCK",
                   help="in file transfers, at data block BLOCK: drop (lose the block once), "
                        "corrupt (bad checksum once), can (cancel), stall (fall silent), "
                        "cut (close the line); repeatable")
    f.add_argument("--fault-sessions", type=_count, metavar="N",
                   help="faults apply to the first N lines only (default: every line)")
    return p


def _world(args: argparse.Namespace) -> World:
    if args.seed is not None:
        world = generate(Recipe(seed=args.seed, users=args.users, mails=args.mails,
                                 file_mails=args.file_mails, internet_mails=args.internet_mails,
                                 file_size=args.file_size, notices=args.notices,
                                 forum_messages=args.forum_messages,
                                 forum_rooms=max(1, args.forum_rooms),
                                 thread_depth=args.thread_depth))
    else:
        world = load_world(args.world)
    s = world.settings
    if args.page_size is not None:
        s.page_size = args.page_size
    if args.max_sessions is not None:
        s.max_sessions = args.max_sessions
    if args.login_prompts is not None:
        s.login_prompts = args.login_prompts
    s.maintenance |= set(args.maintenance)
    try:
        for assignment in args.set:
            s.set_text(assignment)
    except SettingError as exc:
        raise WorldError(str(exc)) from None
    return world


def main(argv: list[str] | None = None) -> int:
    parser = build_parser()
    args = parser.parse_args(argv)
    if (args.world is None) == (args.seed is None):
        parser.error("give exactly one of --world FILE and --seed S")
    if args.save and args.world is None:
        parser.error("--save needs --world")
    if args.page_size is not None and not 1 <= args.page_size <= 100:
        parser.error("--page-size must be 1 to 100")
    try:
        world = _world(args)
    except WorldError as exc:
        print(f"ludrix-host: world {args.world}: {exc}", file=sys.stderr)
        return 2
    if args.dump_world:
        try:
            save_world(world, args.dump_world)
        except OSError as exc:
            print(f"ludrix-host: cannot write {args.dump_world}: {exc}", file=sys.stderr)
            return 2
        return 0
    plan = FaultPlan(close_after=args.close_after, silent_after=args.silent_after,
                     garble=args.garble, seed=args.garble_seed, refuse_login=args.refuse_login,
                     busy=args.busy, transfer=dict(args.transfer_fault), sessions=args.fault_sessions)
    options = HostOptions(faults=plan, idle_timeout=args.idle_timeout,
                          transfer_timeout=args.transfer_timeout)
    host = Host(world, Clock(args.clock), options, args.world if args.save else None)
    modem = Modem(host, args.modem, args.dial_answer, tuple(args.modem_error), args.modem_speed,
                  args.drop_carrier) if args.modem else None
    try:
        asyncio.run(_run(host, args.port, modem))
    except OSError as exc:
        print(f"ludrix-host: {exc}", file=sys.stderr)
        return 1
    return 0


async def _run(host: Host, port: int, modem: Modem | None) -> None:
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGINT, signal.SIGTERM):
        loop.add_signal_handler(sig, stop.set)
    await host.serve(port, stop, modem)


