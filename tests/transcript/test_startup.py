"""Start-up: banners, options, the processor check and the end of input."""
import os
import signal
import time

from transcript import FEATURES_DONE, Session, Suite, run, xboard_features

TAGS = {
    ("SP", "Active"): "une ueh",
    ("MP", "Active"): "une ueh ars ans",
    ("SP", "Passive"): "ueh",
    ("MP", "Passive"): "ueh ars ans",
    ("SP", "Inert"): "uie pid sco lme ueh",
    ("MP", "Inert"): "uie pid sco lme ueh ars ans",
}
NOTICE = b"Copyright (C) 2026 the Quorvel developers. Free software, no warranty.\n"
CORE_ERROR = b"error: not enough cores/processors\r\n"


def banner(flavour, personality, bits, threads):
    if flavour == "MP" and bits == 64:
        first = f"Quorvel: 5.3B (ZEV 026, 5dc, for 64-bit architecture, {threads} threads)"
    elif flavour == "MP":
        first = f"Quorvel: 5.3B (ZEV 026, 5dc, {threads} threads)"
    elif bits == 64:
        first = "Quorvel: 5.3B (ZEV 026, 5dc, for 64-bit architecture)"
    else:
        first = "Quorvel: 5.3B (ZEV 026, 5dc)"
    return (first + "\n" + TAGS[(flavour, personality)] + "\n").encode() + NOTICE




def line_reading_cases(suite, name, path):
    """What reaches the parser: stripped ends, bounded lines, a last line
    without its line feed."""
    FEATURES = xboard_features(path)
    cases = [
        (b"xboard\r\n", FEATURES),
        (b"xboard \t\x01\xff\xfe\r\n", FEATURES),
        (b"   \n\t\n\n", b""),
        # Only the first 255 bytes of a line count; the rest is dropped.
        (b"a" * 255 + b"xboard\nxboard\n", FEATURES),
        (b"xboard" + b" " * 300 + b"\n", FEATURES),
        (b"xboard", FEATURES),
        (b"xbo", b""),
        (b"x\x00board\n", b""),
    ]
    for data, expected in cases:
        for from_file in (False, True):
            code, out = run(path, data, stdin_file=from_file, timeout=10)
            suite.expect_equal(f"{name} line {data[:20]!r} file={from_file}",
                               (code, out.split(b"\n", 3)[3]), (0, expected))
    # One byte at a time.
    session = Session(path)
    session.read_until(NOTICE)
    for byte in b"xbo" + b"ard\r\n":
        session.send(bytes([byte]))
        time.sleep(0.002)
    suite.check(f"{name} byte by byte", session.read_until(FEATURES_DONE, timeout=10) is not None)
    suite.expect_equal(f"{name} byte by byte exit", session.close(), 0)


def interrupt_case(suite, name, path):
    """A front end's SIGINT before its moves must not end the engine."""
    session = Session(path)
    suite.check(f"{name} banner before SIGINT", session.read_until(NOTICE) is not None)
    session.process.send_signal(signal.SIGINT)
    time.sleep(0.1)
    session.send(b"xboard\n")
    suite.check(f"{name} answers after SIGINT", session.read_until(FEATURES_DONE, timeout=10) is not None)
    session.send(b"quit\n")
    suite.expect_equal(f"{name} quits after SIGINT", session.close(), 0)


def main():
    suite = Suite()
    # Wine sets NUMBER_OF_PROCESSORS from the machine, whatever we pass.
    threads = max(2, min(8, os.cpu_count() or 1)) if suite.windows else 4
    for name, path in suite.programs():
        flavour, personality, rest = name.split("-", 2)
        bits = 64 if rest.endswith("64-bit") else 32
        cores = {"NUMBER_OF_PROCESSORS": "4"}

        code, out = run(path, b"quit\n", env=cores)
        suite.expect_equal(f"{name} banner", out, banner(flavour, personality, bits, threads))
        suite.expect_equal(f"{name} quit exit code", code, 0)

        # The end of input ends the engine, with or without a last line feed,
        # from a pipe and from a file.
        for data in (b"", b"xyz", b"\n\n  \t\r\n", b"quit"):
            for from_file in (False, True):
                code, out = run(path, data, env=cores, stdin_file=from_file, timeout=10)
                suite.expect_equal(f"{name} end of input {data!r} file={from_file}", code, 0)

        # Bytes of every value and an over-long line are survived.
        garbage = bytes(range(256)) + b"\n" + b"x" * 5000 + b"\nquit\n"
        code, out = run(path, garbage, env=cores)
        suite.expect_equal(f"{name} garbage exit code", code, 0)
        suite.check(f"{name} garbage output is the banner only",
                    out == banner(flavour, personality, bits, threads), repr(out[-80:]))

        if flavour == "SP" and personality == "Active":
            line_reading_cases(suite, name, path)
        if suite.windows:
            continue
        interrupt_case(suite, name, path)

        if flavour != "MP":
            code, out = run(path, b"quit\n", env={"NUMBER_OF_PROCESSORS": "1"})
            suite.expect_equal(f"{name} ignores the processor count", out,
                               banner(flavour, personality, bits, 4))
            continue

        for value in ("1", "", "123"):
            code, out = run(path, b"quit\n", env={"NUMBER_OF_PROCESSORS": value})
            suite.expect_equal(f"{name} NUMBER_OF_PROCESSORS={value!r}", (code, out),
                               (0, CORE_ERROR))
        code, out = run(path, b"quit\n", args=("threads=9",), env={"NUMBER_OF_PROCESSORS": "8"})
        suite.expect_equal(f"{name} threads=9 on 8 processors", (code, out), (0, CORE_ERROR))
        code, out = run(path, b"quit\n", args=("threads=12",), env={"NUMBER_OF_PROCESSORS": "16"})
        suite.expect_equal(f"{name} threads=12 on 16 processors", out,
                           banner(flavour, personality, bits, 8))
        code, out = run(path, b"quit\n", args=("threads=1", "hashsize=20"),
                        env={"NUMBER_OF_PROCESSORS": "2"})
        suite.expect_equal(f"{name} threads=1 on 2 processors", out,
                           banner(flavour, personality, bits, 2))
        # Unset on Linux: the system's count, at least 2 threads.
        code, out = run(path, b"quit\n")
        suite.check(f"{name} starts without NUMBER_OF_PROCESSORS",
                    code == 0 and out.startswith(b"Quorvel: 5.3B"), repr(out[:60]))
    suite.finish()


if __name__ == "__main__":
    main()
