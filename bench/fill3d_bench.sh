#!/bin/sh
# Gridding scattered data: the release binary's FILL3D of N scattered points
# onto a G x G grid, with the default weight and with the same weight written
# as a FILL3DF expression, against a plain C++ loop computing the same sums
# in the same run.
#
#   bench/fill3d_bench.sh [N [G]]        (default 10000 points, 100 x 100)
#
# fill3d_floor generate writes the points (x and y uniform over 0 .. 10, z
# a smooth hill and trough; three text columns); the grid's nodes are the
# cell centres 0.05, 0.15, ... (ARRAYXSCALE G 10/G/2 10/G, and the same in
# y). Each node takes sum(w/wmax z) / sum(w/wmax) over the points, with
# w = 1 / max(distance, 1e-10) and wmax the node's largest weight. It first
# checks that vexal's array (DUMPARRAY) matches the floor's values, with
# either weight, and then runs each of these RUNS times (default 5), in
# turns, keeping the fastest run (the machine may be busy):
#
#   floor    fill3d_floor floor: the text parsed with std::from_chars, then
#            for each node a loop over the points for the weights and their
#            largest, and a second loop for the two sums
#   fill3d   vexal: DATA, XCOL 1, YCOL 2, ZCOL 3, LOAD, ARRAYXSCALE,
#            ARRAYYSCALE, FILL3D, QUIT
#   fill3df  the same with FILL3DF {1 x x mul y y mul add sqrt 1.e-10 max div}
#            before FILL3D: the default weight as a user's expression
#   load     the same without FILL3D: start-up and reading the points
#
# Each figure is a whole process run by `load_floor run`, which reports wall
# time, CPU time (user + system) and peak RSS; nothing is subtracted. Before
# each run it reads a file of EVICT_MIB MiB (default 1024; 0 reads nothing).
# The command files begin with QUIET; each is run once first and the script
# stops if vexal reports anything. Target: FILL3D at most 2 x the floor.
#
# The binaries are build/src/vexal and build/bench/{load_floor,fill3d_floor}
# unless VEXAL, LOAD_FLOOR and FILL3D_FLOOR name others. Not on a sanitizer
# build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
# The runs take place in the work directory: the binaries by absolute names.
absolute() {
  case $1 in
    /*) echo "$1" ;;
    *) echo "$PWD/$1" ;;
  esac
}
vexal=$(absolute "${VEXAL:-$root/build/src/vexal}")
floor=$(absolute "${LOAD_FLOOR:-$root/build/bench/load_floor}")
fill3d_floor=$(absolute "${FILL3D_FLOOR:-$root/build/bench/fill3d_floor}")
n=${1:-10000}
g=${2:-100}

for bin in "$vexal" "$floor" "$fill3d_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor fill3d_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-fill3d.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

pts=$work/points.txt
"$fill3d_floor" generate "$n" "$pts"
step=$(awk -v g="$g" 'BEGIN { printf "%.17g", 10 / g }')
first=$(awk -v g="$g" 'BEGIN { printf "%.17g", 5 / g }')

commands() {  # the lines before FILL3D, FILL3D (or nothing), the lines after it
  printf 'QUIET\nDATA %s\nXCOL 1\nYCOL 2\nZCOL 3\nLOAD\n' "$pts"
  printf 'ARRAYXSCALE %d %s %s\nARRAYYSCALE %d %s %s\n' "$g" "$first" "$step" "$g" "$first" "$step"
  printf '%b%b%bQUIT\n' "$1" "$2" "$3"
}
user='FILL3DF {1 x x mul y y mul add sqrt 1.e-10 max div}\n'
commands "" "FILL3D\n" "" >"$work/fill3d.vx"
commands "$user" "FILL3D\n" "" >"$work/fill3df.vx"
commands "" "" "" >"$work/load.vx"
ps=$work/out.ps

# The floor's values against vexal's array, with either weight.
"$fill3d_floor" floor "$pts" "$g" "$first" "$step" "$g" "$first" "$step" "$work/floor.values" \
  >/dev/null
for case in fill3d fill3df; do
  weight=""
  [ $case = fill3d ] || weight=$user
  commands "$weight" "FILL3D\n" "DUMPARRAY $work/$case.dump\n" >"$work/check.vx"
  (cd "$work" && "$vexal" -d -o "$ps" "$work/check.vx" >/dev/null 2>"$work/errors") || true
  if [ -s "$work/errors" ]; then
    echo "vexal reported on $case.vx:" >&2
    head -n 5 "$work/errors" >&2
    exit 1
  fi
  if ! "$fill3d_floor" compare "$work/$case.dump" "$work/floor.values" >"$work/$case.compare"; then
    echo "vexal's $case array differs from the floor's:" >&2
    cat "$work/$case.compare" >&2
    exit 1
  fi
done

# FILL3D hands its values on through a scratch command file in the current
# directory: the runs take place in the work directory.
cd "$work"
cat >"$work/programs" <<EOF
floor $fill3d_floor floor $pts $g $first $step $g $first $step
fill3d $vexal -d -o $ps $work/fill3d.vx
fill3df $vexal -d -o $ps $work/fill3df.vx
load $vexal -d -o $ps $work/load.vx
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

echo "$n $g $(best floor) $(best fill3d) $(best fill3df) $(best load)" | awk '{
  fw = $3; fc = $4; aw = $7; ac = $8; ar = $9; uw = $11; uc = $12; ur = $13; lw = $15; lc = $16
  printf "%d scattered points onto a %d x %d grid (%.0f million weights)\n", $1, $2, $2,
    $1 * $2 * $2 / 1e6
  printf "  %-40s %8s %8s %9s %14s\n", "", "wall s", "cpu s", "peak MiB", "ratio wall/cpu"
  printf "  %-40s %8.4f %8.4f\n", "floor (plain loop, from_chars)", fw, fc
  printf "  %-40s %8.4f %8.4f %9.0f %6.2f %6.2f  (target 2)\n", "FILL3D, default weight", aw, ac,
    ar / 1024, aw / fw, ac / fc
  printf "  %-40s %8.4f %8.4f %9.0f %6.2f %6.2f\n", "FILL3DF {1 x x mul ... div}, FILL3D", uw, uc,
    ur / 1024, uw / fw, uc / fc
  printf "  %-40s %8.4f %8.4f\n", "vexal reading the points alone", lw, lc
  printf "  user weight / default weight: %.2f wall, %.2f cpu\n", uw / aw, uc / ac
}'
for case in fill3d fill3df; do
  printf '  %s against the floor: %s\n' "$case" "$(sed 's/^compare: //' "$work/$case.compare")"
done
