"""The developer tool's accumcheck and eval for every personality: the
incremental accumulators match a fresh set-up after every move of random
games, and the 32-bit tool evaluates exactly as the 64-bit one."""
import argparse
import os
import subprocess
import sys

PERSONALITIES = ("Active", "Passive", "Inert")
POSITIONS = (
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "2kr3r/ppp1qppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1NBPBP/R2Q1RK1 b - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/8/4kpp1/3p4/p6P/2B4b/6P1/6K1 w - -",
    "4k3/8/8/8/8/8/8/2B1KN2 w - -",
    "k7/8/8/PK6/8/8/1B6/8 w - -",
    "7K/8/8/8/8/8/1kp5/7Q w - - 75 90",
)


def run_tool(tool, *args):
    return subprocess.run([tool, *args], capture_output=True, text=True, timeout=300)


def last_line(result):
    lines = result.stdout.strip().splitlines()
    return lines[-1] if lines else ""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--have-32bit", default="OFF")
    options = parser.parse_args()
    suffixes = [""] + (["_32-bit"] if options.have_32bit.upper() in ("ON", "TRUE", "1", "YES") else [])
    failed = passed = 0

    def check(ok, what):
        nonlocal failed, passed
        if ok:
            passed += 1
        else:
            failed += 1
            print("FAIL:", what)

    for personality in PERSONALITIES:
        scores = {}
        for suffix in suffixes:
            tool = os.path.join(options.bin, f"quorvel-dev-{personality}{suffix}")
            if not os.path.exists(tool):
                check(False, f"missing {tool}")
                continue
            result = run_tool(tool, "accumcheck", "60")
            check(result.returncode == 0 and last_line(result).isdigit() and int(last_line(result)) > 10000,
                  f"{tool} accumcheck: exit {result.returncode}, {last_line(result)!r} {result.stderr!r}")
            for fen in POSITIONS:
                plain = run_tool(tool, "eval", fen)
                traced = run_tool(tool, "eval", "--trace", *fen.split())
                value = last_line(plain)
                check(plain.returncode == 0 and value.lstrip("-").isdigit() and last_line(traced) == value,
                      f"{tool} eval {fen}: {value!r}, traced {last_line(traced)!r}")
                scores.setdefault(fen, set()).add(value)
        if personality == "Passive":
            # The rows add up to the total, on every exit of the evaluation
            # ("neither side can win" here: a knight each).
            for fen in POSITIONS + ("8/8/8/4k3/8/2n5/3NK3/8 w - -",):
                rows = run_tool(tool, "eval", "--trace", *fen.split()).stdout.splitlines()
                total = next((int(line.split()[-1]) for line in rows if line.startswith("total (White)")), None)
                first = next((i for i, line in enumerate(rows) if line.startswith("stage")), 0) + 1
                last = next((i for i, line in enumerate(rows) if line.startswith("total (White)")), len(rows))
                added = sum(int(line.split()[-1]) for line in rows[first:last])
                check(total is not None and added == total, f"{tool} trace rows of {fen}: {added} against {total}")
                # ...and the total is the result from White's view (before
                # the fifty-move fade).
                fields = fen.split()
                if len(fields) < 5 or int(fields[4]) < 50:
                    result = int(rows[-1]) if rows and rows[-1].lstrip("-").isdigit() else None
                    white_view = None if result is None else (result if fields[1] == "w" else -result)
                    check(total == white_view, f"{tool} trace of {fen}: total {total}, result {white_view}")
        for fen, values in scores.items():
            check(len(values) == 1, f"{personality} eval differs between word sizes on {fen}: {values}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
