#!/usr/bin/env python3
"""Unpacks a release archive (.zip or .tar.gz) and checks what a user gets:
the archive's name, one folder of that name inside, the six programs of
the word size and nothing else executable, the book and the read-me, and
that each program, started in the folder the read-me names, answers
"xboard", "new" and the move e2e4 with a reply from the book at once.

    check_archive.py --archive FILE --book-tool quorvel-book [--linux]
                     [--bits 64] [--runner "wine pipe-launch.exe"]

Windows archives hold the programs and the book in one folder (the
programs run through --runner there); the Linux tarball has the installed
layout: games/, share/games/quorvel/, the XBoard engine list file and a
launcher that starts the default program beside the book.
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tarfile
import tempfile
import zipfile

ENGINE_LIST = "plugin spec 0.0\nquorvel\nchess\n"
ARCHIVE_NAME = re.compile(r"^quorvel-\d+\.\d+\.\d+-(windows-x86_64|windows-i686|linux-x86_64)\.(zip|tar\.gz)$")
MOVE = re.compile(rb"^move (\S+)", re.M)
THINKING = re.compile(rb"^\s*\d+\s+-?\d+\s+\d+\s+\d+", re.M)


class Checks:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def check(self, label, condition, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failures.append(label + (f": {detail}" if detail else ""))


def program_names(bits, suffix):
    tail = "64-bit" if bits == 64 else "32-bit"
    return {f"{flavour}-{personality}-Quorvel_{tail}{suffix}"
            for flavour in ("MP", "SP") for personality in ("Active", "Passive", "Inert")}


def unpack(archive, folder):
    if archive.endswith(".zip"):
        with zipfile.ZipFile(archive) as packed:
            packed.extractall(folder)
            # zipfile drops the permission bits; a Windows program needs none.
    else:
        with tarfile.open(archive) as packed:
            packed.extractall(folder)
    return sorted(os.listdir(folder))


def book_replies(book_tool, book):
    """The book's replies to e2e4: the lines indented once under it."""
    dump = subprocess.run([book_tool, "dump", "--depth", "2", book], capture_output=True, text=True,
                          timeout=60)
    replies, under_e4 = set(), False
    for line in dump.stdout.splitlines():
        if not line.startswith(" "):
            under_e4 = line.split()[0] == "e2e4"
        elif under_e4:
            replies.add(line.split()[0])
    return replies


def answers_from_book(command, folder, replies):
    """One move, a book reply to e2e4, and no search before it."""
    done = subprocess.run(command, input=b"xboard\npost\nnew\ne2e4\n", cwd=folder,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    moves = [m.decode() for m in MOVE.findall(done.stdout)]
    good = len(moves) == 1 and moves[0] in replies and not THINKING.search(done.stdout)
    return good, done.stdout[-300:]


def has_file_properties(path, version):
    """The version resource's strings, in UTF-16 as Windows stores them."""
    data = open(path, "rb").read()
    return all(text.encode("utf-16-le") in data
               for text in ("ProductName", "Quorvel", "ProductVersion", version, "FileDescription"))


def check_windows(checks, top, args, replies, version):
    suffix = ".exe"
    programs = program_names(args.bits, suffix)
    found = {name for name in os.listdir(top) if name.endswith(suffix)}
    checks.check("the six programs, no other", found == programs, repr(sorted(found)))
    for name in sorted(programs & found):
        checks.check(f"{name} has file properties of version {version}",
                     has_file_properties(os.path.join(top, name), version))
        command = [*shlex.split(args.runner), os.path.join(top, name)]
        good, output = answers_from_book(command, top, replies)
        checks.check(f"{name} plays a book reply in its folder", good, output)


def check_linux(checks, top, args, replies, version):
    games = os.path.join(top, "games")
    book_folder = os.path.join(top, "share", "games", "quorvel")
    programs = program_names(64, "")
    found = set(os.listdir(games)) if os.path.isdir(games) else set()
    checks.check("games/: the programs and the launcher", programs | {"quorvel"} <= found, repr(sorted(found)))
    engine_list = os.path.join(top, "share", "games", "plugins", "xboard", "quorvel.eng")
    text = open(engine_list).read() if os.path.exists(engine_list) else None
    checks.check("XBoard engine list file", text == ENGINE_LIST, repr(text))
    for name in sorted(programs & found):
        good, output = answers_from_book([os.path.join(games, name)], book_folder, replies)
        checks.check(f"{name} plays a book reply in the book's folder", good, output)
    launcher = os.path.join(games, "quorvel")
    if os.access(launcher, os.X_OK):
        good, output = answers_from_book([launcher], tempfile.gettempdir(), replies)
        checks.check("the launcher finds the book from any folder", good, output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--archive", required=True)
    parser.add_argument("--book-tool", required=True)
    parser.add_argument("--linux", action="store_true")
    parser.add_argument("--bits", type=int, default=64)
    parser.add_argument("--runner", default="")
    args = parser.parse_args()
    checks = Checks()
    name = os.path.basename(args.archive)
    checks.check("archive name", ARCHIVE_NAME.match(name) is not None, name)
    folder = tempfile.mkdtemp(prefix="quorvel-archive")
    try:
        entries = unpack(args.archive, folder)
        stem = re.sub(r"\.(zip|tar\.gz)$", "", name)
        checks.check("one folder named as the archive", entries == [stem], repr(entries))
        top = os.path.join(folder, stem)
        if args.linux:
            book = os.path.join(top, "share", "games", "quorvel", "Quorvel.dat")
            readme = os.path.join(top, "share", "doc", "quorvel", "README.txt")
        else:
            book = os.path.join(top, "Quorvel.dat")
            readme = os.path.join(top, "README.txt")
        checks.check("the book", os.path.isfile(book))
        checks.check("the read-me", os.path.isfile(readme) and "WinBoard" in open(readme).read())
        replies = book_replies(args.book_tool, book) if os.path.isfile(book) else set()
        checks.check("the book has replies to e2e4", len(replies) >= 2, repr(replies))
        version = re.sub(r"^quorvel-([^-]*)-.*$", r"\1", name)
        if os.path.isdir(top):
            (check_linux if args.linux else check_windows)(checks, top, args, replies, version)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in checks.failures:
        print(f"FAIL {name}: {failure}")
    print(f"{checks.passed} passed, {len(checks.failures)} failed")
    sys.exit(1 if checks.failures else 0)


if __name__ == "__main__":
    main()
