"""A single-threaded search to a fixed depth after "new" finds the same
move with the same node count every time: twice in one process (so
nothing a search leaves behind survives "new"), again in a second process,
and in the 64- and 32-bit programs of a personality alike.

The thinking line after the move carries the node count; it shows the
search of this move only when that search took 100 ms or more, so each
depth below makes some hundreds of thousands of nodes."""
import re

from transcript import PERSONALITIES, Session, Suite

# Position and "sd" value: middle games, a sharp one and a rook ending.
SEARCHES = (
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 10),
    ("2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 w - - 0 1", 11),
    ("r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - - 0 1", 12),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 14),
)
THINKING = re.compile(rb"(-?\d+) (-?\d+) (\d+) (\d+) ((?:[a-h][1-8][a-h][1-8][qrbn ] ?)+)\r\n")
SEARCH_SECONDS = 120


def search_results(session):
    """One pass over SEARCHES in a running program: per search, the move,
    depth, node count and variation of the line after the move (the score
    carries a random jitter and is left out), or None when it is missing
    or still shows the search before."""
    results = []
    previous = None
    for fen, depth in SEARCHES:
        session.send(f"new\nforce\nsetboard {fen}\npost\nsd {depth}\ngo\n".encode())
        move = session.read_until(b"\r\n", SEARCH_SECONDS)
        line = session.read_until(b"\r\n", SEARCH_SECONDS)
        parsed = THINKING.fullmatch(line or b"")
        if move is None or not move.startswith(b"move ") or not parsed:
            results.append(None)
            continue
        shown = (move.strip(), parsed.group(1), parsed.group(4), parsed.group(5).split())
        fresh = previous is None or shown[1:3] != previous[1:3]
        results.append(shown if fresh else None)
        previous = shown
    return results


def runs(path):
    """Two passes in one process, then one in another."""
    passes = []
    for passes_in_process in (2, 1):
        session = Session(path)
        session.send(b"xboard\n")
        session.read_until(b"feature done=1\r\n", SEARCH_SECONDS)
        for _ in range(passes_in_process):
            passes.append(search_results(session))
        session.send(b"quit\n")
        session.close()
    return passes


def main():
    suite = Suite()
    for personality in PERSONALITIES:
        reference = None
        for name, path in suite.programs(flavours=("SP",), personalities=(personality,)):
            for number, results in enumerate(runs(path)):
                for (fen, depth), shown in zip(SEARCHES, results):
                    label = f"{name} run {number + 1}, sd {depth} of {fen}"
                    suite.check(f"{label}: a move and its own thinking line", shown is not None)
                if reference is None:
                    reference = results
                    reference_name = name
                    continue
                for (fen, depth), shown, expected in zip(SEARCHES, results, reference):
                    if shown is not None and expected is not None:
                        suite.expect_equal(f"{name} run {number + 1} against {reference_name} run 1, "
                                           f"sd {depth} of {fen}", shown, expected)
    suite.finish()


main()
