"""The UCI mode: identification, options, positions, searches, pondering
and bad input."""
import random
import re
import time

from transcript import Session, Suite, run

UCI_MOVE = rb"[a-h][1-8][a-h][1-8][nbrq]?"
BESTMOVE = re.compile(rb"bestmove (" + UCI_MOVE + rb"|0000)(?: ponder (" + UCI_MOVE + rb"))?\n")
INFO = re.compile(rb"info depth (\d+) seldepth \d+ score (cp -?\d+|mate -?\d+) time (\d+) nodes (\d+) nps (\d+)"
                  rb" hashfull \d+ pv((?: " + UCI_MOVE + rb")+)\n")
INFO_STRING = re.compile(rb"info string [^\n]+\n")


def start(path, args=()):
    session = Session(path, args=args)
    session.read_until(b"warranty.\n")
    session.send(b"uci\n")
    return session, session.read_until(b"uciok\n", 20)


def ready(session, timeout=20):
    """Everything written before "readyok"."""
    session.send(b"isready\n")
    return session.read_until(b"readyok\n", timeout)


def best_move(session, timeout=30):
    """(everything up to and including bestmove, its match)."""
    out = session.read_until(b"\n", timeout)
    text = b""
    while out is not None:
        text += out
        match = BESTMOVE.fullmatch(out)
        if match:
            return text, match
        out = session.read_until(b"\n", timeout)
    return text, None


def finish(suite, label, session):
    session.send(b"quit\n")
    suite.expect_equal(f"{label} exit code", session.close(), 0)


def identification(suite, name, path, mp):
    session, out = start(path)
    out = out or b""
    lines = out.split(b"\n")
    suite.check(f"{name}: id name is the banner's first line",
                lines[0].startswith(b"id name Quorvel: 5.3B (ZEV 026, 5dc"), repr(out[:120]))
    suite.check(f"{name}: id author", b"id author the Quorvel developers\n" in out, repr(out))
    suite.check(f"{name}: Hash option",
                re.search(rb"option name Hash type spin default 32 min 1 max (2048|1024)\n", out) is not None,
                repr(out))
    suite.expect_equal(f"{name}: Threads option only in MP builds",
                       re.search(rb"option name Threads type spin default \d min 2 max 8\n", out) is not None, mp)
    suite.check(f"{name}: Ponder and OwnBook options",
                b"option name Ponder type check default false\n" in out and
                b"option name OwnBook type check default true\n" in out, repr(out))
    suite.check(f"{name}: uciok last", out.endswith(b"uciok\n"), repr(out))
    suite.expect_equal(f"{name}: readyok", ready(session), b"readyok\n")
    session.send(b"position startpos moves e2e4\ngo depth 4\n")
    text, match = best_move(session)
    suite.check(f"{name}: go depth 4 plays Black", match is not None and match.group(1)[1:2] in b"78",
                repr(text[-200:]))
    finish(suite, name, session)


