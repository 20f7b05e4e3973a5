"""Runs the real programs over pipes and compares what they write.

Each test script takes --bin (the folder of the built programs) and
--have-32bit (ON or OFF), runs its checks and ends with a line
'N passed, M failed'; its exit code is 0 only when nothing failed.
--runner32 puts a command (such as qemu-i386) before the 32-bit programs,
for machines whose kernel cannot run them; --runner puts a command before
every program started (the Windows programs run as
--runner "wine bin/pipe-launch.exe" --exe-suffix .exe); --word-sizes
(e.g. "32") picks the programs of a folder that holds only some word sizes.
"""
import argparse
import atexit
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

PERSONALITIES = ("Active", "Passive", "Inert")
FLAVOURS = ("MP", "SP")

# The command that starts each program, before its path (empty: none),
# and the one that starts the 32-bit programs where the kernel cannot.
RUNNER = []
runner32 = []


def add_common_options(parser):
    parser.add_argument("--bin", required=True)
    parser.add_argument("--have-32bit", default="OFF")
    parser.add_argument("--runner", default="")
    parser.add_argument("--runner32", default="")
    parser.add_argument("--exe-suffix", default="")
    parser.add_argument("--word-sizes", default="")


def apply_runner(args):
    """Remembers the runners; true when the 32-bit programs are tested."""
    RUNNER[:] = shlex.split(args.runner)
    runner32[:] = shlex.split(args.runner32)
    return args.have_32bit.upper() in ("ON", "1", "TRUE", "YES")


def emulated(path):
    name = os.path.splitext(os.path.basename(path))[0] if path.lower().endswith(".exe") else os.path.basename(path)
    return bool(runner32) and name.endswith("_32-bit")


def command_line(path, args=()):
    """The command that runs a program here: 32-bit ones through their runner."""
    return [*RUNNER, *(runner32 if emulated(path) else []), path, *args]


# An emulated program runs several times slower: its deadlines stretch.
EMULATION_SLOWDOWN = 6


def deadline(path, seconds):
    return seconds * EMULATION_SLOWDOWN if emulated(path) else seconds


class Suite:
    """Collects named checks and prints the closing count."""

    def __init__(self):
        parser = argparse.ArgumentParser()
        parser = argparse.ArgumentParser()
        add_common_options(parser)
        args = parser.parse_args()
        self.bin = args.bin
        self.have_32bit = apply_runner(args)
        self.suffix = args.exe_suffix
        # The Windows programs: no Unix signals, and Wine sets the
        # processor count variable itself.
        self.windows = args.exe_suffix.lower() == ".exe"
        self.only_word_sizes = tuple(int(bits) for bits in args.word_sizes.split(",") if bits)
        self.passed = 0
        self.failed = 0

    def word_sizes(self):
        if self.only_word_sizes:
            return self.only_word_sizes
        return (64, 32) if self.have_32bit else (64,)

    def programs(self, flavours=FLAVOURS, personalities=PERSONALITIES):
        """Every deliverable that this build made, as (name, path)."""
        for bits in self.word_sizes():
            for personality in personalities:
                for flavour in flavours:
                    name = f"{flavour}-{personality}-Quorvel_{bits}-bit"
                    yield name, os.path.join(self.bin, name + self.suffix)

    def check(self, label, condition, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL {label}" + (f": {detail}" if detail else ""))

    def expect_equal(self, label, actual, expected):
        self.check(label, actual == expected, f"expected {expected!r}, got {actual!r}")

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)


def engine_env(extra=None):
    env = dict(os.environ)
    env.pop("NUMBER_OF_PROCESSORS", None)
    if extra:
        env.update(extra)
    return env


_empty_folder = None


def empty_folder():
    """A folder with no book file in it, where the programs run unless a
    test names another: an opening book wherever the tests are started
    from must not change what they expect."""
    global _empty_folder
    if _empty_folder is None:
        _empty_folder = tempfile.mkdtemp(prefix="quorvel_run_")
        atexit.register(shutil.rmtree, _empty_folder, True)
    return _empty_folder


def run(path, data=b"", args=(), env=None, timeout=30, stdin_file=False, cwd=None):
    """Runs a program with `data` as its whole input, through a pipe or,
    with stdin_file, from a regular file, in `cwd` (by default a folder
    without a book). Returns (exit code, output)."""
    command = command_line(os.path.abspath(path), args)
    cwd = cwd or empty_folder()
    if stdin_file:
        with tempfile.TemporaryFile() as source:
            source.write(data)
            source.seek(0)
            done = subprocess.run(command, stdin=source, stdout=subprocess.PIPE,
                                  env=engine_env(env), timeout=deadline(path, timeout), cwd=cwd)
    else:
        done = subprocess.run(command, input=data, stdout=subprocess.PIPE,
                              env=engine_env(env), timeout=deadline(path, timeout), cwd=cwd)
    return done.returncode, done.stdout


FEATURES_DONE = b"feature done=1\r\n"


def xboard_features(path, args=()):
    """The exact answer of a program to "xboard": its banner's first line
    as its name, and the parallel programs' smp."""
    _, out = run(path, b"", args=args, timeout=30)
    name = out.split(b"\n", 1)[0]
    parallel = os.path.basename(path).startswith("MP")
    return (b"feature setboard=1\nfeature ping=1\nfeature myname=\"" + name + b"\"\nfeature memory=1\n"
            + (b"feature smp=1\n" if parallel else b"")
            + b"feature sigint=0\nfeature sigterm=0\nfeature option=\"MultiPV -spin 1 1 64\"\n" + FEATURES_DONE)


class Session:
    """A program kept running, fed line by line, read with a deadline."""

    def __init__(self, path, args=(), env=None, cwd=None):
        self.process = subprocess.Popen(command_line(os.path.abspath(path), args), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, env=engine_env(env),
                                        cwd=cwd or empty_folder())
        os.set_blocking(self.process.stdout.fileno(), False)
        self.buffer = b""
        self.path = path

    def send(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def read_until(self, marker, timeout=30):
        """Output up to and including `marker`, or None when it never came."""
        end_time = time.monotonic() + deadline(self.path, timeout)
        while marker not in self.buffer:
            if time.monotonic() > end_time:
                return None
            chunk = self.process.stdout.read()
            if chunk:
                self.buffer += chunk
            elif self.process.poll() is not None:
                chunk = self.process.stdout.read()
                if chunk:
                    self.buffer += chunk
                    continue
                return None
            else:
                time.sleep(0.01)
        end = self.buffer.index(marker) + len(marker)
        text, self.buffer = self.buffer[:end], self.buffer[end:]
        return text

    def close(self, timeout=30):
        """Closes the input and returns the exit code (None: still running)."""
        try:
            self.process.stdin.close()
        except BrokenPipeError:
            pass
        try:
            return self.process.wait(timeout=deadline(self.path, timeout))
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None
