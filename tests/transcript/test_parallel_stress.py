"""The MP programs under many short searches that "?", "force" and "quit"
stop at random moments: each must answer, never hang and never crash.
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
SEARCHES_PER_PROGRAM = 30
ANSWER_SECONDS = 10


def start(path):
    session = Session(path, args=("threads=2",), env={"NUMBER_OF_PROCESSORS": "2"})
    session.read_until(b"warranty.\n", ANSWER_SECONDS)
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


def stress(suite, name, path, rng):
    session = start(path)
    for round_number in range(SEARCHES_PER_PROGRAM):
        label = f"{name} search {round_number}"
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
            session = start(path)
    session.send(b"quit\n")
    suite.expect_equal(f"{name}: exit code", session.close(), 0)


def main():
    suite = Suite()
    rng = random.Random(20261208)
    # A sanitizer build may hold only some of the programs.
    programs = [(name, path) for name, path in suite.programs(flavours=("MP",))
                if os.path.exists(path)]
    suite.check("an MP program to stress", bool(programs))
    for name, path in programs:
        stress(suite, name, path, rng)
    suite.finish()


main()
