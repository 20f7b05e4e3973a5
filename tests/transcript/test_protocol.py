"""The protocol loop over pipes: commands, moves, results and take-backs."""
import random

from transcript import Suite, run, xboard_features

# The answer to "xboard" of the program under test, set in main().
FEATURES = b""
REFUSED = b"tellusererror Illegal position\r\n"


def illegal(text):
    return b"Illegal move: " + text.encode() + b"\n"


def after_banner(output):
    """The output with the three banner lines removed."""
    return output.split(b"\n", 3)[3] if output.count(b"\n") >= 3 else b""


def knight_shuffle(count):
    cycle = ["g1f3", "g8f6", "f3g1", "f6g8"]
    return [cycle[i % 4] for i in range(count)]


# (label, input lines, expected output after the banner)
def cases():
    return [
    ("xboard and unknown commands",
     ["xboard", "protover 2", "accepted setboard", "random", "hint", "perft",
      "blocked_score 5", "posting", "quit"],
     FEATURES),
    ("carriage return and blanks",
     ["xboard\r", "   ", "\t xboard", "xboard   \r"],
     FEATURES * 2),
    ("command followed by = works", ["sd=8", "xboard=1"], FEATURES),
    ("move shapes",
     ["new", "force", "E2E4", "e2e9", "o-o", "e2e5", "e2e4x", "e2e4"],
     illegal("e2e5") + illegal("e2e4x")),
    ("fool's mate announced once",
     ["new", "force", "f2f3", "e7e5", "g2g4", "d8h4", "e2e4", "xboard"],
     b"0-1 {Black wins}\r\n" + illegal("e2e4") + FEATURES),
    ("white mates",
     ["new", "force", "e2e4", "f7f6", "d2d4", "g7g5", "d1h5"],
     b"1-0 {White wins}\r\n"),
    ("undo after mate returns to waiting",
     ["new", "force", "f2f3", "e7e5", "g2g4", "d8h4", "undo", "d8g5", "h2h3"],
     b"0-1 {Black wins}\r\n"),
    ("stalemate",
     ["setboard k7/8/8/1Q6/8/8/8/7K w - -", "force", "b5b6"],
     b"1/2-1/2 {Draw}\r\n"),
    ("repetition announced once at the twelfth ply",
     ["new", "force"] + knight_shuffle(11) + ["xboard"] + knight_shuffle(20)[11:],
     FEATURES + b"1/2-1/2 {Draw}\r\n"),
    ("castling forms",
     ["setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "force", "O-O", "0-0-0",
      "O-O", "g1g2", "c8b8", "0-0-0", "O-O-O+"],
     illegal("O-O") + illegal("0-0-0") + illegal("O-O-O+")),
    ("castling through check refused",
     ["setboard r3k2r/8/8/8/8/8/8/R2qK2R w KQkq -", "force", "O-O-O", "e1d1"],
     illegal("O-O-O")),
    ("promotions need their letter",
     ["setboard 7k/P7/8/8/8/8/8/K7 w - -", "force", "a7a8", "a7a8n", "h8g7",
      "a8b6", "undo", "undo", "undo", "a7a8=Q", "h8h7", "a8b6"],
     illegal("a7a8") + illegal("a8b6")),
    ("en passant from the position text",
     ["setboard rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
      "force", "e5f6", "g7f6", "undo", "undo", "e5d6"],
     illegal("e5d6")),
    ("take-backs",
     ["undo", "remove", "new", "force", "e2e4", "remove", "e7e5", "e2e4", "e7e5",
      "remove", "e2e4", "e7e5", "g1f3", "undo", "undo", "undo", "undo", "e2e4"],
     illegal("e7e5")),
    ("unplayable positions are refused",
     ["setboard 8/8/8/8/8/8/8/8 w - -", "e2e4", "go", "xboard",
      "setboard 4k3/8/8/8/8/8/8/3KK3 w - -", "setboard 4k3/8/8/8/8/8/4R3/4K3 w - -",
      "setboard P3k3/8/8/8/8/8/8/4K3 w - -", "setboard 4k3/8/8/8/8/8/8/4K3 w - -",
      "force", "e1e2"],
     REFUSED + illegal("e2e4") + FEATURES + REFUSED + REFUSED + REFUSED),
    ("setboard without a text changes nothing",
     ["new", "force", "e2e4", "setboard", "e7e5"],
     b""),
]


def transcript_cases(suite, name, path):
    for label, lines, expected in cases():
        data = ("\n".join(lines) + "\nquit\n").encode()
        code, out = run(path, data, timeout=20)
        suite.expect_equal(f"{name}: {label}", (code, after_banner(out)), (0, expected))


