"""The developer tool's perft and divide against the reference counts in
tests/data/perft.txt, for every personality's tool in each word size."""
import argparse
import os
import subprocess
import sys

from transcript import add_common_options, apply_runner, command_line

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "perft.txt")
PERSONALITIES = ("Active", "Passive", "Inert")

def references():
    """(fen, depth, leaves) for every data line."""
    with open(DATA, encoding="ascii") as data:
        for line in data:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fen, depth, leaves = (field.strip() for field in line.split(";"))
            yield fen, int(depth), int(leaves)


def run_tool(tool, *args):
    return subprocess.run(command_line(tool, args), capture_output=True, text=True, timeout=600)


class Tally:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL:", what)


def check_perft(tally, tool, fen, depth, leaves):
    # The FEN quoted as one argument.
    result = run_tool(tool, "perft", str(depth), fen)
    last = result.stdout.strip().splitlines()[-1:] or [""]
    tally.check(result.returncode == 0 and last[0] == str(leaves),
                f"{tool} perft {depth} {fen}: want {leaves}, got {last[0]!r} (exit {result.returncode})")


def check_divide(tally, tool, fen, depth, leaves):
    # The FEN split over several arguments; the lines must add up.
    result = run_tool(tool, "divide", str(depth), *fen.split())
    lines = result.stdout.strip().splitlines()
    moves = [line.split(": ") for line in lines[:-1]]
    well_formed = all(len(m) == 2 and len(m[0]) in (4, 5) and m[1].isdigit() for m in moves)
    total_ok = lines and lines[-1] == str(leaves)
    sums_ok = well_formed and sum(int(m[1]) for m in moves) == leaves
    tally.check(result.returncode == 0 and well_formed and total_ok and sums_ok,
                f"{tool} divide {depth} {fen}: {lines[-1:] if lines else 'no output'}")


def check_formats(tally, tool):
    # Promotions print with their letter, castling as the king's move.
    result = run_tool(tool, "divide", "1", "r3k3/1P6/8/8/8/8/8/R3K2R w KQ -")
    moves = [line.split(":")[0] for line in result.stdout.splitlines()[:-1]]
    tally.check({"b7b8q", "b7a8n", "e1g1", "e1c1"} <= set(moves) and result.stdout.splitlines()[-1] == "34",
                f"{tool} divide move texts: {moves}")
    for args in ((), ("perft",), ("perft", "x", "8/8/8/8/8/8/8/K6k w"), ("perft", "2"),
                 ("divide", "0", "8/8/8/8/8/8/8/K6k w"), ("perft", "2", "8/8/8/8/8/8/8/8 w"),
                 ("nonsense",)):
        result = run_tool(tool, *args)
        tally.check(result.returncode == 2 and "usage" in result.stderr and not result.stdout,
                    f"{tool} {' '.join(args)!r}: exit {result.returncode}, stderr {result.stderr!r}")


def check_version(tally, tool, personality, bits):
    """"version" and "--version" name the release, the personality and the
    word size of the tool they run in, on one line."""
    for word in ("version", "--version"):
        result = run_tool(tool, word)
        lines = result.stdout.splitlines()
        parts = lines[0].split(" ", 2) if len(lines) == 1 else []
        tally.check(result.returncode == 0 and len(parts) == 3 and parts[0] == "quorvel-dev"
                    and parts[1].count(".") == 2 and parts[1].replace(".", "").isdigit()
                    and parts[2] == f"({personality}, SP, {bits}-bit)",
                    f"{tool} {word}: {result.stdout!r}")


def main():
    parser = argparse.ArgumentParser()
    add_common_options(parser)
    parser.add_argument("--personalities", default=",".join(PERSONALITIES))
    options = parser.parse_args()
    suffixes = [""] + (["_32-bit"] if apply_runner(options) else [])
    if options.word_sizes:
        suffixes = ["" if bits == "64" else "_32-bit" for bits in options.word_sizes.split(",")]
    tally = Tally()
    data = list(references())
    for suffix in suffixes:
        for personality in options.personalities.split(","):
            tool = os.path.join(options.bin, f"quorvel-dev-{personality}{suffix}{options.exe_suffix}")
            if not os.path.exists(tool):
                tally.check(False, f"missing {tool}")
                continue
            check_formats(tally, tool)
            check_version(tally, tool, personality, "32" if suffix else "64")
            for fen, depth, leaves in data:
                check_perft(tally, tool, fen, depth, leaves)
            # divide on the smaller references only, once per tool
            for fen, depth, leaves in data:
                if leaves <= 200000:
                    check_divide(tally, tool, fen, depth, leaves)
    print(f"{tally.passed} passed, {tally.failed} failed")
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
