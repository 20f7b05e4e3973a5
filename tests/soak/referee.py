"""A referee for games between two xboard engines over pipes.

It keeps the position with its own rules (chess_rules.py) and the clocks
itself, and stops a game at the first fault of either engine:

- illegal:    a move that is not legal in the position;
- unparsable: a "move" line it cannot read;
- refused:    the engine called one of the referee's legal moves illegal;
- crash:      the process ended (or died on a signal) during the game, or
              did not end with code 0 after "quit";
- hang:       no move (or no answer to "ping") long after its clock ran out;
- time:       a move that came after the clock plus the grace had run out;
- claim:      a result line the position does not justify.

The referee ends a game itself on mate, stalemate, fifty moves, threefold
repetition, dead material or the move cap (a draw). A clock counts from
the moment the referee has written the engine's last command line to the
moment the "move" line arrives, so pipe and scheduling latency count
against the engine; the grace (100 ms by default) covers them.
"""
import collections
import queue
import re
import subprocess
import threading
import time

import chess_rules

MOVE_LINE = re.compile(r"move ([a-h][1-8][a-h][1-8])(?:=([nbrq])|  |([nbrq]))?")
RESULT_LINE = re.compile(r"(1-0|0-1|1/2-1/2)(?:\s.*)?")
# How long an engine may take to answer "xboard", "ping" or "quit", and how
# much past its clock a move may come before the engine counts as hung
# (seconds; an emulated program gets a multiple).
ANSWER_SECONDS = 10
HANG_SECONDS = 10


class Fault(Exception):
    """A fault of one engine that ends the game."""

    def __init__(self, kind, side, detail):
        super().__init__(f"{kind}: {detail}")
        self.kind = kind
        self.side = side
        self.detail = detail


class TimeControl:
    """Base seconds and increment seconds per move, e.g. 5 + 0.05."""

    def __init__(self, text):
        base, _, increment = text.partition("+")
        self.base_ms = round(float(base) * 1000)
        self.increment_ms = round(float(increment or "0") * 1000)

    def level_command(self):
        seconds = self.base_ms // 1000
        increment = f"{self.increment_ms / 1000:g}"
        return f"level 0 {seconds // 60}:{seconds % 60:02d} {increment}"

    def __str__(self):
        return f"{self.base_ms / 1000:g}+{self.increment_ms / 1000:g}"


class Engine:
    """An engine process over pipes; a thread reads its output lines with
    the time they arrived. Every line both ways goes to the transcript."""

    def __init__(self, label, command, env, cwd, transcript, slowdown):
        self.label = label
        self.transcript = transcript
        self.slowdown = slowdown
        self.start_time = time.monotonic()
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, env=env, cwd=cwd)
        self.lines = queue.Queue()
        self.features = {}
        self.in_force_mode = True
        self.ended = False
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.process.stdout:
            self.lines.put((time.monotonic(), raw.decode("latin-1").rstrip("\r\n")))
        self.lines.put((time.monotonic(), None))

    def note(self, direction, text, at=None):
        at = time.monotonic() if at is None else at
        self.transcript.append(f"{at - self.start_time:9.3f} {self.label}{direction} {text}")

    def send(self, *lines):
        """Writes the lines; the time after the last one is written."""
        try:
            for line in lines:
                self.note(">", line)
                self.process.stdin.write(line.encode() + b"\n")
            self.process.stdin.flush()
        except (BrokenPipeError, OSError):
            pass  # the reader sees the end and reports the crash
        return time.monotonic()

    def move_command(self, text):
        return ("usermove " if self.features.get("usermove") == "1" else "") + text

    def next_line(self, until):
        """(arrival time, line) by the monotonic time `until`; the line is
        None at the end of the output, and (None, None) at the deadline."""
        left = until - time.monotonic()
        try:
            at, line = self.lines.get(timeout=max(left, 0.001))
        except queue.Empty:
            return None, None
        if line is None:
            self.ended = True
            self.lines.put((at, None))  # the end stays visible
        else:
            self.note("<", line, at)
        return at, line

    def exit_description(self):
        try:
            code = self.process.wait(timeout=2 * self.slowdown)
        except subprocess.TimeoutExpired:
            return "closed its output but kept running"
        return f"died on signal {-code}" if code < 0 else f"exited with code {code}"

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


