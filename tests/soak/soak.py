"""Soak test: every program plays many fast games under the referee
(referee.py), which fails a game on an illegal or unreadable move, a
crash, a hang, a wrong result claim or a loss on time.

Games pair different programs, so that each game counts for two. A pair
of programs plays a series of games (--series, default 2) on one pair of
long-lived processes ("new" or "ucinewgame" between games), every two
games from the same few random plies (seeded) with the colours swapped;
the resident memory of each process is taken after every game, and
growth past its figure after the first game is a fault. The engines speak
xboard or UCI (--protocol), with or without pondering (--ponder: both
engines of a game think on the opponent's time, so such games need two
free cores each). MP programs search with 2 threads. Prints a line per
finished game, a summary line per program (games, results, faults by
kind, peak memory) and exits with code 1 on any fault; the transcript of
a faulty game is kept in --keep.

--tc is "B+I" (base and increment seconds), "M/B[+I]" (M moves in B
seconds, repeating; the ply cap then defaults to 1000 so that long games
cross the engine's 768-ply record trim and several controls) or "st=S"
(S seconds a move: UCI "movetime", xboard "st" in whole seconds).
--runner, --runner32 and --exe-suffix start the programs as the
transcript tests do (qemu-i386; Wine's pipe-launch.exe).

  soak.py --bin BUILD/bin [--have-32bit ON] [--runner32 qemu-i386]
          [--runner "wine BIN/pipe-launch.exe" --exe-suffix .exe]
          [--games 200] [--tc 5+0.05] [--concurrency 1] [--seed N]
          [--protocol xboard|uci] [--ponder] [--series 2]
          [--word-sizes 64] [--flavours MP,SP] [--personalities Active]
          [--grace-ms 100] [--max-plies 300] [--opening-plies 6] [--keep DIR]
"""
import argparse
import collections
import concurrent.futures
import math
import os
import random
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "transcript"))

import chess_rules  # noqa: E402
import referee  # noqa: E402
import transcript  # noqa: E402

FAULT_KINDS = ("illegal", "unparsable", "refused", "crash", "hang", "time", "claim", "protocol", "memory")
# MP programs play with this many search threads.
MP_THREADS = 2


def parse_arguments():
    parser = argparse.ArgumentParser(description="Fast games of every program under a referee.")
    transcript.add_common_options(parser)
    parser.add_argument("--games", type=int, default=4, help="games per program")
    parser.add_argument("--tc", default="5+0.05", help="base seconds + increment seconds")
    parser.add_argument("--concurrency", type=int, default=1, help="games played at once")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--flavours", default="MP,SP")
    parser.add_argument("--personalities", default="Active,Passive,Inert")
    parser.add_argument("--grace-ms", type=int, default=100)
    parser.add_argument("--max-plies", type=int, default=None,
                        help="ply cap (a draw); default 300, 1000 for a repeating control")
    parser.add_argument("--protocol", choices=("xboard", "uci"), default="xboard")
    parser.add_argument("--ponder", action="store_true", help="both engines think on the opponent's time")
    parser.add_argument("--series", type=int, default=2, help="games per pair of long-lived processes")
    parser.add_argument("--opening-plies", type=int, default=6)
    parser.add_argument("--keep", default="soak-faults", help="folder for the transcripts of faulty games")
    parser.add_argument("--skip-rules-check", action="store_true",
                        help="skip the referee's own perft check")
    return parser.parse_args()


def check_rules(perft_file, max_leaves=30000):
    """The referee's move generator against the reference perft counts
    small enough to count in Python in a few seconds; a list of errors."""
    errors = []
    with open(perft_file) as lines:
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            fen, depth, leaves = (field.strip() for field in line.split(";"))
            if int(leaves) > max_leaves:
                continue
            counted = chess_rules.perft(chess_rules.parse_fen(fen), int(depth))
            if counted != int(leaves):
                errors.append(f"perft {depth} of {fen}: {counted}, expected {leaves}")
    return errors


def programs_to_play(args):
    """The programs of the build that take part, as referee records."""
    test_32bit = transcript.apply_runner(args)
    sizes = tuple(int(bits) for bits in args.word_sizes.split(",") if bits) or ((64, 32) if test_32bit else (64,))
    found = []
    for bits in sizes:
        for personality in args.personalities.split(","):
            for flavour in args.flavours.split(","):
                name = f"{flavour}-{personality}-Quorvel_{bits}-bit"
                path = os.path.abspath(os.path.join(args.bin, name + args.exe_suffix))
                threads = MP_THREADS if flavour == "MP" else 1
                found.append(referee.program_record(
                    name, transcript.command_line(path, [f"threads={threads}"] if threads > 1 else []),
                    threads, transcript.EMULATION_SLOWDOWN if transcript.emulated(path) else 1,
                    transcript.empty_folder(), transcript.engine_env({"NUMBER_OF_PROCESSORS": str(MP_THREADS)}),
                    args.protocol, args.ponder))
                found[-1]["path"] = path
    return found


