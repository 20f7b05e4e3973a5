"""XBoard's Analysis Mode, headless: the engine's lines reach XBoard.

XBoard starts in Analysis Mode on the start position, runs for a few
seconds and is ended; its protocol transcript must show "analyze", thinking
lines of growing depth from the engine and answers to its "." status
requests. Usage: xboard_analysis.py --bin BUILD/bin --program NAME [--seconds N]
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

THINKING = re.compile(r"<first : (\d+) -?\d+ \d+ \d+ (?:[a-h][1-8][a-h][1-8][nbrq ] ?)+")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--program", default="SP-Active-Quorvel_64-bit")
    parser.add_argument("--seconds", type=int, default=8)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="xbanalysis")
    log = os.path.join(folder, "xboard.log")
    xboard = shutil.which("xboard") or "/usr/games/xboard"
    command = [
        "xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", xboard,
        "-fcp", os.path.abspath(os.path.join(args.bin, args.program)), "-fd", folder,
        "-firstProtocolVersion", "2", "-initialMode", "Analysis",
        "-debug", "-nameOfDebugFile", log,
        "-saveSettingsOnExit", "false", "-popupExitMessage", "false",
        "-soundProgram", "", "-polyglotDir", "",
    ]
    env = dict(os.environ, HOME=folder)
    # XBoard stays in Analysis Mode until a person leaves it: it is ended
    # after a while, with everything it started.
    process = subprocess.Popen(command, env=env, cwd=folder, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        process.wait(timeout=args.seconds)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait(timeout=30)

    text = open(log, errors="replace").read() if os.path.exists(log) else ""
    shutil.rmtree(folder, ignore_errors=True)
    failures = []
    if ">first : analyze" not in text:
        failures.append("XBoard never sent analyze")
    depths = [int(match.group(1)) for match in THINKING.finditer(text)]
    if not depths or max(depths) < 6:
        failures.append(f"thinking lines reached depth {max(depths) if depths else 0}")
    if ">first : ." in text and "<first : stat01: " not in text:
        failures.append("no status line after '.'")
    for failure in failures:
        print("FAIL " + failure)
    print(f"{0 if failures else 1} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
