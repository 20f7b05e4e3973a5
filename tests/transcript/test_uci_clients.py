"""What UCI clients rely on beyond the basics: the clock after a ponder
hit, one write per line, "go mate" and "searchmoves", short fixed times,
the book across games, the options a tournament sets, the info fields and
several best lines (MultiPV)."""
import os
import re
import shutil
import subprocess
import tempfile
import time

from transcript import Session, Suite, command_line, engine_env, empty_folder
from test_uci import BESTMOVE, best_move, finish, ready, start

INFO_LINE = re.compile(rb"info depth (\d+) seldepth (\d+)(?: multipv (\d+))? score (cp -?\d+|mate -?\d+) "
                       rb"time \d+ nodes \d+ nps \d+ hashfull (\d+) pv ([a-h1-8nbrq ]+)\n")
MATE_IN_ONE = b"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1"


def infos(text):
    return list(INFO_LINE.finditer(text or b""))


def ponder_hit_clock(suite, name, path):
    """After "ponderhit" the budget comes from the clock of the side that was
    to move at "go", whatever the search is looking at just then."""
    session, _ = start(path)
    session.send(b"setoption name Ponder value true\n")
    short_waits = []
    for _ in range(6):
        session.send(b"position startpos moves e2e4 e7e5 g1f3\ngo ponder wtime 100000 btime 700\n")
        time.sleep(0.3)
        began = time.monotonic()
        session.send(b"ponderhit\n")
        _, match = best_move(session, timeout=10)
        short_waits.append(round(time.monotonic() - began, 2) if match else None)
    suite.check(f"{name}: ponder hit with 0.7 s left moves at once",
                all(wait is not None and wait < 0.6 for wait in short_waits), repr(short_waits))
    long_waits = []
    for _ in range(3):
        session.send(b"position startpos moves e2e4 e7e5 g1f3\ngo ponder wtime 700 btime 60000\n")
        time.sleep(0.1)
        began = time.monotonic()
        session.send(b"ponderhit\n")
        _, match = best_move(session, timeout=10)
        long_waits.append(round(time.monotonic() - began, 2) if match else None)
    suite.check(f"{name}: ponder hit with a minute left still thinks",
                all(wait is not None and wait > 0.15 for wait in long_waits), repr(long_waits))
    finish(suite, f"{name}: ponder hit", session)


def no_ponder_move_on_a_short_clock(suite, name, path):
    """A ponder search costs up to a poll step on every move, the time until
    "ponderhit" or "stop" is read: with its clock within the second kept in
    hand (after half a second of pondering on 1.2 s, counted as spent) the
    engine names no ponder move, so that a front end lets it answer at
    once; with time to spare it names one."""
    session, _ = start(path)
    session.send(b"setoption name Ponder value true\n")
    for clock, wanted in ((1200, False), (30000, True)):
        session.send(b"position startpos moves e2e4\ngo ponder wtime 60000 btime %d winc 20 binc 20\n" % clock)
        time.sleep(0.5)
        session.send(b"ponderhit\n")
        _, match = best_move(session, timeout=10)
        suite.check(f"{name}: ponder move after a hit with {clock} ms: {wanted}",
                    match is not None and (match.group(2) is not None) == wanted,
                    repr(match.group(0) if match else None))
    finish(suite, f"{name}: ponder move and clock", session)


def one_write_per_line(suite, name, path):
    """Under strace: every write of a UCI session is one whole line."""
    if shutil.which("strace") is None:
        print(f"SKIP {name}: one write per line needs strace")
        return
    trace = tempfile.NamedTemporaryFile(delete=False)
    trace.close()
    data = (b"uci\nsetoption name Ponder value true\nsetoption name Nonsense value 1\n"
            b"position startpos moves e2e4\ngo movetime 300\nisready\n")  # the search ends the session
    subprocess.run(["strace", "-f", "-qq", "-e", "trace=write", "-e", "signal=none", "-s", "4096",
                    "-o", trace.name, *command_line(os.path.abspath(path))],
                   input=data, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   # The leak checker of sanitizer builds cannot run under a tracer.
                   env=engine_env({"ASAN_OPTIONS": "detect_leaks=0"}), cwd=empty_folder(), timeout=60)
    with open(trace.name, "rb") as source:
        writes = re.findall(rb'write\(1, "((?:[^"\\]|\\.)*)"', source.read())
    os.unlink(trace.name)
    broken = [w for w in writes if not w.endswith(b"\\n") or b"\\n" in w[:-2]]
    suite.check(f"{name}: writes traced", any(w.startswith(b"bestmove") for w in writes), repr(writes[-3:]))
    suite.check(f"{name}: one write per line", not broken, repr(broken[:4]))


