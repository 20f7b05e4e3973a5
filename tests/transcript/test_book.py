"""The opening book: the default book in the programs' folder, a book
built from PGN and followed move by move, games set up by "setboard",
damaged book files, and the book tool's reports."""
import os
import re
import shutil
import subprocess
import tempfile

from transcript import Session, Suite, run

START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
MOVE = re.compile(rb"^move (\S+)", re.M)
THINKING = re.compile(rb"^\s*\d+\s+-?\d+\s+\d+\s+\d+", re.M)

# White's moves are the only ones at their place, so an engine playing
# White must follow each line exactly. The PGN exercises comments,
# variations, NAGs, castling, a promotion and, in game 5, a bad move.
GAMES = """\
[Event "one"]
[Result "1-0"]
1. e4 {the king's pawn} e5 $1 2. Nf3 (2. f4 exf4 (2... d5)) Nc6 3. Bb5 a6
4. Ba4 Nf6 5. O-O Be7 1-0

[Event "two"]
[Result "1-0"]
1. e4 c5 2. Nf3 d6 ; the Najdorf follows
3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6 1-0

[Event "three"]
[Result "1-0"]
1.e4 d5 2.exd5 c6 3.dxc6 Nf6 4.cxb7 Nbd7 5.bxa8=Q 1-0

[Event "four"]
[Result "1-0"]
1. e4 e6 2. d4 d5 3. Nc3 Bb4 1-0

[Event "five"]
[Result "1-0"]
1. e4 e5 2. Nf3 Nf3 3. Bc4 1-0
"""
LINES = [
    ["e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6", "e1g1", "f8e7"],
    ["e2e4", "c7c5", "g1f3", "d7d6", "d2d4", "c5d4", "f3d4", "g8f6", "b1c3", "a7a6"],
    ["e2e4", "d7d5", "e4d5", "c7c6", "d5c6", "g8f6", "c6b7", "b8d7", "b7a8=q"],
    ["e2e4", "e7e6", "d2d4", "d7d5", "b1c3", "f8b4"],
]


def tool(suite, *args):
    return subprocess.run([os.path.join(suite.bin, "quorvel-book"), *args],
                          capture_output=True, text=True, timeout=120)


def engine_moves(output):
    return [m.decode() for m in MOVE.findall(output)]


def searched_reply(program, folder, commands):
    """The output up to the engine's move; quit only after it, so that the
    search is not cut short."""
    session = Session(program, cwd=folder)
    session.send(commands)
    output = session.read_until(b"move ", timeout=60) or b""
    session.send(b"quit\n")
    code = session.close()
    # The move's line and the thinking line after it.
    rest = session.process.stdout.read() or b""
    return code, output + session.buffer + rest


def default_book_cases(suite):
    """Started in build/bin, every program answers "go" from the book: a
    first move of the default book, at once, without a thinking line."""
    dump = tool(suite, "dump", "--depth", "1", os.path.join(suite.bin, "Quorvel.dat"))
    suite.expect_equal("default book dumps", dump.returncode, 0)
    roots = {line.split()[0] for line in dump.stdout.splitlines()}
    suite.check("default book has several first moves", len(roots) >= 5, repr(roots))
    for name, path in suite.programs():
        code, output = run(path, b"xboard\npost\nnew\ngo\nquit\n", cwd=suite.bin)
        moves = engine_moves(output)
        suite.check(f"{name} plays a book move", len(moves) == 1 and moves[0] in roots, output)
        suite.check(f"{name} does not search", not THINKING.search(output), output)


def round_trip_cases(suite, folder):
    pgn = os.path.join(folder, "games.pgn")
    book = os.path.join(folder, "Quorvel.dat")
    with open(pgn, "w") as out:
        out.write(GAMES)
    built = tool(suite, "build", book, pgn)
    suite.expect_equal("build succeeds", built.returncode, 0)
    suite.check("a bad move is reported with its game number",
                'games.pgn: game 5: move 2... "Nf3" is illegal' in built.stderr, built.stderr)
    dump = tool(suite, "dump", book)
    suite.expect_equal("dump succeeds", dump.returncode, 0)
    # Wins count 2 for White's moves, losses 0 for Black's; the bad game
    # adds its moves before the bad one.
    suite.expect_equal("dump of the root", dump.stdout.splitlines()[0], "e2e4 10")
    suite.check("the promotion is stored", "        b7a8 2" in dump.stdout, dump.stdout)
    suite.check("castling is stored as the king's move", "e1g1 2" in dump.stdout, dump.stdout)
    shallow = tool(suite, "dump", "--depth", "2", book)
    suite.expect_equal("dump to depth 2", shallow.stdout,
                       "e2e4 10\n  e7e5 0\n  c7c5 0\n  d7d5 0\n  e7e6 0\n")

    program = os.path.join(suite.bin, "SP-Active-Quorvel_64-bit")
    for line in LINES:
        # The engine plays White; Black's moves are sent after each reply.
        data = b"xboard\nnew\nsd 1\ngo\n" + b"".join(m.encode() + b"\n" for m in line[1::2]) + b"quit\n"
        code, output = run(program, data, cwd=folder)
        moves = engine_moves(output)
        suite.expect_equal(f"engine follows {line[0]}..{line[-1]}", moves[:len(line[::2])], line[::2])

    # "setboard" with the start position: no book, even though it holds 1.e4.
    code, output = searched_reply(program, folder,
                                  f"xboard\nnew\nsetboard {START_FEN}\npost\nsd 3\ngo\n".encode())
    suite.check("setboard games search", THINKING.search(output) is not None, output)
    code, output = run(program, b"xboard\nnew\npost\nsd 3\ngo\nquit\n", cwd=folder)
    suite.check("new games use the book", engine_moves(output) == ["e2e4"] and not THINKING.search(output),
                output)


