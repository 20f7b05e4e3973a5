"""A referee for games between two engines over pipes, each speaking
xboard or UCI, with or without pondering.

It keeps the position with its own rules (chess_rules.py) and the clocks
itself, and stops a game at the first fault of either engine:

- illegal:    a move that is not legal in the position;
- unparsable: a "move" line it cannot read;
- refused:    the engine called one of the referee's legal moves illegal;
- crash:      the process ended (or died on a signal) during the game, or
              did not end with code 0 after "quit";
- hang:       no move (or no answer to "ping") long after its clock ran out;
- time:       a move that came after the clock plus the grace had run out;
- claim:      a result line the position does not justify;
- protocol:   a UCI "bestmove" that came before "ponderhit" or "stop";
- memory:     the resident memory of a long-lived process grew past its
              figure after the first game of its series (see MEMORY_*).

The referee ends a game itself on mate, stalemate, fifty moves, threefold
repetition, dead material or the move cap (a draw). A clock counts from
the moment the referee has written the engine's last command line to the
moment the "move" line arrives, so pipe and scheduling latency count
against the engine; the grace (100 ms by default) covers them. With
pondering on, the engine's clock still runs only in its own turn: from the
move (xboard), "ponderhit" or "go" (UCI) to its answer.
"""
import collections
import itertools
import os
import queue
import re
import subprocess
import threading
import time

import chess_rules

# Each engine process carries this variable with a value of its own.
MARK_VARIABLE = "QUORVEL_REFEREE_ENGINE"
ENGINE_NUMBERS = itertools.count(1)
MOVE_LINE = re.compile(r"move ([a-h][1-8][a-h][1-8])(?:=([nbrq])|  |([nbrq]))?")
BESTMOVE_LINE = re.compile(r"bestmove (\S+)(?: ponder (\S+))?.*")
UCI_MOVE = re.compile(r"[a-h][1-8][a-h][1-8][nbrq]?")
RESULT_LINE = re.compile(r"(1-0|0-1|1/2-1/2)(?:\s.*)?")
# Words of a UCI "info string" that refuses a command.
UCI_REFUSALS = ("ignored", "illegal", "cannot", "unknown", "refused")
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


# A long-lived process may grow this much past its size after the first
# game before it counts as growing: the first game leaves the table, the
# caches and the thread stacks resident (the table is written whole at
# "new"), so what comes later is the allocator's slack and deeper stacks,
# not more data. A leak of a few kilobytes a game passes one series but
# shows as a steady climb in the figures printed per game.
MEMORY_TOLERANCE_KIB = 2048
MEMORY_TOLERANCE_SHARE = 0.03