class Game:
    """One game between two started engines; white and black are Engine
    objects. play() leaves (result, reason) in play_result or raises
    Fault."""

    def __init__(self, white, black, opening, control, grace_ms, max_plies):
        self.engines = {True: white, False: black}
        self.opening = opening
        self.control = control
        self.grace_ms = grace_ms
        self.max_plies = max_plies
        self.position = chess_rules.parse_fen(chess_rules.START_FEN)
        self.repetitions = collections.Counter()
        self.moves = []
        self.clock_ms = {True: control.base_ms, False: control.base_ms}
        self.ping_number = 0
        self.play_result = None

    def fault(self, engine, kind, detail):
        return Fault(kind, "white" if self.engines[True] is engine else "black", detail)

    def read_line(self, engine, until, waiting_for):
        at, line = engine.next_line(until)
        if at is None:
            raise self.fault(engine, "hang", f"no {waiting_for}")
        if line is None:
            raise self.fault(engine, "crash", engine.exit_description() + f" while the referee waited for {waiting_for}")
        return at, line

    def judge_line(self, engine, line, final):
        """Faults in a line that is not the awaited answer. A result claim
        is right only in the final position, and only the right result."""
        claim = RESULT_LINE.fullmatch(line)
        if claim:
            ending = self.ending() if final else None
            if ending is None or ending[0] != claim.group(1):
                expected = "the game goes on" if ending is None else f"{ending[0]} ({ending[1]})"
                raise self.fault(engine, "claim", f"claimed {line!r} where {expected}, position {self.position.fen()}")
        elif line.startswith("Illegal move"):
            raise self.fault(engine, "refused", f"{line!r} after legal moves, position {self.position.fen()}")
        elif line.startswith("move "):
            raise self.fault(engine, "illegal", f"a move out of turn: {line!r}")

    def handshake(self, engine):
        until = time.monotonic() + ANSWER_SECONDS * engine.slowdown
        engine.send("xboard", "protover 2")
        while True:
            _, line = self.read_line(engine, until, "'feature done=1'")
            for name, value in re.findall(r'(\w+)=("[^"]*"|\S+)', line) if line.startswith("feature") else ():
                engine.features[name] = value.strip('"')
            if engine.features.get("done") == "1":
                return

    def ping(self, engine, final=False):
        """Waits until the engine has dealt with everything sent so far,
        judging what it writes meanwhile."""
        if engine.features.get("ping") != "1":
            return
        self.ping_number += 1
        engine.send(f"ping {self.ping_number}")
        until = time.monotonic() + ANSWER_SECONDS * engine.slowdown
        while True:
            _, line = self.read_line(engine, until, f"'pong {self.ping_number}'")
            if line == f"pong {self.ping_number}":
                return
            self.judge_line(engine, line, final)

    def set_up(self, engine, threads):
        engine.send("new", "computer", "post", "easy", self.control.level_command(), "force")
        if threads > 1:
            engine.send(f"cores {threads}")
        engine.send(*(engine.move_command(text) for text in self.opening))
        engine.in_force_mode = True
        self.ping(engine)

    def ending(self):
        """(result, reason) when the position ends the game, else None."""
        position = self.position
        if not chess_rules.legal_moves(position):
            if chess_rules.in_check(position):
                return ("0-1" if position.white_to_move else "1-0"), "checkmate"
            return "1/2-1/2", "stalemate"
        if position.halfmove >= 100:
            return "1/2-1/2", "fifty moves"
        if self.repetitions[chess_rules.repetition_key(position)] >= 3:
            return "1/2-1/2", "threefold repetition"
        if chess_rules.insufficient_material(position):
            return "1/2-1/2", "insufficient material"
        return None

    def apply(self, move):
        self.position = chess_rules.make_move(self.position, move)
        self.moves.append(chess_rules.move_text(move))
        self.repetitions[chess_rules.repetition_key(self.position)] += 1

    def engine_move(self, engine, last_move):
        """Gives the engine its clocks and the opponent's move, waits for
        its answer and charges its clock; the move played."""
        white = self.position.white_to_move
        own, other = self.clock_ms[white], self.clock_ms[not white]
        clock_lines = [f"time {max(own, 0) // 10}", f"otim {max(other, 0) // 10}"]
        if engine.in_force_mode:
            lines = ([engine.move_command(last_move)] if last_move else []) + clock_lines + ["go"]
            engine.in_force_mode = False
        else:
            lines = clock_lines + [engine.move_command(last_move)]
        started = engine.send(*lines)
        grace = self.grace_ms * engine.slowdown
        until = started + (max(own, 0) + grace) / 1000 + HANG_SECONDS * engine.slowdown
        while True:
            arrived, line = self.read_line(engine, until, f"move within {max(own, 0) + grace} ms")
            if line.startswith("move "):
                break
            self.judge_line(engine, line, final=False)
        parsed = MOVE_LINE.fullmatch(line)
        if not parsed:
            raise self.fault(engine, "unparsable", repr(line))
        text = parsed.group(1) + (parsed.group(2) or parsed.group(3) or "")
        move = chess_rules.find_move(self.position, text)
        if move is None:
            raise self.fault(engine, "illegal", f"{line!r} in {self.position.fen()}")
        used = (arrived - started) * 1000
        if used > own + grace:
            raise self.fault(engine, "time", f"{used:.0f} ms used with {own} ms on the clock, {grace} ms grace")
        self.clock_ms[white] = own - round(used) + self.control.increment_ms
        return move

    def play(self, threads):
        """threads: a dict engine -> search threads ("cores")."""
        for engine in self.engines.values():
            if not engine.features:
                self.handshake(engine)
            self.set_up(engine, threads[engine])
        for text in self.opening:
            self.apply(chess_rules.find_move(self.position, text))
        last_move = None
        while True:
            ending = self.ending()
            if ending is None and len(self.moves) >= self.max_plies:
                ending = "1/2-1/2", f"move cap of {self.max_plies} plies"
            if ending is not None:
                break
            engine = self.engines[self.position.white_to_move]
            move = self.engine_move(engine, last_move)
            self.apply(move)
            last_move = chess_rules.move_text(move)
        self.finish(last_move, ending)
        self.play_result = ending

    def finish(self, last_move, ending):
        """Hands the last move to the engine that did not play it (so it can
        claim the result) and judges what both still say."""
        mover = self.engines[not self.position.white_to_move]
        waiting = self.engines[self.position.white_to_move]
        self.ping(mover, final=True)
        self.ping(waiting, final=False)
        waiting.send("force")
        waiting.in_force_mode = True
        if last_move:
            waiting.send(waiting.move_command(last_move))
        self.ping(waiting, final=True)
        for engine in self.engines.values():
            engine.send(f"result {ending[0]} {{{ending[1]}}}")