def mate_and_searchmoves(suite, name, path):
    session, _ = start(path)
    # A mate in one for "go mate 3": found early, answered without "stop".
    session.send(b"position fen " + MATE_IN_ONE + b"\ngo mate 3\n")
    text, match = best_move(session, timeout=10)
    found = infos(text)
    suite.check(f"{name}: go mate finds the mate", match is not None and match.group(1) == b"a1a8" and
                found and found[-1].group(4) == b"mate 1" and int(found[-1].group(1)) < 5, repr(text[-300:]))
    # No mate: the search ends at the mate's depth, 2N - 1 plies.
    session.send(b"position startpos\ngo mate 2\n")
    text, match = best_move(session, timeout=10)
    depths = [int(info.group(1)) for info in infos(text)]
    suite.check(f"{name}: go mate 2 without a mate ends at depth 3", match is not None and depths and
                max(depths) == 3, repr(text[-300:]))
    # Only the moves named; an illegal one is explained and skipped.
    session.send(b"position startpos\ngo searchmoves a2a3 e2e5 h2h4 depth 4\n")
    text, match = best_move(session, timeout=10)
    suite.check(f"{name}: searchmoves explains an illegal move",
                b"info string searchmoves: 'e2e5' is not a legal move" in text, repr(text[:200]))
    suite.check(f"{name}: searchmoves picks among the named", match is not None and
                match.group(1) in (b"a2a3", b"h2h4") and
                all(info.group(6).split()[0] in (b"a2a3", b"h2h4") for info in infos(text)), repr(text[-300:]))
    # One named move is searched to the depth asked, not as a forced move.
    session.send(b"position startpos\ngo searchmoves g1f3 depth 6\n")
    text, match = best_move(session, timeout=10)
    suite.check(f"{name}: one searched move goes deep", match is not None and match.group(1) == b"g1f3" and
                max(int(info.group(1)) for info in infos(text)) == 6, repr(text[-300:]))
    finish(suite, f"{name}: mate and searchmoves", session)


def short_fixed_time(suite, name, path):
    session, _ = start(path)
    session.send(b"position startpos moves d2d4\ngo movetime 100\n")
    began = time.monotonic()
    text, match = best_move(session, timeout=5)
    spent = time.monotonic() - began
    depths = [int(info.group(1)) for info in infos(text)]
    suite.check(f"{name}: movetime 100 searches deeper than one ply", depths and max(depths) >= 3,
                repr(text[-200:]))
    suite.check(f"{name}: movetime 100 is kept", match is not None and spent < 0.35, f"{spent:.3f} s")
    finish(suite, f"{name}: movetime", session)


def node_limit(suite, name, path, mp):
    """"go nodes" holds within a few thousand nodes, with one thread or
    several; one thread gives the same search every time."""
    session, _ = start(path)
    results = []
    for limit in (20000, 300000, 20000):
        session.send(b"ucinewgame\nposition startpos moves e2e4\ngo nodes %d\n" % limit)
        text, match = best_move(session, timeout=30)
        found = infos(text)
        nodes = int(re.search(rb"nodes (\d+)", found[-1].group(0)).group(1)) if found else -1
        results.append((nodes, match.group(1) if match else None))
        suite.check(f"{name}: go nodes {limit} stops there", limit <= nodes <= limit + 3000, repr(results))
    if not mp:
        suite.expect_equal(f"{name}: go nodes searches the same twice", results[0], results[2])
    finish(suite, f"{name}: go nodes", session)


def book_across_games(suite, name, path):
    """Each new game may use the book again, with or without ucinewgame."""
    folder = tempfile.mkdtemp(prefix="quorvel_book_")
    shutil.copy(os.path.join(os.path.dirname(path), "Quorvel.dat"), folder)
    session = Session(path, cwd=folder)
    session.read_until(b"warranty.\n")
    session.send(b"uci\n")
    session.read_until(b"uciok\n")

    def from_book(moves):
        session.send(b"position startpos" + (b" moves " + moves if moves else b"") +
                     b"\ngo wtime 60000 btime 60000\n")
        text, match = best_move(session, timeout=20)
        return match is not None and b"info depth" not in text

    suite.check(f"{name}: book at the start", from_book(b""))
    suite.check(f"{name}: out of the book", not from_book(b"a2a3 h7h6 a3a4"))
    suite.check(f"{name}: a new game without ucinewgame asks the book again", from_book(b"e2e4"))
    finish(suite, f"{name}: book", session)
    shutil.rmtree(folder, True)