class TimeControl:
    """A clock: "B+I" (base and increment seconds), "M/B[+I]" (M moves in B
    seconds, repeating) or "st=S" (S seconds for every move). xboard's
    "st" takes whole seconds, so an xboard engine gets S rounded up."""

    def __init__(self, text):
        self.moves_per_control = 0
        self.fixed_ms = 0
        if text.startswith("st="):
            self.fixed_ms = round(float(text[3:]) * 1000)
            self.base_ms = self.increment_ms = 0
            return
        moves, _, clock = text.rpartition("/")
        self.moves_per_control = int(moves) if moves else 0
        base, _, increment = clock.partition("+")
        self.base_ms = round(float(base) * 1000)
        self.increment_ms = round(float(increment or "0") * 1000)

    def fixed_ms_for(self, protocol):
        """The time per move the engine is told, in milliseconds."""
        if protocol == "xboard":
            return max(1000, -(-self.fixed_ms // 1000) * 1000)
        return self.fixed_ms

    def level_command(self):
        if self.fixed_ms:
            return f"st {self.fixed_ms_for('xboard') // 1000}"
        seconds = self.base_ms // 1000
        increment = f"{self.increment_ms / 1000:g}"
        return f"level {self.moves_per_control} {seconds // 60}:{seconds % 60:02d} {increment}"

    def moves_to_go(self, moves_made):
        """Moves left in the control for a side that has made moves_made."""
        return self.moves_per_control - moves_made % self.moves_per_control

    def __str__(self):
        if self.fixed_ms:
            return f"st={self.fixed_ms / 1000:g}"
        text = f"{self.base_ms / 1000:g}+{self.increment_ms / 1000:g}"
        return f"{self.moves_per_control}/{text}" if self.moves_per_control else text


class Engine:
    """An engine process over pipes; a thread reads its output lines with
    the time they arrived. Every line both ways goes to the transcript.
    protocol is "xboard" or "uci"; with ponder on it thinks on the
    opponent's time. A UCI engine that ponders keeps the move it ponders
    on in pondering, and the moves that lead to its position."""

    def __init__(self, label, command, env, cwd, transcript, slowdown, protocol="xboard", ponder=False):
        self.label = label
        self.protocol = protocol
        self.ponder = ponder
        self.pondering = None
        self.next_ponder = None
        self.ponder_moves = []
        self.transcript = transcript
        self.slowdown = slowdown
        self.start_time = time.monotonic()
        # Wine starts a Windows program as a process of its own outside the
        # launcher's tree; this variable in its environment finds it.
        self.mark = f"{MARK_VARIABLE}={os.getpid()}.{next(ENGINE_NUMBERS)}"
        env = dict(os.environ if env is None else env, **{MARK_VARIABLE: self.mark.split("=", 1)[1]})
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

    def resident_kib(self):
        """The resident memory of the process and of the processes it
        started (a runner such as qemu-i386 or Wine's launcher is only the
        first of them), in KiB; None once it has ended."""
        if self.process.poll() is not None:
            return None
        pids = set(process_tree(self.process.pid)) | set(marked_processes(self.mark))
        return sum(resident_kib(pid) for pid in pids)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def process_tree(root):
    """The process and its living descendants, from /proc."""
    children = collections.defaultdict(list)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        children[int(fields[1])].append(int(entry))
    found, waiting = [], [root]
    while waiting:
        pid = waiting.pop()
        found.append(pid)
        waiting.extend(children[pid])
    return found


def marked_processes(mark):
    """The processes whose environment holds mark ("NAME=value")."""
    wanted = mark.encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if wanted in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            continue
    return found


def resident_kib(pid):
    """VmRSS of one process in KiB (0 when it has gone)."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


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
        self.ponder_hits = 0
        self.ponder_misses = 0

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
        if engine is not None and engine.protocol == "uci":
            self.judge_uci_line(engine, line)
            return
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

    def judge_uci_line(self, engine, line):
        """The referee sends only sound UCI commands: an "info string" that
        refuses one of them is a fault."""
        if line.startswith("info string") and any(word in line for word in UCI_REFUSALS):
            raise self.fault(engine, "refused", f"{line!r}, position {self.position.fen()}")

    def wait_for(self, engine, answer, seconds=ANSWER_SECONDS):
        """Reads up to the line `answer`, judging the lines before it."""
        until = time.monotonic() + seconds * engine.slowdown
        while True:
            _, line = self.read_line(engine, until, repr(answer))
            if line == answer:
                return
            self.judge_line(engine, line, final=False)

    def handshake(self, engine):
        if engine.protocol == "uci":
            engine.send("uci")
            self.wait_for(engine, "uciok")
            if engine.ponder:
                engine.send("setoption name Ponder value true")
            engine.send("isready")
            self.wait_for(engine, "readyok")
            engine.features["uci"] = "1"
            return
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
        if engine.protocol == "uci":
            engine.send("isready")
            self.wait_for(engine, "readyok")
            return
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
        if engine.protocol == "uci":
            engine.pondering = None
            engine.send("ucinewgame")
            self.ping(engine)
            return
        engine.send("new", "computer", "post", "hard" if engine.ponder else "easy",
                    self.control.level_command(), "force")
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

    def moves_made(self, white, plies):
        """The moves a side has made after `plies` plies from the start."""
        return (plies + 1) // 2 if white else plies // 2

    def time_limit_ms(self, engine, white):
        """How long the engine may take for this move (grace aside)."""
        if self.control.fixed_ms:
            return self.control.fixed_ms_for(engine.protocol)
        return max(self.clock_ms[white], 0)

    def charge(self, engine, white, started, arrived):
        """Charges the engine's clock for a move, with the increment and,
        at the end of a control, the next control's time."""
        used = (arrived - started) * 1000
        limit = self.time_limit_ms(engine, white)
        grace = self.grace_ms * engine.slowdown
        if used > limit + grace:
            raise self.fault(engine, "time", f"{used:.0f} ms used with {limit} ms on the clock, {grace} ms grace")
        if self.control.fixed_ms:
            return
        self.clock_ms[white] -= round(used) - self.control.increment_ms
        per_control = self.control.moves_per_control
        if per_control and self.moves_made(white, len(self.moves) + 1) % per_control == 0:
            self.clock_ms[white] += self.control.base_ms

    def deadline(self, engine, white, started):
        """When a move that has not come counts as a hang."""
        limit = self.time_limit_ms(engine, white) + self.grace_ms * engine.slowdown
        return started + limit / 1000 + HANG_SECONDS * engine.slowdown

    def engine_move(self, engine, last_move):
        """Gives the engine its turn and the opponent's move, waits for its
        answer and charges its clock; the move played."""
        if engine.protocol == "uci":
            return self.uci_move(engine, last_move)
        return self.xboard_move(engine, last_move)

    def xboard_move(self, engine, last_move):
        white = self.position.white_to_move
        own, other = self.clock_ms[white], self.clock_ms[not white]
        clock_lines = [] if self.control.fixed_ms else [f"time {max(own, 0) // 10}", f"otim {max(other, 0) // 10}"]
        if engine.in_force_mode:
            lines = ([engine.move_command(last_move)] if last_move else []) + clock_lines + ["go"]
            engine.in_force_mode = False
        else:
            lines = clock_lines + [engine.move_command(last_move)]
        started = engine.send(*lines)
        until = self.deadline(engine, white, started)
        while True:
            arrived, line = self.read_line(engine, until, f"move within {self.time_limit_ms(engine, white)} ms")
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
        self.charge(engine, white, started, arrived)
        return move

    def uci_position(self, moves):
        return "position startpos" + (" moves " + " ".join(moves) if moves else "")

    def uci_go(self, white, plies, ponder=False):
        """The "go" line for the side to move after `plies` plies."""
        words = ["go"] + (["ponder"] if ponder else [])
        if self.control.fixed_ms:
            return " ".join(words + [f"movetime {self.control.fixed_ms}"])
        increment = self.control.increment_ms
        words += [f"wtime {max(self.clock_ms[True], 0)}", f"btime {max(self.clock_ms[False], 0)}",
                  f"winc {increment}", f"binc {increment}"]
        if self.control.moves_per_control:
            words.append(f"movestogo {self.control.moves_to_go(self.moves_made(white, plies))}")
        return " ".join(words)

    def uci_move(self, engine, last_move):
        """A ponder hit goes on with the running search; a miss stops it
        and starts a new one, as a front end does."""
        white = self.position.white_to_move
        predicted, engine.pondering = engine.pondering, None
        hit_at = None
        if predicted is not None and predicted == last_move:
            self.ponder_hits += 1
            hit_at = time.monotonic()
            started = engine.send("ponderhit")
        else:
            if predicted is not None:
                self.ponder_misses += 1
                self.stop_pondering(engine, predicted)
            started = engine.send(self.uci_position(self.moves), self.uci_go(white, len(self.moves)))
        arrived, line = self.await_bestmove(engine, self.deadline(engine, white, started),
                                            f"bestmove within {self.time_limit_ms(engine, white)} ms")
        if hit_at is not None and arrived < hit_at:
            raise self.fault(engine, "protocol", f"{line!r} before 'ponderhit'")
        best, ponder = self.read_bestmove(engine, line, self.position)
        self.charge(engine, white, started, arrived)
        after = chess_rules.make_move(self.position, best)
        if ponder is not None and chess_rules.find_move(after, ponder) is None:
            raise self.fault(engine, "illegal", f"ponder move in {line!r} is not legal in {after.fen()}")
        engine.next_ponder = ponder
        return best

    def await_bestmove(self, engine, until, waiting_for):
        """(arrival, line) of the next "bestmove", judging the lines before."""
        while True:
            arrived, line = self.read_line(engine, until, waiting_for)
            if line.startswith("bestmove"):
                return arrived, line
            self.judge_line(engine, line, final=False)

    def read_bestmove(self, engine, line, position):
        """The legal move of a "bestmove" line and its ponder text or None."""
        parsed = BESTMOVE_LINE.fullmatch(line)
        if not parsed or not UCI_MOVE.fullmatch(parsed.group(1)):
            raise self.fault(engine, "unparsable", repr(line))
        move = chess_rules.find_move(position, parsed.group(1))
        if move is None:
            raise self.fault(engine, "illegal", f"{line!r} in {position.fen()}")
        ponder = parsed.group(2)
        if ponder is not None and not UCI_MOVE.fullmatch(ponder):
            raise self.fault(engine, "unparsable", repr(line))
        return move, ponder

    def start_pondering(self, engine):
        """After the engine's move, "go ponder" on the reply it expects."""
        predicted, engine.next_ponder = engine.next_ponder, None
        if not (engine.ponder and engine.protocol == "uci" and predicted):
            return
        engine.ponder_moves = self.moves + [predicted]
        engine.pondering = predicted
        engine.send(self.uci_position(engine.ponder_moves),
                    self.uci_go(not self.position.white_to_move, len(engine.ponder_moves), ponder=True))

    def stop_pondering(self, engine, predicted):
        """"stop": the bestmove that answers it must come and be legal in the
        position pondered on; it is not played."""
        engine.pondering = None
        stop_at = time.monotonic()
        until = engine.send("stop") + ANSWER_SECONDS * engine.slowdown
        arrived, line = self.await_bestmove(engine, until, "bestmove after 'stop'")
        if arrived < stop_at:
            raise self.fault(engine, "protocol", f"{line!r} while pondering, before 'stop'")
        position = chess_rules.parse_fen(chess_rules.START_FEN)
        for text in engine.ponder_moves:
            position = chess_rules.make_move(position, chess_rules.find_move(position, text))
        if chess_rules.legal_moves(position) or not line.startswith("bestmove 0000"):
            self.read_bestmove(engine, line, position)

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
            if self.ending() is None:
                self.start_pondering(engine)
        self.finish(last_move, ending)
        self.play_result = ending

    def finish(self, last_move, ending):
        """Hands the last move to the xboard engine that did not play it (so
        it can claim the result), stops UCI engines that still ponder, and
        judges what both still say."""
        mover = self.engines[not self.position.white_to_move]
        waiting = self.engines[self.position.white_to_move]
        for engine in (mover, waiting):
            if engine.protocol == "uci" and engine.pondering is not None:
                self.stop_pondering(engine, engine.pondering)
        self.ping(mover, final=True)
        self.ping(waiting, final=False)
        if waiting.protocol == "xboard":
            waiting.send("force")
            waiting.in_force_mode = True
            if last_move:
                waiting.send(waiting.move_command(last_move))
            self.ping(waiting, final=True)
        for engine in self.engines.values():
            if engine.protocol == "xboard":
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
    return Engine(label, program["command"], program["env"], program["cwd"], transcript, program["slowdown"],
                  program.get("protocol", "xboard"), program.get("ponder", False))


def memory_grew(first_kib, now_kib):
    """Whether a process has grown past its first game's figure."""
    return now_kib > first_kib * (1 + MEMORY_TOLERANCE_SHARE) + MEMORY_TOLERANCE_KIB


def play_pair(first, second, opening, control, grace_ms, max_plies):
    """Two games of one opening, colours swapped, on one pair of processes."""
    return play_series(first, second, [opening], control, grace_ms, max_plies, 2)


def play_series(first, second, openings, control, grace_ms, max_plies, games):
    """A series of games between two programs (the same one twice is fine)
    on one pair of long-lived processes: game i plays opening i // 2 with
    the colours swapped every game. Yields, per game, a dict with white,
    black, result, reason, fault (Fault or None), moves, final_fen,
    transcript, the resident memory of both processes after the game
    (memory_kib: name -> KiB) and the ponder hits and misses. A fault ends
    the series; the processes quit after the last game."""
    transcript = []
    programs = (first, second)
    engines = (start_engine("1", first, transcript), start_engine("2", second, transcript))
    first_memory = {}
    try:
        for number in range(games):
            white_index = number % 2
            white, black = engines[white_index], engines[1 - white_index]
            game = Game(white, black, openings[number // 2 % len(openings)], control, grace_ms, max_plies)
            record = {"white": programs[white_index]["name"], "black": programs[1 - white_index]["name"],
                      "opening": game.opening, "result": None, "reason": None, "fault": None, "memory_kib": {}}
            transcript.clear()
            try:
                game.play({white: programs[white_index]["threads"], black: programs[1 - white_index]["threads"]})
                record["result"], record["reason"] = game.play_result
                check_memory(game, engines, programs, first_memory, record)
                if number == games - 1:
                    for engine in engines:
                        quit_engine(game, engine)
            except Fault as fault:
                record["fault"] = fault
            record["moves"] = list(game.moves)
            record["final_fen"] = game.position.fen()
            record["transcript"] = list(transcript)
            record["ponder"] = (game.ponder_hits, game.ponder_misses)
            yield record
            if record["fault"] is not None:
                return
    finally:
        for engine in engines:
            engine.kill()


def check_memory(game, engines, programs, first_memory, record):
    """Records each process's resident memory after a game; growth past
    the figure after its first game is a fault."""
    for index, engine in enumerate(engines):
        now = engine.resident_kib()
        if now is None:
            continue
        record["memory_kib"][f"{engine.label}:{programs[index]['name']}"] = now
        first = first_memory.setdefault(index, now)
        if memory_grew(first, now):
            raise game.fault(engine, "memory", f"{programs[index]['name']} (process {engine.label}) "
                             f"grew from {first} KiB after the first game to {now} KiB")


def program_record(name, command, threads, slowdown, cwd, env, protocol="xboard", ponder=False):
    """What play_series needs to know of a program."""
    return {"name": name, "command": command, "threads": threads, "slowdown": slowdown,
            "cwd": cwd, "env": env, "protocol": protocol, "ponder": ponder}
