#!/usr/bin/env bash
# The soak in the ways people run the engine, one game at a time (both
# engines ponder, so a game takes both processors): pondering in xboard and
# UCI on long-lived processes at 5 s + 0.05 s, then 2 s + 0.02 s, and 40
# moves in 10 s repeating and 0.5 s a move for the Active programs; then
# the 32-bit programs and the Windows programs (under Wine, started through
# pipe-launch.exe) when their folders are given. Every count is games per
# program and protocol, each pair playing them as one series: GAMES for the
# 64-bit Linux programs at 5 s + 0.05 s, SHORT at each other control,
# GAMES32 for the 32-bit ones and WIN for each Windows program. Faulty games
# are kept in ./soak-faults; exits 1 on any fault.
#
#   bash tests/soak/soak_run.sh --bin BUILD/bin [--bin32 BUILD32/bin]
#        [--win64 BUILD-WIN64/bin] [--win32 BUILD-WIN32/bin]
#        [--games GAMES] [--short SHORT] [--games32 GAMES32] [--win WIN]
set -uo pipefail
bin= bin32= win64= win32= games=10 short=2 games32=2 win=2
while [ $# -gt 0 ]; do
  case $1 in
    --bin) bin=$2 ;;
    --bin32) bin32=$2 ;;
    --win64) win64=$2 ;;
    --win32) win32=$2 ;;
    --games) games=$2 ;;
    --short) short=$2 ;;
    --games32) games32=$2 ;;
    --win) win=$2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
  shift 2
done
[ -n "$bin" ] || { echo "usage: soak_run.sh --bin BUILD/bin [...]" >&2; exit 2; }
soak=(python3 "$(dirname "$0")/soak.py" --keep soak-faults --seed 2026)
status=0
run() {
  echo "== $*"
  "${soak[@]}" "$@" || status=1
}
for protocol in xboard uci; do
  run --bin "$bin" --word-sizes 64 --protocol $protocol --ponder --tc 5+0.05 --games "$games" --series "$games"
done
for protocol in xboard uci; do
  run --bin "$bin" --word-sizes 64 --protocol $protocol --ponder --tc 2+0.02 --games "$short" --skip-rules-check
  # The long controls: the Active programs (SP against MP).
  for tc in 40/10 st=0.5; do
    run --bin "$bin" --word-sizes 64 --personalities Active --protocol $protocol --ponder --tc $tc \
      --games "$short" --skip-rules-check
  done
done
if [ -n "$bin32" ]; then
  for protocol in xboard uci; do
    run --bin "$bin32" --have-32bit ON --word-sizes 32 --protocol $protocol --ponder --tc 5+0.05 \
      --games "$games32" --series "$games32" --skip-rules-check
  done
fi
# The Windows programs, each folder one word size.
for folder in $win64 $win32; do
  bits=64
  [ "$folder" = "$win32" ] && bits=32
  launcher="wine $(cd "$folder" && pwd)/pipe-launch.exe"
  for protocol in xboard uci; do
    run --bin "$folder" --have-32bit ON --word-sizes $bits --runner "$launcher" --exe-suffix .exe \
      --protocol $protocol --ponder --tc 5+0.05 --games "$win" --series "$win" --skip-rules-check
  done
done
exit $status
