"""Searching under the protocol: moving now, the clock, pondering, and
commands that arrive while the engine thinks."""
import os
import re
import time

from transcript import FEATURES_DONE, Session, Suite, emulated, run

FEATURES = FEATURES_DONE  # the end of the answer to "xboard"
MOVE = re.compile(rb"move ([a-h][1-8][a-h][1-8](?:=[nbrq]|  ))\r\n")
THINKING = re.compile(rb"(\d+) (-?\d+) (\d+) (\d+) ((?:[a-h][1-8][a-h][1-8](?:[nbrq] |  ))+)\r\n")


def start(path):
    session = Session(path)
    session.read_until(b"warranty.\n")
    return session


def expect_move(suite, label, session, timeout=15):
    text = session.read_until(b"\r\n", timeout)
    while text is not None and not text.startswith(b"move "):
        text = session.read_until(b"\r\n", timeout)
    suite.check(label, text is not None and MOVE.fullmatch(text) is not None, repr(text))
    return text


def sync(session):
    """Everything written before the engine answers "xboard"."""
    session.send(b"xboard\n")
    return session.read_until(FEATURES, 20)


def finish(suite, label, session):
    session.send(b"quit\n")
    suite.expect_equal(f"{label} exit code", session.close(), 0)


def move_now(suite, name, path):
    session = start(path)
    session.send(b"new\ngo\n")
    time.sleep(0.5)
    session.send(b"?\n")
    expect_move(suite, f"{name}: ? moves at once", session, timeout=5)
    finish(suite, f"{name}: ?", session)


def fixed_time(suite, name, path):
    session = start(path)
    # An emulated program needs longer to reach the depth of a thinking line.
    seconds = 5 if emulated(path) else 1
    session.send(b"new\npost\nst %d\ngo\n" % seconds)
    began = time.monotonic()
    expect_move(suite, f"{name}: st {seconds} moves", session, timeout=15)
    suite.check(f"{name}: st {seconds} within a generous bound", time.monotonic() - began < seconds + 7)
    line = session.read_until(b"\r\n", 10)
    match = THINKING.fullmatch(line or b"")
    suite.check(f"{name}: thinking line format", match is not None, repr(line))
    if match:
        suite.check(f"{name}: thinking line depth", int(match.group(1)) >= 7, repr(line))
        suite.check(f"{name}: at most six moves", len(match.group(5)) <= 36, repr(line))
    finish(suite, f"{name}: st 1", session)


def clock_edges(suite, name, path):
    for setting in (b"level 0 0 0\ntime 0\notim 0\n", b"time -500\n", b"st 0\n",
                    b"level 40 5 0\ntime 99999999999\notim 5\nsd 6\n", b"time 50\nlevel 1 0 0\n"):
        session = start(path)
        session.send(b"new\n" + setting + b"go\n")
        expect_move(suite, f"{name}: moves with {setting!r}", session, timeout=15)
        finish(suite, f"{name}: {setting!r}", session)


def pondering(suite, name, path):
    for hit in (True, False):
        label = f"{name}: ponder {'hit' if hit else 'miss'}"
        session = start(path)
        session.send(b"new\nhard\npost\nst 1\ngo\n")
        expect_move(suite, f"{label} first move", session)
        line = session.read_until(b"\r\n", 10) or b""
        match = THINKING.fullmatch(line)
        suite.check(f"{label} thinking line", match is not None, repr(line))
        if not match:
            session.close()
            continue
        expected = match.group(5)[6:10].decode()
        reply = expected if hit else ("a7a6" if expected != "a7a6" else "h7h6")
        time.sleep(0.3)
        session.send(reply.encode() + b"\n")
        expect_move(suite, f"{label} answers", session)
        out = sync(session) or b""
        suite.check(f"{label} no illegal move", b"Illegal" not in out, repr(out))
        finish(suite, label, session)


