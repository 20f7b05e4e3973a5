"""ping and pong in the protocol's order, and analysis mode."""
import re
import time

from transcript import Session, Suite, xboard_features

MOVE = re.compile(rb"move ([a-h][1-8][a-h][1-8](?:=[nbrq]|  ))\r\n")
THINKING = re.compile(rb"(\d+) (-?\d+) (\d+) (\d+) ((?:[a-h][1-8][a-h][1-8](?:[nbrq] |  ))+)\r\n")
STATUS = re.compile(rb"stat01: \d+ \d+ \d+ \d+ \d+ (?:[a-h][1-8][a-h][1-8][nbrq]?)?\r\n")


def start(path):
    session = Session(path)
    session.read_until(b"warranty.\n")
    return session


def finish(suite, label, session):
    session.send(b"quit\n")
    suite.expect_equal(f"{label} exit code", session.close(), 0)


def ping(session, number, timeout=20):
    """Everything written before the answer to "ping number"."""
    session.send(b"ping %d\n" % number)
    return session.read_until(b"pong %d\r\n" % number, timeout)


def ping_cases(suite, name, path):
    session = start(path)
    session.send(b"xboard\nprotover 2\n")
    out = ping(session, 1)
    suite.expect_equal(f"{name}: features, then pong", out, xboard_features(path) + b"pong 1\r\n")
    session.send(b"new\nforce\ne2e4\ne2e5\n")
    suite.expect_equal(f"{name}: pong after the commands before it", ping(session, 2),
                       b"Illegal move: e2e5\n" + b"pong 2\r\n")
    finish(suite, f"{name}: ping", session)

    # A ping right behind a move the engine must answer comes after the move.
    session = start(path)
    session.send(b"new\nst 1\ne2e4\nping 3\n")
    out = session.read_until(b"pong 3\r\n", 20) or b""
    suite.check(f"{name}: move, then pong", MOVE.match(out) is not None and out.endswith(b"pong 3\r\n"),
                repr(out))
    finish(suite, f"{name}: ping after a move", session)

    # A ping during the search for the engine's move is answered after it.
    session = start(path)
    session.send(b"new\nst 1\ngo\n")
    time.sleep(0.3)
    out = ping(session, 4) or b""
    suite.check(f"{name}: ping during a search waits for the move",
                MOVE.match(out) is not None and out.endswith(b"pong 4\r\n"), repr(out))
    finish(suite, f"{name}: ping during a search", session)

    # While pondering the answer comes at once and the pondering goes on.
    session = start(path)
    session.send(b"new\nhard\nst 1\ngo\n")
    first = session.read_until(b"\r\n", 20) or b""
    suite.check(f"{name}: ponder setup move", MOVE.fullmatch(first) is not None, repr(first))
    time.sleep(0.3)
    began = time.monotonic()
    out = ping(session, 5, timeout=5)
    suite.expect_equal(f"{name}: pong while pondering", out, b"pong 5\r\n")
    suite.check(f"{name}: pong while pondering is prompt", time.monotonic() - began < 2)
    session.send(b"force\n")
    suite.expect_equal(f"{name}: force ends pondering quietly", ping(session, 6), b"pong 6\r\n")
    finish(suite, f"{name}: ping while pondering", session)


def thinking_lines(text):
    return [m for m in THINKING.finditer(text or b"")]


def restart(session, command, number):
    """Sends a command and a ping behind it: once the pong is back the
    command has been handled, and what follows belongs to it."""
    session.send(command + b"\nping %d\n" % number)
    return session.read_until(b"pong %d\r\n" % number, 20)


def lines_until(session, done, timeout=20):
    """Thinking lines as they come, until done(lines) or the timeout."""
    deadline = time.monotonic() + timeout
    lines = []
    text = b""
    while time.monotonic() < deadline and not done(lines):
        line = session.read_until(b"\r\n", max(0.1, deadline - time.monotonic()))
        if line is None:
            break
        text += line
        match = THINKING.fullmatch(line)
        if match:
            lines.append(match)
    return lines, text


def black_moves(lines):
    return all(line.group(5)[1:2] in b"78" for line in lines)


def white_moves(lines):
    return all(line.group(5)[1:2] in b"12" for line in lines)


