"""A scripted xboard engine for the referee's own tests: it plays the
first legal move, and misbehaves once its move number reaches the
`after` argument, in the way the mode argument names:
good, illegal, unparsable, crash, signal, hang, slow, claim, refuse."""
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


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def play():
    global position, moves_made
    moves_made += 1
    misbehave = moves_made >= after
    if misbehave and mode == "crash":
        sys.exit(3)
    if misbehave and mode == "signal":
        os.kill(os.getpid(), signal.SIGSEGV)
    if misbehave and mode == "hang":
        time.sleep(3600)
    if misbehave and mode == "slow":
        time.sleep(1.5)
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


for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if words[0] == "xboard":
        say("feature setboard=1\nfeature ping=1\nfeature done=1")
    elif words[0] == "new":
        position, force = chess_rules.parse_fen(chess_rules.START_FEN), False
    elif words[0] == "force":
        force = True
    elif words[0] == "go":
        force = False
        play()
    elif words[0] == "ping":
        say("pong " + words[1])
    elif words[0] == "quit":
        sys.exit(0)
    elif len(words) == 1 and chess_rules.find_move(position, words[0]) is not None:
        position = chess_rules.make_move(position, chess_rules.find_move(position, words[0]))
        if mode == "refuse" and moves_made + 1 >= after:
            say("Illegal move: " + words[0])
            continue
        if not force and chess_rules.legal_moves(position):
            play()