def fifty_move_case(suite, name, path):
    rook = ["a3", "b3", "c3", "d3", "d4", "c4", "b4", "a4", "a5"]
    king = ["g8", "h8"]
    moves = []
    for i in range(50):
        moves.append(rook[i % 9] + rook[(i + 1) % 9])
        moves.append(king[i % 2] + king[(i + 1) % 2])
    lines = ["setboard 6k1/8/8/8/8/R7/8/7K w - -", "force"] + moves[:99] + ["xboard"]
    lines += moves[99:] + ["xboard"]
    data = ("\n".join(lines) + "\nquit\n").encode()
    code, out = run(path, data, timeout=20)
    suite.expect_equal(f"{name}: fifty-move rule", after_banner(out),
                       FEATURES + b"1/2-1/2 {Draw}\r\n" + FEATURES)


def long_game_case(suite, name, path):
    """A game far longer than the record: it keeps working."""
    lines = ["new", "force"] + knight_shuffle(2400) + ["undo"] * 300 + ["e2e4", "xboard"]
    data = ("\n".join(lines) + "\nquit\n").encode()
    code, out = run(path, data, timeout=60)
    suite.expect_equal(f"{name}: long game", (code, after_banner(out)),
                       (0, b"1/2-1/2 {Draw}\r\n" + FEATURES))


def argument_cases(suite, name, path):
    code, out = run(path, b"force\nb5b6\nnew\nforce\nb5b6\nquit\n",
                    args=("setboard=k7/8/8/1Q6/8/8/8/7K w - -", "sd=3"), timeout=20)
    suite.expect_equal(f"{name}: setboard argument starts every game", (code, after_banner(out)),
                       (0, b"1/2-1/2 {Draw}\r\n" * 2))
    code, out = run(path, b"new\nhard\ntime -214748364800\nsd 2\ngo\nxboard\nquit\n", timeout=20)
    suite.check(f"{name}: lowest clock with pondering still moves",
                code == 0 and b"\nmove " in out, f"exit {code}, tail {out[-60:]!r}")
    code, out = run(path, b"xboard\nquit\n", args=("new", "xboard", "hashsize=3"), timeout=20)
    suite.expect_equal(f"{name}: new argument does not loop", (code, after_banner(out)),
                       (0, FEATURES * 3))


def fuzz_case(suite, name, path, seed):
    """Random and mutated lines: no crash, no hang, and still answering."""
    rng = random.Random(seed)
    words = ["new", "force", "go", "undo", "remove", "setboard", "level", "time", "otim",
             "st", "sd", "post", "nopost", "hard", "easy", "computer", "name", "?",
             "hint", "kibitz", "draw_score", "e2e4", "e7e5", "O-O", "0-0-0", "a7a8q",
             "g1f3", "b8c6", "xboard"]
    lines = []
    for _ in range(3000):
        kind = rng.random()
        if kind < 0.5:
            line = rng.choice(words) + " " + " ".join(
                str(rng.randint(-10**12, 10**12)) for _ in range(rng.randint(0, 3)))
        elif kind < 0.8:
            line = rng.choice(words)
            line = "".join(c if rng.random() > 0.2 else chr(rng.randint(1, 255)) for c in line)
        else:
            line = "".join(chr(rng.randint(1, 255)) for _ in range(rng.randint(0, 400)))
        if line.startswith(("go", "quit")):
            continue
        lines.append(line.replace("\n", " "))
    data = "\n".join(lines).encode("latin-1") + b"\nnew\nforce\nxboard\nquit\n"
    code, out = run(path, data, timeout=120)
    suite.check(f"{name}: fuzz seed {seed}", code == 0 and out.endswith(FEATURES),
                f"exit {code}, tail {out[-60:]!r}")


def main():
    global FEATURES
    suite = Suite()
    for name, path in suite.programs(flavours=("SP",), personalities=("Active",)):
        FEATURES = xboard_features(path)
        transcript_cases(suite, name, path)
        fifty_move_case(suite, name, path)
        long_game_case(suite, name, path)
        argument_cases(suite, name, path)
        for seed in (1, 2):
            fuzz_case(suite, name, path, seed)
    for name, path in suite.programs():
        code, out = run(path, b"new\nforce\nf2f3\ne7e5\ng2g4\nd8h4\nquit\n", timeout=20)
        suite.expect_equal(f"{name}: short game", after_banner(out), b"0-1 {Black wins}\r\n")
    suite.finish()


if __name__ == "__main__":
    main()
