"""Two of our programs play a short match under the real XBoard, headless.

Fails on an illegal move, a loss on time, a crash, or a game that does not
end with a result. With --first-uci the first program speaks UCI through
the polyglot adapter, which speaks xboard to XBoard. Usage:
  xboard_match.py --bin BUILD/bin --first NAME --second NAME [--games N]
                  [--tc 0:20 --mps 40 --inc -1 | --st 0:01] [--ponder]
                  [--first-uci] [--keep DIR] [--runner32 PREFIX]
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

BAD_ENDINGS = ("forfeit", "illegal", "on time", "error", "crash", "died",
               "disconnect", "lost contact", "termination")


def write_wrapper(folder, label, program, arguments="", runner32=""):
    """XBoard starts engines without a shell; a wrapper records how each
    engine process ended. A 32-bit program runs through runner32 when the
    kernel cannot run it itself."""
    wrapper = os.path.join(folder, f"{label}.sh")
    status_log = os.path.join(folder, f"{label}.status")
    with open(wrapper, "w") as out:
        # The engine runs as a child so that a signal XBoard sends the
        # wrapper after "quit" cannot hide how the engine itself ended.
        out.write("#!/bin/sh\n")
        out.write(f'log="{status_log}"\n')
        out.write("trap 'echo signal >> \"$log\"' INT TERM HUP\n")
        out.write("exec 3<&0\n")
        prefix = "".join(f"{shlex.quote(word)} " for word in shlex.split(runner32)) \
            if program.endswith("_32-bit") else ""
        out.write(f'{prefix}"{program}" {arguments} "$@" 0<&3 3<&- &\n')
        out.write("pid=$!\n")
        out.write("while :; do wait $pid; status=$?; kill -0 $pid 2>/dev/null || break; done\n")
        out.write('echo $status >> "$log"\n')
    os.chmod(wrapper, 0o755)
    return wrapper, status_log


def write_polyglot_ini(folder, engine, ponder):
    """polyglot's settings: our program as the UCI engine, no book of its
    own, a log of both conversations."""
    ini = os.path.join(folder, "polyglot.ini")
    with open(ini, "w") as out:
        out.write("[PolyGlot]\n")
        out.write(f"EngineDir = {folder}\n")
        out.write(f"EngineCommand = {engine}\n")
        out.write("EngineName = Quorvel-UCI\n")
        out.write("Log = true\n")
        out.write(f"LogFile = {os.path.join(folder, 'polyglot.log')}\n")
        out.write("Book = false\n")
        out.write("Resign = false\n")
        out.write("[Engine]\n")
        out.write("Hash = 16\n")
        out.write(f"Ponder = {'true' if ponder else 'false'}\n")
    return ini


def xboard_command(args, folder, first, second):
    xboard = shutil.which("xboard") or "/usr/games/xboard"
    time_control = (["-st", args.st] if args.st else
                    ["-tc", args.tc, "-mps", args.mps, "-inc", args.inc])
    return [
        "xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", xboard,
        "-matchMode", "true", "-matchGames", str(args.games),  # N games, colours alternate
        "-fcp", first, "-fd", folder, "-scp", second, "-sd", folder,
        "-firstProtocolVersion", "2", "-secondProtocolVersion", "2",
        *time_control,
        "-autoCallFlag", "true",  # a flag fall ends the game (and fails us)
        "-testLegality", "true", "-checkMates", "true", "-testClaims", "true",
        "-saveGameFile", os.path.join(folder, "games.pgn"),
        "-debug", "-nameOfDebugFile", os.path.join(folder, "xboard.log"),
        "-saveSettingsOnExit", "false", "-popupExitMessage", "false",
        "-soundProgram", "", "-timeDelay", "0", "-matchPause", "500",
        "-polyglotDir", "", "-ponderNextMove", "true" if args.ponder else "false",
    ]


def game_results(pgn_text):
    """(result, last comment) of every game in the PGN file."""
    games = []
    for block in re.split(r"\n(?=\[Event )", pgn_text.strip()):
        if not block.strip():
            continue
        result = re.search(r'\[Result "([^"]*)"\]', block)
        comments = re.findall(r"\{([^}]*)\}", block)
        games.append((result.group(1) if result else "?", comments[-1] if comments else ""))
    return games


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--first", default="SP-Active-Quorvel_64-bit")
    parser.add_argument("--second", default="SP-Active-Quorvel_32-bit")
    parser.add_argument("--games", type=int, default=2)
    parser.add_argument("--tc", default="0:20")
    parser.add_argument("--mps", default="40")
    parser.add_argument("--inc", default="-1")
    parser.add_argument("--st", default="")
    parser.add_argument("--keep", default="")
    parser.add_argument("--ponder", action="store_true", help="let the engines think on the opponent's time")
    parser.add_argument("--timeout", type=int, default=1200)
    parser.add_argument("--have-32bit", default="OFF", help="accepted for the common test options")
    parser.add_argument("--runner32", default="", help="command prefix that runs the 32-bit programs")
    parser.add_argument("--first-uci", action="store_true", help="run the first program in UCI mode through polyglot")
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="xbmatch")
    first_program = os.path.abspath(os.path.join(args.bin, args.first))
    statuses = []
    if args.first_uci:
        engine, engine_status = write_wrapper(folder, "uci-engine", first_program, runner32=args.runner32)
        statuses.append(("first (UCI engine)", engine_status))
        polyglot = shutil.which("polyglot") or "/usr/games/polyglot"
        ini = write_polyglot_ini(folder, engine, args.ponder)
        first, first_status = write_wrapper(folder, "first", polyglot, f'"{ini}"')
    else:
        first, first_status = write_wrapper(folder, "first", first_program, runner32=args.runner32)
    second, second_status = write_wrapper(folder, "second", os.path.abspath(os.path.join(args.bin, args.second)),
                                          runner32=args.runner32)
    env = dict(os.environ, HOME=folder)
    env["PATH"] = env.get("PATH", "") + ":/usr/games"
    failures = []
    try:
        done = subprocess.run(xboard_command(args, folder, first, second), env=env, cwd=folder,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=args.timeout)
        if done.returncode != 0:
            failures.append(f"xboard exited with {done.returncode}: {done.stdout[-400:]!r}")
    except subprocess.TimeoutExpired:
        failures.append("the match did not finish in time")

    pgn_path = os.path.join(folder, "games.pgn")
    games = game_results(open(pgn_path).read()) if os.path.exists(pgn_path) else []
    if len(games) != args.games:
        failures.append(f"{len(games)} games recorded, {args.games} expected")
    for number, (result, ending) in enumerate(games, 1):
        print(f"game {number}: {result} {{{ending}}}")
        if result not in ("1-0", "0-1", "1/2-1/2"):
            failures.append(f"game {number} has no result: {result} {{{ending}}}")
        if any(word in ending.lower() for word in BAD_ENDINGS):
            failures.append(f"game {number} ended badly: {ending}")
    statuses += [("first", first_status), ("second", second_status)]
    for label, status_log in statuses:
        codes = open(status_log).read().split() if os.path.exists(status_log) else []
        bad = [code for code in codes if code not in ("0", "signal")]
        if not codes or bad:
            failures.append(f"{label} engine exit codes: {codes}")

    if args.keep:
        shutil.copytree(folder, args.keep, dirs_exist_ok=True)
    shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    print(f"{len(games) - len(failures) if not failures else 0} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
