#!/bin/bash
# LOOP against the same lines written out: a command file with
#   LOOP PASSES / $n = {$n 1 +} / %w=pass \$loop of \$n / ECHO \%w / ENDLOOP
# under QUIET, and a flat file of the same three lines written PASSES times
# (3 x PASSES lines). Reports the fastest of RUNS runs of each and their
# ratio (target: LOOP at most 3 x the flat file).
#
#   bench/loop_bench.sh [PASSES] [RUNS]     (default 100000 and 5)
#
# The binary is build/src/vexal unless VEXAL names another.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
passes=${1:-100000}
runs=${2:-5}
vexal=${VEXAL:-$root/build/src/vexal}
[ -x "$vexal" ] || { echo "no binary at $vexal: build first (ninja -C build vexal)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-loop-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
body='$n = {$n 1 +}
%w=pass \$n
ECHO \%w'
{ echo QUIET; echo 'SETVAR      N    0'; echo "LOOP $passes"; echo "$body"; echo ENDLOOP; } >"$work/loop.vx"
{ echo QUIET; echo 'SETVAR      N    0'
  awk -v n="$passes" -v b="$body" 'BEGIN { for (i = 0; i < n; i++) print b }'; } >"$work/flat.vx"

# fastest FILE: the fastest wall time of RUNS runs, in seconds.
fastest() {
  local best="" t
  for _ in $(seq "$runs"); do
    t=$( { TIMEFORMAT=%R; time "$vexal" -d -q -o "$work/out.ps" "$1" >/dev/null 2>&1; } 2>&1)
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}
flat=$(fastest "$work/flat.vx")
loop=$(fastest "$work/loop.vx")
ls "$work" | grep -q '^\.vexal_' && echo "loop files left behind" >&2
awk -v f="$flat" -v l="$loop" -v p="$passes" 'BEGIN {
  printf "flat file, %d lines: %.2f s\n", 3 * p, f
  printf "LOOP %d around the 3 lines: %.2f s\n", p, l
  printf "LOOP / flat: %.2f (target at most 3)\n", (f > 0 ? l / f : 0)
}'
