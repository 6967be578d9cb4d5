#!/bin/sh
# Data loading: the release binary's LOAD of a two-column text file and of
# the same data as a "$P" binary file, against floors measured on the same
# files in the same run.
#
#   bench/load_bench.sh [ROWS...]        (default 1000000 10000000)
#
# For each row count it generates the data (load_floor generate), reads both
# files once so that they are in the page cache, and then runs each of these
# RUNS times (default 5), in turns, keeping the fastest run (the machine may
# be busy):
#
#   floor    load_floor floor: the text parsed with std::from_chars into two vectors
#   text     vexal: DATA text file, LOAD
#   bytes    load_floor bytes: the binary file's bytes read and dropped
#   columns  load_floor columns: the binary file read into the store's X
#            and Y columns, 16 bytes a point (the bytes plus the least memory
#            the store must write)
#   binary   vexal: DATA binary file, LOAD
#   math     vexal: Y = {Y 2 *}, DATA text file, LOAD
#   again    vexal: the binary LOAD twice; the second LOAD alone is the
#            difference to "binary" (its store pages are already touched)
#   empty    vexal: start-up and QUIT alone (part of every vexal figure)
#
# Each figure is a whole process (start-up, reading, exit) run by
# `load_floor run`, which reports wall time, CPU time (user + system) and
# peak RSS (getrusage). Before each run it reads a file of EVICT_MIB MiB
# (default 1024; make it larger than the processor's last-level cache; 0
# reads nothing), so
# that every program starts with the processor's caches holding nothing of
# its own: a program run over and over would otherwise find its file there,
# which on a machine with a large cache flatters whatever writes least. The ratios are given for both times: on a busy
# machine the CPU times are the steadier. Targets: text <= 2 x floor,
# binary <= 2.5 x bytes, math <= 1.5 x text, peak RSS <= 48 bytes x rows +
# 64 MiB. The vexal runs are QUIET (no progress lines); VERBOSE=1 runs them
# with the progress lines (to /dev/null).
#
# The binaries are build/src/vexal and build/bench/load_floor unless VEXAL and
# LOAD_FLOOR name others. Not on a sanitizer build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
quiet=QUIET
[ "${VERBOSE:-0}" = 1 ] && quiet=VERBOSE

for bin in "$vexal" "$floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-load.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Read before every run: larger than the processor's caches, so that each
# program starts with its file in the page cache but none of its data in
# those caches, whatever ran before it.
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

# Each figure is the fastest of RUNS runs (default 5): "wall cpu maxrss_kib
# status". The programs take turns, a run of each per round, so that a busy
# spell of the machine does not fall on one program's runs alone.
rounds() {  # the programs, "label program args...", one a line in $work/programs
  for i in $(seq "${RUNS:-5}"); do
    while read -r label args; do
      # shellcheck disable=SC2086
      "$floor" run --evict "$work/evict" $args >>"$work/$label.times"
    done <"$work/programs"
  done
}
best() {  # label
  sort -n "$work/$1.times" | head -n 1
}

commands() {  # data file, a line before LOAD, the LOAD lines
  printf '%s\nMAXP 20000000\n%s\nDATA %s\n%bQUIT\n' "$quiet" "$2" "$1" "$3"
}

for rows in ${@:-1000000 10000000}; do
  txt=$work/data.txt
  dat=$work/data.dat
  "$floor" generate "$rows" "$txt" "$dat"
  cat "$txt" "$dat" >/dev/null
  commands "$txt" "" "LOAD\n" >"$work/text.vx"
  commands "$dat" "" "LOAD\n" >"$work/binary.vx"
  commands "$txt" "Y = {Y 2 *}" "LOAD\n" >"$work/math.vx"
  commands "$dat" "" "LOAD\nLOAD\n" >"$work/again.vx"
  printf '%s\nQUIT\n' "$quiet" >"$work/empty.vx"
  ps=$work/out.ps

  rm -f "$work"/*.times
  cat >"$work/programs" <<EOF
floor $floor floor $txt
bytes $floor bytes $dat
columns $floor columns $dat
text $vexal -d -o $ps $work/text.vx
binary $vexal -d -o $ps $work/binary.vx
math $vexal -d -o $ps $work/math.vx
again $vexal -d -o $ps $work/again.vx
empty $vexal -d -o $ps $work/empty.vx
EOF
  rounds
  f=$(best floor)
  b=$(best bytes)
  c=$(best columns)
  t=$(best text)
  d=$(best binary)
  m=$(best math)
  a=$(best again)
  e=$(best empty)

  echo "$rows $(wc -c <"$txt") $(wc -c <"$dat") $f $b $t $d $m $a $e $c" | awk '{
    rows = $1
    fw = $4; fc = $5; bw = $8; bc = $9; tw = $12; tc = $13; tr = $14
    dw = $16; dc = $17; dr = $18; mw = $20; mc = $21; mr = $22; aw = $24; ac = $25; ew = $28
    cw = $32; cc = $33
    printf "%d rows: text file %.0f MiB, binary file %.0f MiB\n", rows, $2 / 1048576, $3 / 1048576
    printf "  %-34s %8s %8s %14s\n", "", "wall s", "cpu s", "ratio wall/cpu"
    printf "  %-34s %8.4f %8.4f\n", "floor (from_chars, two vectors)", fw, fc
    printf "  %-34s %8.4f %8.4f %6.2f %6.2f  (target 2)\n", "text LOAD", tw, tc, tw / fw, tc / fc
    printf "  %-34s %8.4f %8.4f\n", "bytes of the binary file", bw, bc
    printf "  %-34s %8.4f %8.4f %6.2f %6.2f  (target 2.5)\n", "binary LOAD", dw, dc, dw / bw, dc / bc
    printf "  %-34s %8.4f %8.4f %6.2f %6.2f\n", "bytes into X and Y columns", cw, cc, cw / bw, cc / bc
    printf "  %-34s %8.4f %8.4f %6.2f %6.2f\n", "second binary LOAD (store touched)", aw - dw, ac - dc,
      (aw - dw) / bw, (ac - dc) / bc
    printf "  %-34s %8.4f %8.4f %6.2f %6.2f  (target 1.5, against text LOAD)\n",
      "text LOAD with Y = {Y 2 *}", mw, mc, mw / tw, mc / tc
    printf "  %-34s %8.4f\n", "vexal start-up and QUIT alone", ew
    printf "  peak RSS: text %.0f MiB, binary %.0f MiB, math %.0f MiB; limit %.0f MiB\n",
      tr / 1024, dr / 1024, mr / 1024, 48 * rows / 1048576 + 64
  }'
  # From a cold page cache: each run starts with the data file on disk (the
  # programs themselves stay cached), as a first LOAD of a new file does.
  coldest() {
    for i in $(seq "${RUNS:-5}"); do
      "$floor" drop "$dat"
      "$floor" run "$@"
    done | sort -n | head -n 1
  }
  cb=$(coldest "$floor" bytes "$dat")
  cd_=$(coldest "$vexal" -d -o "$ps" "$work/binary.vx")
  echo "$cb $cd_" | awk '{
    printf "  cold file: bytes of the binary file %.4f s, binary LOAD %.4f s, ratio %.2f (target 2.5)\n",
      $1, $5, $5 / $1 }'
  rm -f "$txt" "$dat"
done