def searches(suite, name, path):
    session, _ = start(path)
    # A mate in one: found, and the score says so.
    session.send(b"position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo depth 4\n")
    text, match = best_move(session)
    suite.check(f"{name}: mate in one", match is not None and match.group(1) == b"a1a8", repr(text[-200:]))
    infos = list(INFO.finditer(text))
    suite.check(f"{name}: info lines", len(infos) >= 1 and infos[-1].group(2) == b"mate 1", repr(text[-300:]))
    depths = [int(info.group(1)) for info in infos]
    suite.check(f"{name}: depth 4 at most", depths and max(depths) <= 4, repr(depths))

    # The side to move is mated: the null move.
    session.send(b"position startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3\n")
    text, match = best_move(session)
    suite.check(f"{name}: no move when mated", match is not None and match.group(1) == b"0000", repr(text))

    # Infinite: only "stop" ends it; isready is answered meanwhile.
    session.send(b"ucinewgame\nposition startpos\ngo infinite\n")
    time.sleep(0.3)
    out = ready(session, timeout=5) or b""
    suite.check(f"{name}: readyok during a search", b"bestmove" not in out and out.endswith(b"readyok\n"),
                repr(out[-200:]))
    time.sleep(0.3)
    session.send(b"stop\n")
    text, match = best_move(session, timeout=5)
    suite.check(f"{name}: stop ends infinite", match is not None and match.group(1)[1:2] in b"12", repr(text[-200:]))

    # An infinite search of one legal move ends by itself but still waits for stop.
    session.send(b"position fen k7/8/8/8/8/8/1r6/K7 w - - 0 1\ngo infinite\n")
    time.sleep(1.0)
    out = ready(session, timeout=5) or b""
    suite.check(f"{name}: infinite waits for stop", b"bestmove" not in out, repr(out[-200:]))
    session.send(b"stop\n")
    text, match = best_move(session, timeout=5)
    suite.check(f"{name}: the only move", match is not None and match.group(1) == b"a1b2", repr(text[-200:]))

    # The clock fields: a short clock moves soon; movetime is kept; nodes stop it.
    for command, limit in ((b"go wtime 1500 btime 1500 winc 100 binc 100", 5),
                           (b"go movetime 400", 3), (b"go nodes 20000", 5),
                           (b"go wtime 60000 btime 60000 movestogo 1 movetime 300", 3)):
        session.send(b"position startpos moves d2d4\n" + command + b"\n")
        began = time.monotonic()
        text, match = best_move(session, timeout=15)
        suite.check(f"{name}: {command!r} moves", match is not None and match.group(1)[1:2] in b"78",
                    repr(text[-200:]))
        suite.check(f"{name}: {command!r} within a generous bound", time.monotonic() - began < limit)
    finish(suite, f"{name}: searches", session)


def pondering(suite, name, path):
    session, _ = start(path)
    session.send(b"setoption name Ponder value true\nposition startpos moves e2e4 e7e5\n"
                 b"go ponder wtime 3000 btime 3000\n")
    time.sleep(0.5)
    out = ready(session, timeout=5) or b""
    suite.check(f"{name}: pondering waits", b"bestmove" not in out, repr(out[-200:]))
    began = time.monotonic()
    session.send(b"ponderhit\n")
    text, match = best_move(session, timeout=10)
    suite.check(f"{name}: ponderhit moves on the clock", match is not None and
                time.monotonic() - began < 4, repr(text[-200:]))
    suite.check(f"{name}: a ponder move after ponderhit", match is not None and match.group(2) is not None,
                repr(text[-200:]))

    # A ponder miss: the front end stops the search and sends the real game.
    session.send(b"position startpos moves e2e4 e7e5 g1f3\ngo ponder wtime 3000 btime 3000\n")
    time.sleep(0.3)
    session.send(b"stop\n")
    text, match = best_move(session, timeout=5)
    suite.check(f"{name}: stop ends pondering", match is not None, repr(text[-200:]))
    # White's pieces stand on ranks 1 to 4, Black's on 5 to 8.
    session.send(b"position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4\ngo wtime 3000 btime 3000\n")
    text, match = best_move(session, timeout=10)
    suite.check(f"{name}: then a normal search", match is not None and match.group(1)[1:2] in b"5678",
                repr(text[-200:]))
    finish(suite, f"{name}: pondering", session)


