"""The referee's own checks: its move generator against the reference perft
counts, its game endings and claim judgement, its clocks, and a scripted
engine (fake_engine.py) misbehaving in each way the referee must catch, in
xboard and in UCI, with and without pondering, in long-lived series."""
import os
import sys

import chess_rules
import referee
import soak

HERE = os.path.dirname(os.path.abspath(__file__))
failures = []


def check(label, condition, detail=""):
    if not condition:
        failures.append(label)
        print(f"FAIL {label}" + (f": {detail}" if detail else ""))


def game_at(fen, history=()):
    """A Game that has reached the FEN, with earlier positions for
    repetition; no engines."""
    game = referee.Game(None, None, [], referee.TimeControl("1+0"), 100, 300)
    for earlier in history:
        game.repetitions[chess_rules.repetition_key(chess_rules.parse_fen(earlier))] += 1
    game.position = chess_rules.parse_fen(fen)
    game.repetitions[chess_rules.repetition_key(game.position)] += 1
    return game


def judged(game, line, final=True):
    """The fault kind the line earns, or None."""
    try:
        game.judge_line(None, line, final)
    except referee.Fault as fault:
        return fault.kind
    return None


def check_endings():
    mate = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"
    check("mate ends the game", game_at(mate).ending() == ("0-1", "checkmate"))
    check("the right mate claim passes", judged(game_at(mate), "0-1 {Black mates}") is None)
    check("the wrong winner is a bad claim", judged(game_at(mate), "1-0 {White mates}") == "claim")
    check("a draw claim at mate is bad", judged(game_at(mate), "1/2-1/2 {Draw}") == "claim")
    check("a claim while the game goes on is bad", judged(game_at(mate), "0-1 {Black mates}", False) == "claim")
    stalemate = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"
    check("stalemate is a draw", game_at(stalemate).ending() == ("1/2-1/2", "stalemate"))
    fifty = "8/8/4k3/8/8/3RK3/8/8 b - - 100 80"
    check("fifty moves are a draw", game_at(fifty).ending() == ("1/2-1/2", "fifty moves"))
    check("99 plies are not", game_at(fifty.replace(" 100 ", " 99 ")).ending() is None)
    # Mate on the hundredth ply counts as mate.
    check("mate beats fifty moves", game_at("R5k1/5ppp/8/8/8/8/8/6K1 b - - 100 80").ending()[1] == "checkmate")
    knights = "8/8/4k3/8/8/3NK3/8/8 b - - 0 1"
    check("a lone knight cannot mate", game_at(knights).ending() == ("1/2-1/2", "insufficient material"))
    check("bishops on one colour cannot mate",
          chess_rules.insufficient_material(chess_rules.parse_fen("8/8/4k3/3b4/8/3BK3/8/8 w - - 0 1")))
    check("bishops on both colours can",
          not chess_rules.insufficient_material(chess_rules.parse_fen("8/8/4k3/2b5/8/3BK3/8/8 w - - 0 1")))
    check("a pawn can", not chess_rules.insufficient_material(chess_rules.parse_fen("8/8/4k3/8/8/3PK3/8/8 w - - 0 1")))
    rook_ending = "8/8/4k3/8/8/3RK3/8/8 b - - 8 60"
    check("the third time is a repetition", game_at(rook_ending, [rook_ending] * 2).ending()[1] == "threefold repetition")
    check("the second is not", game_at(rook_ending, [rook_ending]).ending() is None)
    # An en passant square without a capture does not make a position new.
    check("a dead en passant square is ignored",
          chess_rules.repetition_key(chess_rules.parse_fen("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1"))
          == chess_rules.repetition_key(chess_rules.parse_fen("4k3/8/8/8/4P3/8/8/4K3 b - - 0 1")))
    check("a live one is not",
          chess_rules.repetition_key(chess_rules.parse_fen("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1"))
          != chess_rules.repetition_key(chess_rules.parse_fen("4k3/8/8/8/3pP3/8/8/4K3 b - - 0 1")))


def fake(mode, after=1, protocol="xboard", ponder=False):
    command = [sys.executable, os.path.join(HERE, "fake_engine.py"), mode, str(after)]
    env = dict(os.environ, PYTHONPATH=HERE)
    return referee.program_record(f"fake-{mode}", command, 1, 1, HERE, env, protocol, ponder)


def check_faults():
    referee.HANG_SECONDS = 1
    control = referee.TimeControl("1+0.01")
    opening = ["e2e4", "e7e5"]
    games = list(referee.play_pair(fake("good"), fake("good"), opening, control, 100, 40))
    check("two good games", len(games) == 2 and all(game["fault"] is None for game in games),
          [str(game["fault"]) for game in games])
    check("they end by the cap", games[0]["reason"] == "move cap of 40 plies", games[0]["reason"])
    for mode, kind in (("illegal", "illegal"), ("unparsable", "unparsable"), ("crash", "crash"),
                       ("signal", "crash"), ("hang", "hang"), ("slow", "time"), ("claim", "claim"),
                       ("refuse", "refused")):
        games = list(referee.play_pair(fake("good"), fake(mode, 3), opening, control, 100, 40))
        fault = games[0]["fault"]
        check(f"{mode} is caught", fault is not None and fault.kind == kind and fault.side == "black",
              str(fault))
        check(f"{mode} ends the pair", len(games) == 1)


