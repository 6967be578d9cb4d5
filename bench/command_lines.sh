#!/bin/sh
# Command-line throughput: runs the release binary on a generated command
# file of one million lines and reports lines per second.
#
#   bench/command_lines.sh [LINES]        (default 1000000)
#
# The file starts with QUIET and then repeats four kinds of line in turn:
# a character-variable assignment "%name=value", an ECHO whose text
# substitutes two character variables, a numeric SETVAR line and a plain
# ECHO (silent under QUIET). Every line is also written to the document as a
# comment, so the run measures reading, substitution, dispatch and document
# output together. The binary is build/src/vexal unless VEXAL names another.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
lines=${1:-1000000}
vexal=${VEXAL:-$root/build/src/vexal}

if [ ! -x "$vexal" ]; then
  echo "no binary at $vexal: build first (ninja -C build vexal)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
file=$work/commands.vx

# 50 character variables (all set once first, so that no reference is
# unknown) and 20 numeric variables, cycled. SETVAR is column-fixed:
# "SETVAR" padded to column 12, the name in columns 13-16, the value from
# column 18.
awk -v n="$lines" 'BEGIN {
  print "QUIET"
  for (j = 0; j < 50; j++) printf "%%cv%02d=first value\n", j
  for (i = 51; i < n; i++) {
    k = i % 4
    if (k == 1) {
      printf "%%cv%02d=value number %d of the run\n", i % 50, i
    } else if (k == 2) {
      printf "ECHO \\%%cv%02d and \\%%cv%02d\n", i % 50, (i + 7) % 50
    } else if (k == 3) {
      printf "SETVAR      NV%02d %d.25\n", i % 20, i
    } else {
      printf "ECHO line %d of the benchmark\n", i
    }
  }
}' >"$file"

actual=$(wc -l <"$file")
echo "command file: $file ($actual lines, $(wc -c <"$file") bytes)"
echo "binary: $vexal"

start=$(date +%s.%N)
"$vexal" -d -o "$work/bench.ps" "$file" </dev/null >"$work/stdout.txt" 2>"$work/stderr.txt"
end=$(date +%s.%N)

if [ -s "$work/stderr.txt" ]; then
  echo "warning: the run wrote to standard error (first lines):" >&2
  head -n 5 "$work/stderr.txt" >&2
fi
if [ ! -f "$work/bench.ps" ]; then
  echo "the run wrote no document" >&2
  exit 1
fi
awk -v s="$start" -v e="$end" -v n="$actual" -v ps="$(wc -c <"$work/bench.ps")" 'BEGIN {
  t = e - s
  printf "wall time: %.3f s\n", t
  printf "document: %d bytes\n", ps
  printf "throughput: %.0f lines per second\n", n / t
}'