def bad_input(suite, name, path):
    session, _ = start(path)
    for command in (b"position startpos moves e2e4 e7e6 e4e6", b"position fen 8/8/8/8/8/8/8/8 w - - 0 1",
                    b"position fen", b"position", b"position somewhere", b"setoption name Foo value 3",
                    b"setoption name Hash value lots", b"setoption name Ponder value maybe",
                    b"setoption", b"flip"):
        session.send(command + b"\n")
        out = ready(session) or b""
        suite.check(f"{name}: {command!r} explained", INFO_STRING.match(out) is not None, repr(out))
    session.send(b"go wibble e2e4 depth 1\n")
    text, match = best_move(session)
    suite.check(f"{name}: unsupported go words explained", INFO_STRING.match(text) is not None and
                match is not None, repr(text))
    # Bad commands leave the last good position: here the start position.
    session.send(b"position startpos moves e2e4\nposition startpos moves e7e5\ngo depth 3\n")
    text, match = best_move(session)
    suite.check(f"{name}: a bad position keeps the last good one", match is not None and
                match.group(1)[1:2] in b"78", repr(text[-200:]))
    # Commands that would change the game while searching are refused.
    session.send(b"go infinite\n")
    time.sleep(0.2)
    session.send(b"position startpos\n")
    out = ready(session, timeout=5) or b""
    suite.check(f"{name}: position while searching refused",
                b"info string 'position' while searching" in out, repr(out[-200:]))
    session.send(b"stop\n")
    text, match = best_move(session)
    suite.check(f"{name}: the search was on the old game", match is not None and match.group(1)[1:2] in b"78",
                repr(text[-200:]))
    # The size steps of Hash.
    session.send(b"setoption name Hash value 100\n")
    suite.expect_equal(f"{name}: Hash rounds down", ready(session),
                       b"info string Hash is 64 MiB, the nearest size the table can take\nreadyok\n")
    session.send(b"setoption name hash value 1\nsetoption name OWNBOOK value false\n")
    suite.expect_equal(f"{name}: option names ignore case", ready(session), b"readyok\n")
    # A long game: the whole line counts.
    shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"] * 100
    session.send(b"position startpos moves " + " ".join(shuffle + ["e2e4"]).encode() + b"\ngo depth 2\n")
    text, match = best_move(session)
    suite.check(f"{name}: long position line", match is not None and match.group(1)[1:2] in b"78",
                repr(text[-200:]))
    finish(suite, f"{name}: bad input", session)

    # "quit" during a search and the end of input both end the program.
    session, _ = start(path)
    session.send(b"position startpos\ngo infinite\n")
    time.sleep(0.3)
    session.send(b"quit\n")
    suite.expect_equal(f"{name}: quit during a search", session.close(timeout=10), 0)
    code, out = run(path, b"uci\nposition startpos\ngo depth 3\n", timeout=30)
    suite.expect_equal(f"{name}: end of input", code, 0)
    code, out = run(path, b"uci\nucinewgame\nisready\nquit\n", timeout=30)
    suite.check(f"{name}: no xboard answers in UCI", b"feature" not in out and out.endswith(b"readyok\n"),
                repr(out[-100:]))


def fuzz(suite, name, path, seed):
    """Random and mutated lines, and one far too long: no crash, no hang,
    and the engine still answers."""
    rng = random.Random(seed)
    words = ["uci", "isready", "ucinewgame", "position startpos moves e2e4 e7e5", "position fen",
             "position startpos moves", "setoption name Hash value 2x", "setoption name Ponder value",
             "setoption name OwnBook value true", "go depth 1", "go nodes 1", "ponderhit",
             "debug on", "register later", "e2e4", "position fen 8/8/8/8/8/8/8/K6k w - - 0 1 moves a1a2"]
    lines = []
    for _ in range(1500):
        kind = rng.random()
        if kind < 0.5:
            line = rng.choice(words) + " " + " ".join(
                str(rng.randint(-10**12, 10**12)) for _ in range(rng.randint(0, 3)))
        elif kind < 0.8:
            line = "".join(c if rng.random() > 0.2 else chr(rng.randint(1, 255)) for c in rng.choice(words))
        else:
            line = "".join(chr(rng.randint(1, 255)) for _ in range(rng.randint(0, 400)))
        if line.startswith("quit"):
            continue
        lines.append(line.replace("\n", " "))
        if line.startswith("go"):
            lines.append("stop")  # a "go" the fuzz left without a limit
    lines.append("position startpos moves " + "e2e4 " * 8000)
    data = "\n".join(lines).encode("latin-1") + b"\nstop\nucinewgame\nisready\nquit\n"
    code, out = run(path, b"uci\n" + data, timeout=120)
    suite.check(f"{name}: fuzz seed {seed}", code == 0 and out.endswith(b"readyok\n"),
                f"exit {code}, tail {out[-80:]!r}")


def main():
    suite = Suite()
    for name, path in suite.programs(flavours=("SP",), personalities=("Active",)):
        searches(suite, name, path)
        pondering(suite, name, path)
        bad_input(suite, name, path)
        fuzz(suite, name, path, 1)
    for name, path in suite.programs():
        identification(suite, name, path, name.startswith("MP"))
    suite.finish()


if __name__ == "__main__":
    main()
