"""Shared pieces of the bench scripts: timing whole processes, alternating a candidate with
its peer, and printing ratio rows that bench/run-all gathers into one table.

A ratio is always taken pair by pair (candidate and peer of the same round, run one after
the other), so that a machine whose speed drifts still compares like with like; min and
median are taken over the rounds."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROUNDS = int(os.environ.get("MORVALINE_BENCH_ROUNDS", "5"))


def bench_binary(argv_value=None):
    """morvaline-bench: the argument, $MORVALINE_BENCH, or build/bench/morvaline-bench."""
    path = argv_value or os.environ.get("MORVALINE_BENCH") or os.path.join(
        TOP, "build", "bench", "morvaline-bench")
    if not os.access(path, os.X_OK):
        sys.exit(f"{os.path.basename(sys.argv[0])}: {path} is not built")
    return path


class Timing:
    """One finished process: CPU seconds (user + system), wall seconds, peak memory (KiB)."""

    def __init__(self, cpu, wall, max_rss_kib, stdout):
        self.cpu, self.wall, self.max_rss_kib, self.stdout = cpu, wall, max_rss_kib, stdout


def run_timed(argv, stdin_path=None, stdout_path=None, cwd=None, env=None, accept_status=(0,)):
    """Runs argv to its end (with env, when given, as its environment); exits the script
    when it fails (an exit status outside accept_status: grep says 1 when nothing matched)."""
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    stdout = open(stdout_path, "wb") if stdout_path else subprocess.PIPE
    try:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                                cwd=cwd, env=env)
        out = proc.stdout.read() if proc.stdout else b""
        err = proc.stderr.read()
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
    finally:
        for f in (stdin, stdout):
            if hasattr(f, "close"):
                f.close()
    if proc.returncode not in accept_status:
        sys.exit(f"{os.path.basename(sys.argv[0])}: {' '.join(map(str, argv))} failed "
                 f"({proc.returncode}):\n{err.decode(errors='replace')}")
    return Timing(usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss, out)


def alternate(candidate, peer, rounds=ROUNDS):
    """Runs candidate() and peer() in turn, one warm-up pair first; the (candidate, peer)
    results of the counted rounds."""
    candidate(), peer()
    return [(candidate(), peer()) for _ in range(rounds)]


def summary(values):
    return min(values), statistics.median(values)


class Row:
    """One line of the table: what is compared, the ratio's min and median, and the aim.
    at_least: the aim is a lower bound (a speed ratio), else an upper bound."""

    def __init__(self, what, ratios, aim, at_least=True, note=""):
        self.what, self.aim, self.at_least, self.note = what, aim, at_least, note
        self.min, self.median = summary(ratios)

    def met(self):
        """Judged by the median, the figure to quote."""
        if self.aim is None:
            return "-"
        ok = self.median >= self.aim if self.at_least else self.median <= self.aim
        return "yes" if ok else "no"

    def text(self):
        aim = "-" if self.aim is None else f"{'>=' if self.at_least else '<='} {self.aim:g}"
        return (f"{self.what:<58} {self.min:8.3f} {self.median:8.3f}   {aim:<8} {self.met():<4}"
                f" {self.note}")


HEADER = f"{'what':<58} {'min':>8} {'median':>8}   {'aim':<8} met"


def print_rows(rows):
    """Prints the rows under a header and hands them to bench/run-all when it asks
    ($MORVALINE_BENCH_TABLE names the file it gathers them in)."""
    print(HEADER)
    for row in rows:
        print(row.text())
    table = os.environ.get("MORVALINE_BENCH_TABLE")
    if table:
        with open(table, "a", encoding="utf-8") as f:
            for row in rows:
                f.write(row.text() + "\n")


def work_folder(prefix):
    """A temporary folder, in memory (/dev/shm) where there is room, so that the file system
    adds as little as it can to the processes compared."""
    shm = "/dev/shm"
    try:
        stats = os.statvfs(shm)
        roomy = stats.f_bavail * stats.f_frsize > 2 * 2**30 and os.access(shm, os.W_OK)
    except OSError:
        roomy = False
    return tempfile.TemporaryDirectory(prefix=prefix, dir=shm if roomy else None)


def machine_load():
    """The one-minute load average and the processor count, for the report's first line."""
    return f"load {os.getloadavg()[0]:.2f} on {os.cpu_count()} processors"
