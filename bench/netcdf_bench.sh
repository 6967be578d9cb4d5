#!/bin/sh
# NETCDFTOARRAY of an N x N double variable against a floor program that
# reads the same variable with one nc_get_var_double call into one vector.
#
#   bench/netcdf_bench.sh [N]            (default 4000: 16,000,000 values)
#
# It generates the file (netcdf_floor generate: a classic netCDF file with
# the variable field(y, x), a smooth field with a little noise), reads it
# once so that it is in the page cache, and then runs each of these RUNS
# times (default 5), in turns, keeping the fastest run (the machine may be
# busy):
#
#   floor     netcdf_floor floor: nc_open, one nc_get_var_double, nc_close
#   toarray   vexal: NETCDFFILE, NETCDFTOARRAY field, QUIT (with the
#             commands ARRAY queues after a load: the default coordinates
#             and DOARRAYMATH, which finds the Z limits)
#   empty     vexal: start-up and QUIT alone (part of every vexal figure)
#
# Each figure is a whole process run by `load_floor run`, which reports wall
# time, CPU time (user + system) and peak RSS; nothing is subtracted. Before
# each run it reads a file of EVICT_MIB MiB (default 1024; 0 reads nothing),
# so that no program finds its data in the processor's caches from the run
# before. The vexal command file is run once first and the script stops if
# vexal reports anything. Target: NETCDFTOARRAY at most 1.5 x the floor.
#
# The binaries are build/src/vexal and build/bench/{load_floor,netcdf_floor}
# unless VEXAL, LOAD_FLOOR and NETCDF_FLOOR name others. Not on a sanitizer
# build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
netcdf_floor=${NETCDF_FLOOR:-$root/build/bench/netcdf_floor}
n=${1:-4000}

for bin in "$vexal" "$floor" "$netcdf_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor netcdf_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-netcdf.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

"$netcdf_floor" generate "$n" "$work/field.nc"
printf 'QUIET\nNETCDFFILE %s\nNETCDFTOARRAY field\nQUIT\n' "$work/field.nc" >"$work/toarray.vx"
printf 'QUIET\nQUIT\n' >"$work/empty.vx"
cat "$work/field.nc" >/dev/null
ps=$work/out.ps

"$vexal" -d -o "$ps" "$work/toarray.vx" >/dev/null 2>"$work/errors"
if [ -s "$work/errors" ]; then
  echo "vexal reported on toarray.vx:" >&2
  head -n 5 "$work/errors" >&2
  exit 1
fi

cat >"$work/programs" <<EOT
floor $netcdf_floor floor $work/field.nc field
toarray $vexal -d -o $ps $work/toarray.vx
empty $vexal -d -o $ps $work/empty.vx
EOT
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

echo "$n $(wc -c <"$work/field.nc") $(best floor) $(best toarray) $(best empty)" | awk '{
  n = $1
  fw = $3; fc = $4; fr = $5; tw = $7; tc = $8; tr = $9; ew = $11; ec = $12
  printf "%d x %d double variable (%d values): file %.1f MiB\n", n, n, n * n, $2 / 1048576
  printf "  %-34s %8s %8s %9s %14s\n", "", "wall s", "cpu s", "peak MiB", "ratio wall/cpu"
  printf "  %-34s %8.4f %8.4f %9.0f\n", "floor (one nc_get_var_double)", fw, fc, fr / 1024
  printf "  %-34s %8.4f %8.4f %9.0f %6.2f %6.2f  (target 1.5)\n", "NETCDFTOARRAY", tw, tc,
    tr / 1024, tw / fw, tc / fc
  printf "  %-34s %8.4f %8.4f\n", "vexal start-up and QUIT alone", ew, ec
}'
