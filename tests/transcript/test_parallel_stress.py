"""The MP programs, with 2, 3 and 4 threads, under many short searches that
"?", "force" and "quit" stop at random moments: each must answer, never
hang and never crash. With more than one worker, workers own splits of
their own, get work returned undone and see nested cut-offs.
A helper left behind would keep the engine waiting for its pool after the
search, so every stop is followed by a command that needs an answer."""
import os
import random
import re
import time

from transcript import FEATURES_DONE, Session, Suite

FEATURES = FEATURES_DONE  # the end of the answer to "xboard"
MOVE = re.compile(rb"move [a-h][1-8][a-h][1-8](?:=[nbrq]|  )\r\n")
POSITIONS = (
    b"r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - - 0 1",
    b"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    b"2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 w - - 0 1",
    b"r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/R4RK1 w - - 0 1",
)
SEARCHES_PER_THREAD_COUNT = 20
THREAD_COUNTS = (2, 3, 4)
ANSWER_SECONDS = 10


def start(path, threads):
    session = Session(path, args=(f"threads={threads}",), env={"NUMBER_OF_PROCESSORS": str(threads)})
    session.banner = session.read_until(b"warranty.\n", ANSWER_SECONDS) or b""
    return session


def answers(session):
    """The engine still reads and answers its input."""
    session.send(b"xboard\n")
    return session.read_until(FEATURES, ANSWER_SECONDS) is not None


def wait_for_move(session):
    text = session.read_until(b"\r\n", ANSWER_SECONDS)
    while text is not None and not text.startswith(b"move "):
        text = session.read_until(b"\r\n", ANSWER_SECONDS)
    return text is not None and MOVE.fullmatch(text) is not None


def stress(suite, name, path, threads, rng):
    session = start(path, threads)
    suite.check(f"{name}: the banner names {threads} threads",
                f", {threads} threads)".encode() in session.banner, repr(session.banner[:120]))
    for round_number in range(SEARCHES_PER_THREAD_COUNT):
        label = f"{name} threads={threads} search {round_number}"
        session.send(b"new\nforce\nsetboard " + rng.choice(POSITIONS) + b"\nst 30\ngo\n")
        time.sleep(rng.uniform(0.0, 0.15))
        stop = rng.choice((b"?", b"force", b"quit"))
        session.send(stop + b"\n")
        if stop == b"?":
            suite.check(f"{label}: '?' gives a move", wait_for_move(session))
        elif stop == b"force":
            suite.check(f"{label}: answers after 'force'", answers(session))
        else:
            suite.expect_equal(f"{label}: exit code after 'quit'", session.close(), 0)
            session = start(path, threads)
    session.send(b"quit\n")
    suite.expect_equal(f"{name} threads={threads}: exit code", session.close(), 0)


def main():
    suite = Suite()
    rng = random.Random(20261208)
    # A sanitizer build may hold only some of the programs.
    programs = [(name, path) for name, path in suite.programs(flavours=("MP",))
                if os.path.exists(path)]
    suite.check("an MP program to stress", bool(programs))
    for name, path in programs:
        for threads in THREAD_COUNTS:
            stress(suite, name, path, threads, rng)
    suite.finish()


main()
