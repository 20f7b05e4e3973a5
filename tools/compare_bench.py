#!/usr/bin/env python3
"""Compares the bench speed of two builds of the developer tool.

Each round starts both benches at once, pinned to the same core, so the
kernel time-slices them: whatever the machine does meanwhile (memory speed
drifting, other guests on the host) slows both alike, and the ratio of
their nodes per second stays steady where alternating runs swing by tens
of percent. The order of starting swaps every two rounds and the core
every round. Bench times processor time, so sharing the core does not
halve the figures.

The program that finishes later runs its last part alone, which favours
it a little: the ratio leans towards 1, never away from it.

A tool that needs a program to start it (a Windows .exe under Wine) gets
it as a prefix: --new-runner wine. Both then run pinned, runner included.

--ordinary-pages turns transparent huge pages off for both (Linux's
PR_SET_THP_DISABLE, inherited by the tool): a Linux tool asks for them
under its hash tables, which a Windows program under Wine cannot, so this
compares the code alone.

    tools/compare_bench.py [--rounds N] [--depth D] [--old-runner CMD] [--new-runner CMD]
                           [--ordinary-pages] OLD_TOOL NEW_TOOL
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys


# Starts the rest of its command line with transparent huge pages off.
ORDINARY_PAGES = [sys.executable, "-c", "import ctypes, os, sys; "
                  "ctypes.CDLL(None, use_errno=True).prctl(41, 1, 0, 0, 0); "  # PR_SET_THP_DISABLE
                  "os.execvp(sys.argv[1], sys.argv[1:])"]


def start_bench(runner, tool, core, depth, ordinary_pages=False):
    prefix = ORDINARY_PAGES if ordinary_pages else []
    command = ["taskset", "-c", str(core), *prefix, *shlex.split(runner), tool, "bench"]
    if depth:
        command.append(str(depth))
    return subprocess.Popen(command, stdout=subprocess.PIPE, text=True)


def nodes_per_second(process):
    """The last line of bench reads 'N nodes M nps'."""
    output, _ = process.communicate()
    if process.returncode != 0:
        sys.exit(f"bench failed with exit code {process.returncode}")
    # Windows programs end their lines with CR LF.
    fields = output.strip().splitlines()[-1].split()
    return int(fields[0]), int(fields[2])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=8)
    parser.add_argument("--depth", type=int, default=0, help="bench depth (default: the tool's)")
    parser.add_argument("--old-runner", default="", help="command prefix for the old tool, e.g. wine")
    parser.add_argument("--new-runner", default="", help="command prefix for the new tool, e.g. wine")
    parser.add_argument("--ordinary-pages", action="store_true", help="no transparent huge pages for either")
    args = parser.parse_args()
    cores = sorted(os.sched_getaffinity(0))
    old_speeds, new_speeds, ratios = [], [], []
    for round_index in range(args.rounds):
        core = cores[round_index % len(cores)]
        if round_index % 4 < 2:
            old = start_bench(args.old_runner, args.old, core, args.depth, args.ordinary_pages)
            new = start_bench(args.new_runner, args.new, core, args.depth, args.ordinary_pages)
        else:
            new = start_bench(args.new_runner, args.new, core, args.depth, args.ordinary_pages)
            old = start_bench(args.old_runner, args.old, core, args.depth, args.ordinary_pages)
        old_nodes, old_nps = nodes_per_second(old)
        new_nodes, new_nps = nodes_per_second(new)
        if old_nodes != new_nodes:
            print(f"note: the signatures differ ({old_nodes} and {new_nodes})")
        old_speeds.append(old_nps)
        new_speeds.append(new_nps)
        ratios.append(new_nps / old_nps)
        print(f"round {round_index + 1}: old {old_nps} new {new_nps} ratio {new_nps / old_nps:.3f}")
    print(f"median nps: old {statistics.median(old_speeds):.0f} new {statistics.median(new_speeds):.0f}")
    print(f"ratio new/old: median {statistics.median(ratios):.3f} "
          f"(min {min(ratios):.3f}, max {max(ratios):.3f})")


if __name__ == "__main__":
    main()