def random_opening(rng, plies):
    """A few random legal plies from the start that do not end the game."""
    while True:
        position = chess_rules.parse_fen(chess_rules.START_FEN)
        texts = []
        for _ in range(plies):
            moves = chess_rules.legal_moves(position)
            if not moves:
                break
            move = rng.choice(moves)
            texts.append(chess_rules.move_text(move))
            position = chess_rules.make_move(position, move)
        if len(texts) == plies and chess_rules.legal_moves(position):
            return texts


def quit_engine(game, engine):
    """Sends "quit": the engine must end with code 0."""
    if engine.ended:
        raise game.fault(engine, "crash", engine.exit_description())
    engine.send("quit")
    try:
        code = engine.process.wait(timeout=ANSWER_SECONDS * engine.slowdown)
    except subprocess.TimeoutExpired:
        engine.kill()
        raise game.fault(engine, "hang", "still running after 'quit'")
    if code != 0:
        raise game.fault(engine, "crash", f"{'died on signal ' + str(-code) if code < 0 else 'exited with code ' + str(code)} after 'quit'")


def start_engine(label, program, transcript):
    """program: a dict from program_record()."""
    return Engine(label, program["command"], program["env"], program["cwd"], transcript, program["slowdown"])


def play_pair(first, second, opening, control, grace_ms, max_plies):
    """Two games of the same opening between two programs (the same one
    twice is fine) on one pair of processes, colours swapped. Yields, per
    game, a dict with white, black, result, reason, fault (Fault or None),
    moves, final_fen and transcript. A fault ends the pair."""
    transcript = []
    programs = (first, second)
    engines = (start_engine("1", first, transcript), start_engine("2", second, transcript))
    try:
        for round_number in range(2):
            white_index = round_number
            white, black = engines[white_index], engines[1 - white_index]
            game = Game(white, black, opening, control, grace_ms, max_plies)
            record = {"white": programs[white_index]["name"], "black": programs[1 - white_index]["name"],
                      "opening": opening, "result": None, "reason": None, "fault": None}
            try:
                game.play({white: programs[white_index]["threads"], black: programs[1 - white_index]["threads"]})
                record["result"], record["reason"] = game.play_result
                if round_number == 1:
                    for engine in engines:
                        quit_engine(game, engine)
            except Fault as fault:
                record["fault"] = fault
            record["moves"] = list(game.moves)
            record["final_fen"] = game.position.fen()
            record["transcript"] = list(transcript)
            yield record
            if record["fault"] is not None:
                return
    finally:
        for engine in engines:
            engine.kill()


def program_record(name, command, threads, slowdown, cwd, env):
    """What play_pair needs to know of a program."""
    return {"name": name, "command": command, "threads": threads, "slowdown": slowdown,
            "cwd": cwd, "env": env}
