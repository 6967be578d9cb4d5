#!/bin/bash
# Writes the expected pictures of the gallery tests, on purpose: after a
# change that is meant to alter what a gallery script draws, run
#   scripts/update-baselines.sh [BUILD-DIR] [NAME...]
# look at the pictures it names, and commit tests/scripts/baselines/.
# Each picture is the first page of the script run without page stamps
# (vexal -q -t), rendered in grey at 40 dots per inch, as run_e2e.sh
# compares it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ $# -gt 0 ] && shift
vexal=$(realpath "$build/src/vexal")
scripts=$root/tests/scripts
mkdir -p "$scripts/baselines"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for vx in "$scripts"/gallery_*.vx; do names+=("$(basename "$vx" .vx)"); done
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in "${names[@]}"; do
  dir="$work/$name"
  mkdir -p "$dir"
  cp "$scripts/$name.vx" "$dir/"
  [ -d "$scripts/$name.files" ] && cp -R "$scripts/$name.files/." "$dir/"
  (cd "$dir" && HOME="$dir" "$vexal" -q -t -o picture.ps "$name.vx" </dev/null >/dev/null 2>&1)
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r40 -dFirstPage=1 -dLastPage=1 \
    -sOutputFile="$dir/picture.pgm" "$dir/picture.ps" </dev/null >/dev/null
  gzip -9n <"$dir/picture.pgm" >"$scripts/baselines/$name.pgm.gz"
  echo "wrote tests/scripts/baselines/$name.pgm.gz"
done