def damaged_book_cases(suite, folder):
    """Every kind of damage gives no book move: the engine, playing Black
    after 1.e4, searches instead of answering 1...e5 from the book."""
    program = os.path.join(suite.bin, "SP-Active-Quorvel_64-bit")
    book = os.path.join(folder, "Quorvel.dat")
    pgn = os.path.join(folder, "draw.pgn")
    with open(pgn, "w") as out:
        out.write("1. e4 e5 2. Nf3 1/2-1/2\n")
    suite.expect_equal("build the draw book", tool(suite, "build", book, pgn).returncode, 0)
    good = open(book, "rb").read()
    commands = b"xboard\nnew\npost\nsd 4\ne2e4\n"
    code, output = searched_reply(program, folder, commands)
    suite.check("intact: the book answers", engine_moves(output) == ["e7e5"] and not THINKING.search(output),
                output)
    damaged = {
        "format mark 10": bytes([10]) + good[1:],
        "root count 200": good[:1] + bytes([200]) + good[2:],
        "root list past the end": good[:1] + bytes([127]) + good[2:],
        "header only": good[:8],
        "link past the end": good[:8] + bytes([0xFF, 0xFF, 0x7F, 0x02]) + good[12:],
        "no children": good[:8] + bytes([2, 0, 0, 0]) + good[12:],
        "zero weight": good[:20] + bytes([0x34, 0x09, 0, 0]) + good[24:],
        "truncated record": good[:12],
        "empty file": b"",
    }
    for label, data in damaged.items():
        with open(book, "wb") as out:
            out.write(data)
        code, output = searched_reply(program, folder, commands)
        suite.check(f"{label}: the engine searches", code == 0 and len(engine_moves(output)) == 1
                    and THINKING.search(output) is not None, output)
        # A list without children or weights is well formed; the rest is not.
        dump = tool(suite, "dump", book)
        if label in ("no children", "zero weight"):
            suite.expect_equal(f"{label}: dump accepts it", dump.returncode, 0)
        else:
            suite.check(f"{label}: dump reports the record",
                        dump.returncode == 1 and dump.stderr.startswith("record "), dump.stderr)


def tool_usage_cases(suite, folder):
    suite.expect_equal("no arguments", tool(suite).returncode, 2)
    suite.expect_equal("unknown option", tool(suite, "build", "--frobnicate", "x.dat", "y.pgn").returncode, 2)
    suite.expect_equal("missing PGN", tool(suite, "build", os.path.join(folder, "x.dat"),
                                           os.path.join(folder, "none.pgn")).returncode, 1)
    empty = os.path.join(folder, "empty.pgn")
    open(empty, "w").close()
    result = tool(suite, "build", os.path.join(folder, "x.dat"), empty)
    suite.check("no games: nothing written", result.returncode == 1
                and not os.path.exists(os.path.join(folder, "x.dat")), result.stderr)
    # A folder where a file belongs: an error, never a crash.
    for args in (("dump", folder), ("build", os.path.join(folder, "y.dat"), folder),
                 ("build", "--from-polyglot", folder, os.path.join(folder, "y.dat"))):
        result = tool(suite, *args)
        suite.check(f"a folder for a file: {args[:2]}", result.returncode == 1, f"{result.returncode} {result.stderr}")
    odd = os.path.join(folder, "odd.bin")
    with open(odd, "wb") as out:
        out.write(b"\0" * 17)
    suite.expect_equal("not a Polyglot book", tool(suite, "build", "--from-polyglot", odd,
                                                   os.path.join(folder, "x.dat")).returncode, 1)


def unusual_book_paths(suite, folder):
    """A folder or a FIFO named like the book is no book: the engine neither
    blocks on it nor fails, it searches."""
    program = os.path.join(suite.bin, "SP-Active-Quorvel_64-bit")
    for label in ("folder", "FIFO"):
        place = tempfile.mkdtemp(prefix="quorvel_path_", dir=folder)
        book = os.path.join(place, "Quorvel.dat")
        os.mkdir(book) if label == "folder" else os.mkfifo(book)
        code, output = searched_reply(program, place, b"xboard\nnew\npost\nsd 3\ne2e4\n")
        suite.check(f"a {label} for a book: the engine searches", code == 0 and len(engine_moves(output)) == 1
                    and THINKING.search(output) is not None, output)


def main():
    suite = Suite()
    folder = tempfile.mkdtemp(prefix="quorvel_book_")
    try:
        default_book_cases(suite)
        round_trip_cases(suite, folder)
        damaged_book_cases(suite, folder)
        tool_usage_cases(suite, folder)
        unusual_book_paths(suite, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    suite.finish()


main()
