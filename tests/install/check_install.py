"""Installs the build into a fresh prefix and builds the Debian package,
then checks the files and that the installed engine plays.

Usage: check_install.py --build BUILD_DIR
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile

ENGINE_LIST = "plugin spec 0.0\nquorvel\nchess\n"
PROGRAMS = [f"{flavour}-{personality}-Quorvel_64-bit"
            for flavour in ("MP", "SP") for personality in ("Active", "Passive", "Inert")]


class Checks:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def check(self, label, condition, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failures.append(f"{label}" + (f": {detail}" if detail else ""))


def plays(launcher):
    """The installed engine answers "xboard", then a move after e2e4."""
    done = subprocess.run([launcher], input=b"xboard\nnew\nst 1\ne2e4\n", stdout=subprocess.PIPE,
                          timeout=60)
    return done.returncode == 0 and b"feature done=1" in done.stdout and b"\nmove " in done.stdout, done.stdout


def check_tree(checks, label, root):
    """The installed layout under `root` (a prefix)."""
    for program in PROGRAMS:
        path = os.path.join(root, "games", program)
        checks.check(f"{label}: {program}", os.access(path, os.X_OK))
    launcher = os.path.join(root, "games", "quorvel")
    checks.check(f"{label}: launcher", os.access(launcher, os.X_OK))
    engine_list = os.path.join(root, "share", "games", "plugins", "xboard", "quorvel.eng")
    text = open(engine_list).read() if os.path.exists(engine_list) else None
    checks.check(f"{label}: XBoard engine list file", text == ENGINE_LIST, repr(text))
    if os.access(launcher, os.X_OK):
        ok, out = plays(launcher)
        checks.check(f"{label}: the installed engine plays", ok, repr(out[-200:]))
    uci = os.path.join(root, "games", "SP-Active-Quorvel_64-bit")
    if os.access(uci, os.X_OK):
        done = subprocess.run([uci], input=b"uci\nisready\nquit\n", stdout=subprocess.PIPE, timeout=30)
        checks.check(f"{label}: UCI mode", done.stdout.endswith(b"uciok\nreadyok\n"), repr(done.stdout[-100:]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    checks = Checks()
    folder = tempfile.mkdtemp(prefix="quorvel-install")
    try:
        prefix = os.path.join(folder, "prefix")
        done = subprocess.run(["cmake", "--install", args.build, "--prefix", prefix],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        checks.check("cmake --install", done.returncode == 0, done.stdout[-300:])
        check_tree(checks, "prefix", prefix)

        if shutil.which("cpack") and shutil.which("dpkg-deb"):
            packages = os.path.join(folder, "packages")
            done = subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"),
                                   "-B", packages], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            checks.check("cpack -G DEB", done.returncode == 0, done.stdout[-300:])
            debs = glob.glob(os.path.join(packages, "quorvel_*.deb"))
            checks.check("one Debian package", len(debs) == 1, repr(debs))
            if debs:
                info = subprocess.run(["dpkg-deb", "-f", debs[0], "Package", "Section"], stdout=subprocess.PIPE)
                checks.check("package fields", info.stdout == b"Package: quorvel\nSection: games\n",
                             repr(info.stdout))
                unpacked = os.path.join(folder, "unpacked")
                subprocess.run(["dpkg-deb", "-x", debs[0], unpacked], check=True)
                check_tree(checks, "package", os.path.join(unpacked, "usr"))
        else:
            print("cpack or dpkg-deb missing: the package is not checked")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in checks.failures:
        print("FAIL " + failure)
    print(f"{checks.passed} passed, {len(checks.failures)} failed")
    sys.exit(1 if checks.failures else 0)


if __name__ == "__main__":
    main()
