#!/bin/sh
# MERGE: the release binary resamples a loaded curve of N points at N other
# X values (a text file each), for 100,000 and 1,000,000 rows.
#
#   bench/merge_bench.sh [ROWS...]       (default 100000 1000000)
#
# For each row count it generates the curve (load_floor generate: X every
# 0.25, a noisy signal) and the X values to merge at (the same rows moved by
# 0.125), and runs, RUNS times each (default 5) in turns, keeping the
# fastest:
#
#   load     vexal: DATA curve, LOAD, QUIT
#   merge    vexal: DATA curve, LOAD, DATA points, MERGE 1, QUIT
#
# MERGE alone is the difference. Each MERGE sorts the store and finds every X
# by binary search, so its time should grow like n log n: from 100k to 1M
# rows about 11 to 12 times, where a search from the start for each X grows
# 100 times. The binaries are build/src/vexal and build/bench/load_floor
# unless VEXAL and LOAD_FLOOR name others. Not on a sanitizer build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=$(realpath "${VEXAL:-$root/build/src/vexal}")
floor=$(realpath "${LOAD_FLOOR:-$root/build/bench/load_floor}")
for bin in "$vexal" "$floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-merge.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

best() {  # program args...: the fastest of RUNS runs, "wall cpu maxrss_kib status"
  for _ in $(seq "${RUNS:-5}"); do
    "$floor" run "$@"
  done | sort -n | head -n 1
}

previous=""
[ $# -gt 0 ] || set -- 100000 1000000
for rows in "$@"; do
  "$floor" generate "$rows" curve.txt curve.dat
  awk '{ printf "%.3f %s\n", $1 + 0.125, $2 }' curve.txt >points.txt
  printf 'QUIET\nMAXP 20000000\nDATA curve.txt\nLOAD\nQUIT\n' >load.vx
  printf 'QUIET\nMAXP 20000000\nDATA curve.txt\nLOAD\nDATA points.txt\nMERGE 1\nQUIT\n' >merge.vx
  l=$(best "$vexal" -d -o out.ps load.vx)
  m=$(best "$vexal" -d -o out.ps merge.vx)
  echo "$rows $l $m $previous" | awk '{
    rows = $1; lw = $2; lc = $3; mw = $6; mc = $7
    printf "%d rows: LOAD %.4f s wall %.4f s cpu; LOAD and MERGE %.4f s wall %.4f s cpu\n",
      rows, lw, lc, mw, mc
    printf "  MERGE alone: %.4f s wall, %.4f s cpu, %.0f ns a row (cpu)\n",
      mw - lw, mc - lc, (mc - lc) / rows * 1e9
    if (NF > 9) printf "  from %d rows: %.1f times the rows, %.1f times the MERGE cpu time\n",
      $10, rows / $10, (mc - lc) / $11
  }'
  previous="$rows $(echo "$l $m" | awk '{ print $6 - $2 }')"
  rm -f curve.txt curve.dat points.txt
done
