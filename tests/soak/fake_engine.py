"""A scripted engine for the referee's own tests, in xboard or UCI (the
first line chooses, as in the real programs): it plays the first legal
move (in UCI with the first legal reply as its ponder move), and
misbehaves once its move number reaches the `after` argument, in the way
the mode argument names: good, illegal, unparsable, crash, signal, hang,
slow, steady (thinks 0.1 s a move), claim, refuse, grow (holds 16 MiB
more at every new game), apart (as grow, in processes outside its own
tree, as Wine starts one), and in
UCI also early (answers "go ponder" at once), badponder (an illegal
ponder move), deaf (never answers "stop") and miss (predicts the last
legal reply, which the other fakes never play)."""
import os
import signal
import sys
import time

import chess_rules

mode = sys.argv[1]
after = int(sys.argv[2]) if len(sys.argv) > 2 else 1
position = chess_rules.parse_fen(chess_rules.START_FEN)
force = True
moves_made = 0
pondering = False
held = []


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def new_game():
    """Every game from the second on holds more memory in "grow" mode."""
    global position
    position = chess_rules.parse_fen(chess_rules.START_FEN)
    if mode == "grow" and moves_made >= after:
        held.append(b"\x01" * (16 << 20))
    if mode == "apart" and moves_made >= after:
        hold_apart(16 << 20)


def hold_apart(size):
    """A process that the init process adopts holds size bytes until this
    one ends."""
    owner = os.getpid()
    if os.fork() == 0:
        if os.fork() == 0:
            os.close(0)
            os.close(1)
            block = b"\x01" * size  # noqa: F841 (held while it waits)
            while os.path.exists(f"/proc/{owner}"):
                time.sleep(0.2)
        os._exit(0)
    os.wait()


def misbehaves_by_dying():
    """The misbehaviours that end or stall the process."""
    if mode == "crash":
        sys.exit(3)
    if mode == "signal":
        os.kill(os.getpid(), signal.SIGSEGV)
    if mode == "hang":
        time.sleep(3600)
    if mode == "slow":
        time.sleep(1.5)
    if mode == "steady":
        time.sleep(0.1)


def first_move_text(board, last=False):
    moves = chess_rules.legal_moves(board)
    return chess_rules.move_text(moves[-1 if last else 0]) if moves else None


def play():
    """An xboard move."""
    global position, moves_made
    moves_made += 1
    misbehave = moves_made >= after
    if misbehave:
        misbehaves_by_dying()
    if misbehave and mode == "illegal":
        say("move a1a8  ")
        return
    if misbehave and mode == "unparsable":
        say("move castle")
        return
    move = chess_rules.legal_moves(position)[0]
    text = chess_rules.move_text(move)
    say("move " + (text[:4] + "=" + text[4] if len(text) == 5 else text + "  "))
    position = chess_rules.make_move(position, move)
    if misbehave and mode == "claim":
        say("1-0 {White mates}")


def xboard_line(words):
    global position, force
    if words[0] == "xboard":
        say("feature setboard=1\nfeature ping=1\nfeature done=1")
    elif words[0] == "new":
        new_game()
        force = False
    elif words[0] == "force":
        force = True
    elif words[0] == "go":
        force = False
        play()
    elif words[0] == "ping":
        say("pong " + words[1])
    elif len(words) == 1 and chess_rules.find_move(position, words[0]) is not None:
        position = chess_rules.make_move(position, chess_rules.find_move(position, words[0]))
        if mode == "refuse" and moves_made + 1 >= after:
            say("Illegal move: " + words[0])
            return
        if not force and chess_rules.legal_moves(position):
            play()


def bestmove(counted):
    """A UCI answer in the position set up; a counted one is a move of the
    engine's own turn and may misbehave."""
    global moves_made
    if counted:
        moves_made += 1
    misbehave = counted and moves_made >= after
    if misbehave:
        misbehaves_by_dying()
    if misbehave and mode == "illegal":
        say("bestmove a1a8")
        return
    if misbehave and mode == "unparsable":
        say("bestmove castle")
        return
    text = first_move_text(position)
    if text is None:
        say("bestmove 0000")
        return
    reply = first_move_text(chess_rules.make_move(position, chess_rules.find_move(position, text)), mode == "miss")
    if misbehave and mode == "badponder":
        reply = "a1a8"
    say(f"bestmove {text}" + (f" ponder {reply}" if reply else ""))


def set_position(words):
    """"position startpos moves ..."; in "refuse" mode a move is refused."""
    global position
    position = chess_rules.parse_fen(chess_rules.START_FEN)
    for text in words[3:]:
        if mode == "refuse" and moves_made + 1 >= after:
            say(f"info string illegal move '{text}' in position: ignored")
            return
        position = chess_rules.make_move(position, chess_rules.find_move(position, text))


def uci_line(words):
    global pondering
    if words[0] == "uci":
        say("id name fake\nuciok")
    elif words[0] == "isready":
        say("readyok")
    elif words[0] == "ucinewgame":
        new_game()
    elif words[0] == "position":
        set_position(words)
    elif words[0] == "go" and "ponder" in words:
        pondering = True
        if mode == "early" and moves_made + 1 >= after:
            pondering = False
            bestmove(False)
    elif words[0] == "go":
        bestmove(True)
    elif words[0] == "ponderhit" and pondering:
        pondering = False
        bestmove(True)
    elif words[0] == "stop" and pondering and not (mode == "deaf" and moves_made + 1 >= after):
        pondering = False
        bestmove(False)


uci = None
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if uci is None:
        uci = words[0] == "uci"
    if words[0] == "quit":
        sys.exit(0)
    if uci:
        uci_line(words)
    else:
        xboard_line(words)