def analysis_cases(suite, name, path):
    session = start(path)
    restart(session, b"new\nforce\ne2e4\nanalyze", 1)
    lines, text = lines_until(session, lambda found: found and int(found[-1].group(1)) >= 6)
    suite.check(f"{name}: analysis shows Black's lines", len(lines) >= 3 and black_moves(lines), repr(text[:200]))
    depths = [int(line.group(1)) for line in lines]
    suite.check(f"{name}: analysis deepens", depths == sorted(depths) and depths[-1] >= 6, repr(depths))
    session.send(b".\n")
    out = session.read_until(b"stat01: ", 10) or b""
    out += session.read_until(b"\r\n", 10) or b""
    suite.check(f"{name}: status line", STATUS.search(out) is not None, repr(out[-200:]))
    suite.check(f"{name}: analysis plays no move", b"move " not in text + out, repr(text[:200]))

    # A move restarts the analysis on the new position, White to move.
    restart(session, b"e7e5", 2)
    lines, text = lines_until(session, lambda found: len(found) >= 3)
    suite.check(f"{name}: a move restarts it", len(lines) >= 3 and white_moves(lines), repr(text[:200]))

    # "undo" takes the move back: Black to move again.
    restart(session, b"undo", 3)
    lines, text = lines_until(session, lambda found: len(found) >= 3)
    suite.check(f"{name}: undo restarts it", len(lines) >= 3 and black_moves(lines), repr(text[:200]))

    # "setboard" restarts it: a mate in one is found and shown as a mate.
    restart(session, b"setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - -", 4)
    lines, text = lines_until(session, lambda found: found and found[-1].group(5).startswith(b"a1a8"))
    suite.check(f"{name}: setboard restarts it", lines and lines[-1].group(5).startswith(b"a1a8")
                and int(lines[-1].group(2)) == 100001, repr(text[-200:]))

    # "new" restarts it on the start position, White to move.
    restart(session, b"new", 5)
    lines, text = lines_until(session, lambda found: len(found) >= 3)
    suite.check(f"{name}: new restarts it", len(lines) >= 3 and white_moves(lines), repr(text[:200]))

    # A mated position: nothing to show, no result line, still answering.
    restart(session, b"setboard rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", 6)
    time.sleep(0.3)
    suite.expect_equal(f"{name}: mated position shows nothing", ping(session, 7), b"pong 7\r\n")

    # "exit" leaves analysis in force mode: moves are recorded, not answered.
    restart(session, b"new", 8)
    restart(session, b"exit", 9)
    session.send(b"e2e4\n")
    time.sleep(0.5)
    out = ping(session, 10) or b""
    suite.check(f"{name}: exit leaves force mode", out.endswith(b"pong 10\r\n") and b"move" not in out,
                repr(out[-200:]))
    session.send(b"st 1\ngo\n")
    out = session.read_until(b"\r\n", 20) or b""
    while THINKING.fullmatch(out):
        out = session.read_until(b"\r\n", 20) or b""
    suite.check(f"{name}: go after analysis plays Black", MOVE.fullmatch(out) is not None
                and out[6:7] in b"78", repr(out))
    finish(suite, f"{name}: analysis", session)

    # Outside analysis "." and "exit" are ignored.
    session = start(path)
    session.send(b"new\n.\nexit\n")
    suite.expect_equal(f"{name}: . and exit outside analysis", ping(session, 1), b"pong 1\r\n")
    finish(suite, f"{name}: outside analysis", session)


def analysis_goes_on(suite, name, path):
    """Analysis stops only at "exit": commands that change nothing restart
    it, a search that ends by itself still answers ".", and scores are exact."""
    session = start(path)
    restart(session, b"new\nforce\ne2e4\npost\nanalyze", 1)
    lines_until(session, lambda found: len(found) >= 3)
    for number, command in enumerate((b"force", b"undo\nundo", b"remove\nremove\nremove"), 2):
        restart(session, command, number)
        lines, text = lines_until(session, lambda found: len(found) >= 3, timeout=10)
        suite.check(f"{name}: analysis goes on after {command!r}", len(lines) >= 3, repr(text[-200:]))
        session.send(b".\n")
        out = session.read_until(b"\r\n", 10) or b""
        while THINKING.fullmatch(out):
            out = session.read_until(b"\r\n", 10) or b""
        suite.check(f"{name}: status after {command!r}", STATUS.fullmatch(out) is not None, repr(out))
    # One legal move: the search ends by itself and is not started again.
    restart(session, b"setboard k7/8/8/8/8/8/1r6/K7 w - -", 9)
    time.sleep(1.0)
    out = ping(session, 10) or b""
    suite.check(f"{name}: a finished analysis is not repeated", 1 <= len(thinking_lines(out)) <= 8, repr(out[-300:]))
    session.send(b".\n")
    out = session.read_until(b"\r\n", 10) or b""
    suite.check(f"{name}: status after the search ended", STATUS.fullmatch(out) is not None, repr(out))
    # A proven mate is shown once, as 100000 + moves to mate.
    restart(session, b"setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - -", 11)
    time.sleep(1.0)
    out = ping(session, 12) or b""
    mates = [line for line in thinking_lines(out) if line.group(2) == b"100001"]
    suite.check(f"{name}: a mate is shown once", len(mates) == 1, repr(out[-300:]))
    restart(session, b"setboard 7k/8/8/8/8/8/r7/6K1 b - -", 13)
    finish(suite, f"{name}: analysis goes on", session)

    # Exact scores: the same search as UCI's, score for score (one thread
    # searches the same tree every time).
    if name.startswith("MP"):
        return
    session = start(path)
    restart(session, b"new\nforce\ne2e4\nanalyze", 1)
    lines, text = lines_until(session, lambda found: found and int(found[-1].group(1)) >= 6)
    finish(suite, f"{name}: analysis scores", session)
    uci = Session(path)
    uci.read_until(b"warranty.\n")
    uci.send(b"uci\nucinewgame\nposition startpos moves e2e4\ngo depth 6\n")
    uci_text = uci.read_until(b"bestmove", 30) or b""
    uci.send(b"quit\n")
    uci.close()
    analysed = {(int(line.group(1)), int(line.group(2))) for line in lines}
    searched = {(int(depth), int(score)) for depth, score in re.findall(rb"info depth (\d+) \S+ \d+ score cp (-?\d+)",
                                                                         uci_text)}
    suite.check(f"{name}: analysis scores are exact", analysed and analysed <= searched,
                f"{sorted(analysed)} against {sorted(searched)}")


def main():
    suite = Suite()
    for name, path in suite.programs(flavours=("SP",), personalities=("Active",)):
        ping_cases(suite, name, path)
        analysis_cases(suite, name, path)
    for name, path in suite.programs(personalities=("Active",)):
        analysis_goes_on(suite, name, path)
    for name, path in suite.programs(personalities=("Passive",)):
        session = start(path)
        session.send(b"xboard\nnew\nforce\ne2e4\nanalyze\n")
        time.sleep(0.5)
        out = ping(session, 1) or b""
        suite.check(f"{name}: features and analysis", out.startswith(xboard_features(path)) and
                    len(thinking_lines(out)) >= 1, repr(out[:200]))
        finish(suite, f"{name}: analysis", session)
    suite.finish()


if __name__ == "__main__":
    main()
