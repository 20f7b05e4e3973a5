#!/usr/bin/env bash
# The soak in the ways people run the engine, one game at a time (both
# engines ponder, so a game takes both processors): pondering in xboard and
# UCI on long-lived processes at 5 s + 0.05 s, then 2 s + 0.02 s, and 40
# moves in 10 s repeating and 0.5 s a move for the Active programs, and the
# 32-bit programs when their folder is given. GAMES is the games per 64-bit
# program and protocol at 5 s + 0.05 s (each pair plays them as one series),
# SHORT the games per program at each other control and for the 32-bit
# programs. Faulty games are kept in ./soak-faults; exits 1 on any fault.
#
#   bash tests/soak/soak_run.sh BUILD/bin [BUILD32/bin] [GAMES] [SHORT]
set -uo pipefail
bin=$1
bin32=${2:-}
games=${3:-10}
short=${4:-2}
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
      --games "$short" --series "$short" --skip-rules-check
  done
fi
exit $status