def options(suite, name, path, mp):
    # Blank lines before "uci" choose no protocol.
    session = Session(path, args=("hashsize=5", "threads=2") if mp else ("hashsize=5",),
                      env={"NUMBER_OF_PROCESSORS": "4"})
    session.read_until(b"warranty.\n")
    session.send(b"\n\r\n\nuci\n")
    out = session.read_until(b"uciok\n", 10) or b""
    suite.check(f"{name}: uci after blank lines", out.endswith(b"uciok\n"), repr(out[-100:]))
    for option in (b"option name MultiPV type spin default 1 min 1 max 64\n",
                   b"option name Move Overhead type spin default 0 min 0 max 5000\n",
                   b"option name Clear Hash type button\n",
                   b"option name UCI_AnalyseMode type check default false\n"):
        suite.check(f"{name}: {option!r}", option in out, repr(out))
    session.send(b"setoption name Hash value 64\nsetoption name Clear Hash\nsetoption name UCI_AnalyseMode value true\n"
                 b"setoption name Move Overhead value 30\nsetoption name MultiPV value 2\n")
    answers = b"setoption name Threads value 3\nsetoption name Threads value 5\n" if mp else b""
    session.send(answers)
    out = ready(session) or b""
    if mp:
        suite.expect_equal(f"{name}: Threads above the processors refused", out,
                           b"info string Threads 5 refused: not enough cores/processors (4); still 3\nreadyok\n")
    else:
        suite.expect_equal(f"{name}: options accepted", out, b"readyok\n")
    session.send(b"uci\n")
    out = session.read_until(b"uciok\n", 10) or b""
    suite.check(f"{name}: uci shows the start-up Hash", b"option name Hash type spin default 16 " in out, repr(out))
    if mp:
        suite.check(f"{name}: uci shows the start-up Threads",
                    b"option name Threads type spin default 2 min 2 max 8\n" in out, repr(out))
    finish(suite, f"{name}: options", session)


def info_fields_and_lines(suite, name, path):
    session, _ = start(path)
    session.send(b"position startpos\ngo movetime 2500\n")
    text, match = best_move(session, timeout=10)
    lines = infos(text)
    suite.check(f"{name}: seldepth and hashfull", lines and int(lines[-1].group(2)) >= int(lines[-1].group(1))
                and lines[-1].group(3) is None and int(lines[-1].group(5)) > 0, repr(text[-300:]))
    suite.check(f"{name}: currmove after the first second",
                re.search(rb"info depth \d+ currmove [a-h][1-8][a-h][1-8] currmovenumber \d+\n", text) is not None,
                repr(text[-600:]))
    session.send(b"setoption name MultiPV value 3\nposition startpos moves e2e4\ngo depth 6\n")
    text, match = best_move(session, timeout=20)
    last = [info for info in infos(text) if info.group(1) == b"6" and info.group(3)]
    numbers = [int(info.group(3)) for info in last[-3:]]
    firsts = {info.group(6).split()[0] for info in last[-3:]}
    scores = [int(info.group(4).split()[1]) for info in last[-3:]]
    suite.check(f"{name}: three lines at the last depth", numbers == [1, 2, 3] and len(firsts) == 3 and
                scores == sorted(scores, reverse=True), repr(text[-700:]))
    suite.check(f"{name}: the best line is the move played",
                match is not None and last and last[-3].group(6).split()[0] == match.group(1), repr(text[-300:]))
    # Several lines in an infinite search, until stop.
    session.send(b"position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\n"
                 b"go infinite\n")
    time.sleep(1.0)
    session.send(b"stop\n")
    text, match = best_move(session, timeout=10)
    suite.check(f"{name}: MultiPV in an infinite search", match is not None and
                {info.group(3) for info in infos(text)} >= {b"1", b"2", b"3"}, repr(text[-400:]))
    finish(suite, f"{name}: info and lines", session)


def main():
    suite = Suite()
    for name, path in suite.programs(personalities=("Active",)):
        mp = name.startswith("MP")
        ponder_hit_clock(suite, name, path)
        no_ponder_move_on_a_short_clock(suite, name, path)
        one_write_per_line(suite, name, path)
        mate_and_searchmoves(suite, name, path)
        short_fixed_time(suite, name, path)
        node_limit(suite, name, path, mp)
        book_across_games(suite, name, path)
        options(suite, name, path, mp)
        info_fields_and_lines(suite, name, path)
    suite.finish()


if __name__ == "__main__":
    main()