def check_uci_faults():
    """The same faults in UCI with pondering on, and the ponder-only ones:
    a bestmove before "ponderhit", a ponder move that is not legal, no
    answer to "stop"."""
    control = referee.TimeControl("1+0.01")
    opening = ["e2e4", "e7e5"]
    for ponder in (False, True):
        games = list(referee.play_pair(fake("good", 1, "uci", ponder), fake("good", 1, "uci", ponder),
                                       opening, control, 100, 40))
        check(f"two good UCI games, ponder {ponder}", len(games) == 2 and all(g["fault"] is None for g in games),
              [str(game["fault"]) for game in games])
        check(f"the UCI games end by the cap, ponder {ponder}", games[-1]["reason"] == "move cap of 40 plies")
    # The fake engine predicts the first legal reply, which the other
    # fake engine plays: every ponder is a hit.
    check("the fakes' ponder moves are hits", games[0]["ponder"][0] > 10 and games[0]["ponder"][1] == 0,
          games[0]["ponder"])
    modes = (("illegal", "illegal"), ("unparsable", "unparsable"), ("crash", "crash"), ("signal", "crash"),
             ("hang", "hang"), ("slow", "time"), ("refuse", "refused"), ("early", "protocol"),
             ("badponder", "illegal"), ("deaf", "hang"))
    for mode, kind in modes:
        # Against an early answer White takes a moment to move, so that the
        # answer always arrives before the referee would send "ponderhit".
        white = fake("steady" if mode == "early" else "good", 1, "uci", True)
        games = list(referee.play_pair(white, fake(mode, 3, "uci", True),
                                       opening, control, 100, 40))
        fault = games[0]["fault"]
        check(f"UCI {mode} is caught", fault is not None and fault.kind == kind and fault.side == "black",
              str(fault))


def check_ponder_miss():
    """A wrong prediction: "stop", its bestmove discarded, and a new search;
    against an xboard engine that ponders too."""
    control = referee.TimeControl("1+0.01")
    games = list(referee.play_pair(fake("good", 1, "xboard", True), fake("miss", 1, "uci", True),
                                   ["e2e4", "e7e5"], control, 100, 30))
    check("a mixed pair plays", all(game["fault"] is None for game in games), [str(g["fault"]) for g in games])
    check("the misses are stopped", games[0]["ponder"][0] == 0 and games[0]["ponder"][1] > 5, games[0]["ponder"])


def check_series():
    """A long-lived series: the memory of each process after every game,
    and a process that grows is a fault."""
    control = referee.TimeControl("1+0.01")
    openings = [["e2e4", "e7e5"], ["d2d4", "d7d5"]]
    for protocol in ("xboard", "uci"):
        games = list(referee.play_series(fake("good", 1, protocol, True), fake("good", 1, protocol, True),
                                         openings, control, 100, 20, 4))
        check(f"a {protocol} series of four", len(games) == 4 and all(g["fault"] is None for g in games),
              [str(game["fault"]) for game in games])
        check(f"{protocol}: memory after each game", all(len(game["memory_kib"]) == 2 for game in games))
        for mode in ("grow", "apart"):
            games = list(referee.play_series(fake("good", 1, protocol), fake(mode, 1, protocol),
                                             openings, control, 100, 20, 4))
            fault = games[-1]["fault"]
            check(f"{protocol}: growth is caught ({mode})",
                  len(games) == 2 and fault is not None and fault.kind == "memory", str(fault))


def check_clocks():
    """Repeating controls give the next control's time after the last move
    of one; "st" is whole seconds for xboard and as given for UCI."""
    control = referee.TimeControl("3/10")
    check("a repeating control's level", control.level_command() == "level 3 0:10 0")
    check("moves to go", [control.moves_to_go(made) for made in (0, 1, 2, 3)] == [3, 2, 1, 3])
    game = game_at(chess_rules.START_FEN)
    game.control = control
    game.clock_ms = {True: 10000, False: 10000}
    white = FakeClockEngine()
    game.moves = ["e2e4", "e7e5", "g1f3", "b8c6"]  # White's third move comes next
    game.charge(white, True, 0.0, 1.0)
    check("the control's time comes after its last move", game.clock_ms[True] == 19000, game.clock_ms)
    game.moves += ["f1c4", "g8f6"]
    game.charge(white, True, 0.0, 1.0)
    check("and not after the next", game.clock_ms[True] == 18000, game.clock_ms)
    check("the UCI go line", game.uci_go(False, 5) == "go wtime 18000 btime 10000 winc 0 binc 0 movestogo 1",
          game.uci_go(False, 5))
    fixed = referee.TimeControl("st=0.5")
    check("st for xboard", fixed.level_command() == "st 1" and fixed.fixed_ms_for("uci") == 500)
    game.control = fixed
    check("movetime for UCI", game.uci_go(True, 0) == "go movetime 500")
    try:
        game.charge(white, True, 0.0, 0.7)
        check("a late fixed-time move", False, "not caught")
    except referee.Fault as fault:
        check("a late fixed-time move", fault.kind == "time")


class FakeClockEngine:
    """Only what the clock reads of an engine."""
    protocol = "uci"
    slowdown = 1


def main():
    for error in soak.check_rules(os.path.join(HERE, "..", "data", "perft.txt")):
        check("perft", False, error)
    check_endings()
    check_faults()
    check_uci_faults()
    check_ponder_miss()
    check_series()
    check_clocks()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