def pairings(programs, games_per_program, series=2):
    """Pairs of programs, a series of games each, in rounds in which every program
    plays once (the circle method: the first stays, the others rotate), so
    the opponents vary from round to round. With an odd count the program
    left over plays itself."""
    seats = list(programs) + ([None] if len(programs) % 2 else [])
    count = len(seats)
    pairs = []
    for round_number in range(math.ceil(games_per_program / series)):
        rest = seats[1:]
        turned = rest[round_number % len(rest):] + rest[:round_number % len(rest)] if rest else []
        table = [seats[0]] + turned
        for index in range(count // 2):
            first, second = table[index], table[count - 1 - index]
            pairs.append((first or second, second or first))
    return pairs


class Tally:
    """Games, results and faults per program, shared by the game threads."""

    def __init__(self, programs):
        self.lock = threading.Lock()
        self.games = collections.Counter()
        self.scores = {program["name"]: collections.Counter() for program in programs}
        self.faults = {program["name"]: collections.Counter() for program in programs}
        self.faulty_games = []
        self.finished = 0
        self.peak_kib = collections.Counter()
        self.ponder = collections.Counter()

    def add(self, record, keep_folder):
        with self.lock:
            self.finished += 1
            white, black = record["white"], record["black"]
            self.games[white] += 1
            if black != white:
                self.games[black] += 1
            fault = record["fault"]
            if fault is not None:
                culprit = white if fault.side == "white" else black
                self.faults[culprit][fault.kind] += 1
                path = keep_transcript(record, keep_folder, self.finished)
                self.faulty_games.append(path)
                outcome = f"FAULT {fault.kind} by {culprit} ({fault.side}): {fault.detail}; transcript {path}"
            else:
                result = record["result"]
                if result == "1/2-1/2":
                    self.scores[white]["draws"] += 1
                    self.scores[black]["draws"] += 1
                else:
                    winner, loser = (white, black) if result == "1-0" else (black, white)
                    self.scores[winner]["wins"] += 1
                    self.scores[loser]["losses"] += 1
                outcome = f"{result} {{{record['reason']}}}"
            memory = ", ".join(f"{label.split(':')[0]} {kib / 1024:.1f}" for label, kib in record["memory_kib"].items())
            for label, kib in record["memory_kib"].items():
                name = label.split(":", 1)[1]
                self.peak_kib[name] = max(self.peak_kib[name], kib)
            hits, misses = record.get("ponder", (0, 0))
            self.ponder["hits"] += hits
            self.ponder["misses"] += misses
            print(f"game {self.finished}: {white} - {black}, opening {' '.join(record['opening'])}, "
                  f"{len(record['moves'])} plies: {outcome}" + (f"; MiB {memory}" if memory else ""), flush=True)

    def summary(self, programs):
        for program in programs:
            name = program["name"]
            faults = self.faults[name]
            kinds = ", ".join(f"{kind} {faults[kind]}" for kind in FAULT_KINDS if faults[kind])
            score = self.scores[name]
            print(f"{name}: {self.games[name]} games (+{score['wins']} ={score['draws']} -{score['losses']}), "
                  f"{sum(faults.values())} faults" + (f" ({kinds})" if kinds else "") +
                  f", peak memory {self.peak_kib[name] / 1024:.1f} MiB")
        if self.ponder["hits"] or self.ponder["misses"]:
            print(f"UCI ponder hits {self.ponder['hits']}, misses {self.ponder['misses']}")
        return sum(sum(faults.values()) for faults in self.faults.values())


def keep_transcript(record, folder, number):
    os.makedirs(folder, exist_ok=True)
    fault = record["fault"]
    path = os.path.abspath(os.path.join(folder, f"game-{number}-{fault.kind}.txt"))
    with open(path, "w") as out:
        out.write(f"{record['white']} (white, engine 1 or 2 below) - {record['black']}\n")
        out.write(f"fault: {fault.kind} by {fault.side}: {fault.detail}\n")
        out.write(f"opening: {' '.join(record['opening'])}\n")
        out.write(f"moves: {' '.join(record['moves'])}\n")
        out.write(f"position: {record['final_fen']}\n\n")
        out.write("\n".join(record["transcript"]) + "\n")
    return path


def main():
    args = parse_arguments()
    seed = args.seed if args.seed is not None else random.randrange(1 << 31)
    if not args.skip_rules_check:
        perft_file = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "perft.txt")
        errors = check_rules(perft_file)
        for error in errors:
            print(f"referee rules: {error}")
        if errors:
            return 1
    programs = programs_to_play(args)
    missing = [program["path"] for program in programs if not os.path.exists(program["path"])]
    if missing or not programs:
        print("missing programs: " + (", ".join(missing) or "none selected"))
        return 1
    control = referee.TimeControl(args.tc)
    if args.max_plies is None:
        args.max_plies = 1000 if control.moves_per_control else 300
    rng = random.Random(seed)
    series = max(args.series, 1)
    pairs = [(first, second, [referee.random_opening(rng, args.opening_plies) for _ in range((series + 1) // 2)])
             for first, second in pairings(programs, args.games, series)]
    print(f"soak: {len(programs)} programs, {series * len(pairs)} games at {control}, {args.protocol}"
          f"{' with pondering' if args.ponder else ''}, {series} a series, seed {seed}, "
          f"{args.concurrency} at once, grace {args.grace_ms} ms, cap {args.max_plies} plies", flush=True)
    tally = Tally(programs)
    started = time.monotonic()

    def play(first, second, openings):
        for record in referee.play_series(first, second, openings, control, args.grace_ms, args.max_plies, series):
            tally.add(record, args.keep)

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(args.concurrency, 1)) as pool:
        for future in [pool.submit(play, *pair) for pair in pairs]:
            future.result()
    faults = tally.summary(programs)
    print(f"soak: {tally.finished} games in {time.monotonic() - started:.0f} s, {faults} faults, seed {seed}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