def cpu_seconds(pid):
    """User and system time the process has used so far (Linux)."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def no_pondering_on_a_short_clock(suite, name, path):
    """With "hard" the engine ponders after its move, and a ponder search
    costs up to a poll step on every move; with its clock within the second
    kept in hand it waits instead, so that it answers at once. After a
    ponder hit of half a second on 1.1 s the clock (counting the ponder
    time) is within it. A ponder search shows itself by the processor time
    it takes."""
    for centiseconds, wanted in ((110, False), (3000, True)):
        label = f"{name}: pondering after a hit with time {centiseconds}: {wanted}"
        session = start(path)
        session.send(b"new\nhard\npost\nlevel 0 0:30 0\ntime 3000\notim 3000\ngo\n")
        expect_move(suite, f"{label} first move", session)
        match = THINKING.fullmatch(session.read_until(b"\r\n", 10) or b"")
        if not match or len(match.group(5)) < 12:
            suite.check(f"{label} expected reply", False, repr(match and match.group(0)))
            session.close()
            continue
        time.sleep(0.5)
        session.send(b"time %d\n" % centiseconds + match.group(5)[6:10] + b"\n")
        expect_move(suite, f"{label} answers", session)
        before = cpu_seconds(session.process.pid)
        time.sleep(1)
        used = cpu_seconds(session.process.pid) - before
        suite.check(label, (used > 0.3) == wanted, f"{used:.2f} s of processor time in a second")
        finish(suite, label, session)


def interruptions(suite, name, path):
    # "force" during a search: no move.
    session = start(path)
    session.send(b"new\ngo\n")
    time.sleep(0.3)
    session.send(b"force\n")
    out = sync(session) or b""
    suite.check(f"{name}: force stops without a move", b"move" not in out, repr(out))
    finish(suite, f"{name}: force", session)

    # "quit" during a search ends the program.
    session = start(path)
    session.send(b"new\ngo\n")
    time.sleep(0.3)
    session.send(b"quit\n")
    suite.expect_equal(f"{name}: quit during a search", session.close(timeout=10), 0)

    # "undo" while thinking: the opponent's move is taken back, no move.
    session = start(path)
    session.send(b"new\nforce\ne2e4\ngo\n")
    time.sleep(0.3)
    session.send(b"undo\n")
    out = sync(session) or b""
    suite.check(f"{name}: undo while thinking plays nothing", b"move" not in out, repr(out))
    session.send(b"force\ne2e4\nxboard\n")
    out = session.read_until(FEATURES, 10) or b""
    suite.check(f"{name}: undo while thinking took the move back", b"Illegal" not in out, repr(out))
    finish(suite, f"{name}: undo", session)

    # "remove" and "new" while pondering: the game as the front end sees it.
    for command, after in ((b"remove", b"force\ne2e4\n"), (b"new", b"force\ne2e4\n")):
        session = start(path)
        session.send(b"new\nhard\nst 1\ngo\n")
        expect_move(suite, f"{name}: {command!r} setup move", session)
        time.sleep(0.3)
        session.send(command + b"\n" + after)
        out = sync(session) or b""
        suite.check(f"{name}: {command!r} while pondering", b"Illegal" not in out and b"move" not in out,
                    repr(out))
        finish(suite, f"{name}: {command!r} while pondering", session)


def input_from_file(suite, name, path):
    """A script in a regular file: its waiting lines are read by the search."""
    code, out = run(path, b"new\ngo\n?\n", stdin_file=True, timeout=30)
    suite.check(f"{name}: script file stops the search", code == 0 and MOVE.search(out) is not None,
                f"exit {code}, {out[-60:]!r}")
    code, out = run(path, b"new\nsd 3\ngo\n", stdin_file=True, timeout=30)
    suite.check(f"{name}: script file sd 3", code == 0, f"exit {code}")


def main():
    suite = Suite()
    for name, path in suite.programs(flavours=("SP",), personalities=("Active",)):
        move_now(suite, name, path)
        fixed_time(suite, name, path)
        clock_edges(suite, name, path)
        pondering(suite, name, path)
        if not suite.windows:
            no_pondering_on_a_short_clock(suite, name, path)
        interruptions(suite, name, path)
        input_from_file(suite, name, path)
    for name, path in suite.programs():
        # The input ends under the search: it finishes and moves first.
        code, out = run(path, b"new\nsd 6\ngo\n", timeout=60)
        suite.check(f"{name}: sd 6 then go answers a move", code == 0 and MOVE.search(out) is not None,
                    repr(out[-80:]))
        code, out = run(path, b"new\nhard\nsd 4\ngo\n", timeout=60)
        suite.check(f"{name}: the end of input stops pondering", code == 0 and MOVE.search(out) is not None,
                    repr(out[-80:]))
    suite.finish()


if __name__ == "__main__":
    main()
