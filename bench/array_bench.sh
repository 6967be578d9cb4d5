#!/bin/sh
# The array from the command input: the release binary's ARRAY of an N x N
# array written out in the command file, the same with READFAST, and the
# same values as a RAWARRAY file, against a floor measured on the same file
# in the same run.
#
#   bench/array_bench.sh [N]             (default 1000: 1,000,000 values)
#
# It generates the values (array_floor generate: a smooth field with a little
# noise, six significant digits, 10 values a line, each row of N values
# starting on a new line, so that the one text serves ARRAY and READFAST
# alike), reads the files once so that they are in the page cache, and then
# runs each of these RUNS times (default 5), in turns, keeping the fastest
# run (the machine may be busy):
#
#   floor     array_floor floor: the ARRAY command file's numbers parsed with
#             std::from_chars into one vector
#   array     vexal: ARRAY N N, the values, QUIT
#   readfast  vexal: READFAST, ARRAY N N, the values, QUIT
#   raw       vexal: RAWARRAY of the binary file (nx, X, ny, Y, the values in
#             one record, each record framed by its length)
#   empty     vexal: start-up and QUIT alone (part of every vexal figure)
#
# Each figure is a whole process (start-up, reading, exit) run by
# `load_floor run`, which reports wall time, CPU time (user + system) and
# peak RSS; nothing is subtracted. Before each run it reads a file of
# EVICT_MIB MiB (default 1024; 0 reads nothing), so that no program finds
# its file in the processor's caches from the run before. Each vexal command
# file is run once first and the script stops if vexal reports anything.
# The command files begin with QUIET. Target: ARRAY at most 2 x the floor.
#
# The binaries are build/src/vexal and build/bench/{load_floor,array_floor}
# unless VEXAL, LOAD_FLOOR and ARRAY_FLOOR name others. Not on a sanitizer
# build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
array_floor=${ARRAY_FLOOR:-$root/build/bench/array_floor}
n=${1:-1000}

for bin in "$vexal" "$floor" "$array_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor array_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-array.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

"$array_floor" generate "$n" "$work/values.txt" "$work/array.raw"
{ printf 'QUIET\nARRAY %d %d\n' "$n" "$n"; cat "$work/values.txt"; printf 'QUIT\n'; } >"$work/array.vx"
{ printf 'QUIET\nREADFAST\nARRAY %d %d\n' "$n" "$n"; cat "$work/values.txt"; printf 'QUIT\n'; } \
  >"$work/readfast.vx"
rm -f "$work/values.txt"
printf 'QUIET\nRAWARRAY %s\nQUIT\n' "$work/array.raw" >"$work/raw.vx"
printf 'QUIET\nQUIT\n' >"$work/empty.vx"
cat "$work/array.vx" "$work/readfast.vx" "$work/array.raw" >/dev/null
ps=$work/out.ps

for case in array readfast raw; do
  "$vexal" -d -o "$ps" "$work/$case.vx" >/dev/null 2>"$work/errors"
  if [ -s "$work/errors" ]; then
    echo "vexal reported on $case.vx:" >&2
    head -n 5 "$work/errors" >&2
    exit 1
  fi
done

cat >"$work/programs" <<EOF
floor $array_floor floor $work/array.vx
array $vexal -d -o $ps $work/array.vx
readfast $vexal -d -o $ps $work/readfast.vx
raw $vexal -d -o $ps $work/raw.vx
empty $vexal -d -o $ps $work/empty.vx
EOF
# The programs take turns, a run of each per round, so that a busy spell of
# the machine does not fall on one program's runs alone.
for _ in $(seq "${RUNS:-5}"); do
  while read -r label args; do
    # shellcheck disable=SC2086
    "$floor" run --evict "$work/evict" $args >>"$work/$label.times"
  done <"$work/programs"
done
best() {  # label: "wall cpu maxrss_kib status" of the fastest run
  sort -n "$work/$1.times" | head -n 1
}

echo "$n $(wc -c <"$work/array.vx") $(wc -c <"$work/array.raw") $(best floor) $(best array)" \
  "$(best readfast) $(best raw) $(best empty)" | awk '{
  n = $1
  fw = $4; fc = $5; aw = $8; ac = $9; ar = $10; qw = $12; qc = $13; qr = $14
  rw = $16; rc = $17; rr = $18; ew = $20; ec = $21
  printf "%d x %d array (%d values): command file %.1f MiB, binary file %.1f MiB\n",
    n, n, n * n, $2 / 1048576, $3 / 1048576
  printf "  %-30s %8s %8s %9s %14s\n", "", "wall s", "cpu s", "peak MiB", "ratio wall/cpu"
  printf "  %-30s %8.4f %8.4f\n", "floor (from_chars, one vector)", fw, fc
  printf "  %-30s %8.4f %8.4f %9.0f %6.2f %6.2f  (target 2)\n", "ARRAY", aw, ac, ar / 1024,
    aw / fw, ac / fc
  printf "  %-30s %8.4f %8.4f %9.0f %6.2f %6.2f\n", "READFAST, ARRAY", qw, qc, qr / 1024,
    qw / fw, qc / fc
  printf "  %-30s %8.4f %8.4f %9.0f %6.2f %6.2f\n", "RAWARRAY", rw, rc, rr / 1024, rw / fw, rc / fc
  printf "  %-30s %8.4f %8.4f\n", "vexal start-up and QUIT alone", ew, ec
}'
