"""What a tournament manager or GUI asks of an xboard engine beyond play:
"memory", "cores", "hint" and the MultiPV option in analysis."""
import re

from test_ping_analysis import finish, lines_until, ping, restart, start
from transcript import Session, Suite

HINT = re.compile(rb"Hint: ([a-h][1-8][a-h][1-8](?:=[nbrq])?)\r\n")


def process_status(session, field):
    """A number from /proc/PID/status (Linux): VmRSS in kB, Threads."""
    with open(f"/proc/{session.process.pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return None


def memory_and_cores(suite, name, path, mp):
    session = Session(path, args=("hashsize=1", "threads=2"), env={"NUMBER_OF_PROCESSORS": "4"})
    session.read_until(b"warranty.\n")
    restart(session, b"xboard\nprotover 2\nnew", 1)
    small = process_status(session, "VmRSS")
    # A new game clears the whole table, so its pages are in memory.
    restart(session, b"memory 300\nnew", 2)
    large = process_status(session, "VmRSS")
    suite.check(f"{name}: memory 300 takes a 256 MiB table", large - small > 200000, f"{small} kB, then {large} kB")
    restart(session, b"memory 3\nnew", 3)
    after = process_status(session, "VmRSS")
    suite.check(f"{name}: memory 3 gives it back", after < small + 20000, f"{small} kB, then {after} kB")
    if mp:
        before = process_status(session, "Threads")
        restart(session, b"cores 4", 4)
        grown = process_status(session, "Threads")
        restart(session, b"cores 9", 5)
        capped = process_status(session, "Threads")
        suite.check(f"{name}: cores 4 starts two more search threads, never more than the processors",
                    grown == before + 2 and capped == grown, f"{before}, {grown}, {capped}")
    session.send(b"sd 3\ngo\n")
    out = session.read_until(b"\r\n", 30) or b""
    suite.check(f"{name}: plays after memory and cores", out.startswith(b"move "), repr(out))
    finish(suite, f"{name}: memory and cores", session)


def hint(suite, name, path):
    session = start(path)
    # The engine plays a move and expects a reply: that reply is the hint.
    session.send(b"xboard\nnew\nsd 5\ngo\n")
    session.read_until(b"move ", 30)
    session.read_until(b"\r\n", 10)
    session.send(b"hint\n")
    out = ping(session, 1) or b""
    match = HINT.match(out)
    suite.check(f"{name}: hint names the expected reply", match is not None, repr(out))
    # Once the opponent has moved there is nothing to hint.
    session.send(b"force\n" + (match.group(1) if match else b"e7e5") + b"\nhint\n")
    out = ping(session, 2) or b""
    suite.check(f"{name}: no hint after the opponent moved", b"Hint" not in out, repr(out))
    finish(suite, f"{name}: hint", session)


def multipv_analysis(suite, name, path):
    session = start(path)
    restart(session, b"xboard\nnew\nforce\noption MultiPV=3\nanalyze", 1)
    lines, text = lines_until(session, lambda found: sum(1 for line in found if line.group(1) == b"6") >= 3)
    sixth = [line for line in lines if line.group(1) == b"6"]
    firsts = {line.group(5).split()[0] for line in sixth}
    scores = [int(line.group(2)) for line in sixth]
    suite.check(f"{name}: MultiPV 3 shows three lines a depth", len(sixth) == 3 and len(firsts) == 3 and
                scores == sorted(scores, reverse=True), repr(text[-500:]))
    finish(suite, f"{name}: MultiPV", session)


def main():
    suite = Suite()
    for name, path in suite.programs(personalities=("Active",)):
        mp = name.startswith("MP")
        if not suite.windows:
            memory_and_cores(suite, name, path, mp)
        hint(suite, name, path)
        multipv_analysis(suite, name, path)
    suite.finish()


if __name__ == "__main__":
    main()
