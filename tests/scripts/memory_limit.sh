#!/bin/bash
# The real binary under a limit on its address space (ulimit -v): a small
# file is loaded and plotted as usual, and a LOAD that needs more memory than
# the limit leaves reports it, keeps the points read so far and the run still
# ends with a document Ghostscript accepts.
#
#   memory_limit.sh PATH-TO-VEXAL
set -u
vexal=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0

# run NAME LIMIT-KIB: runs NAME.vx under the limit; exit status 0 and a
# document Ghostscript reads without error, or a failure.
run() {
  (ulimit -v "$2" && "$vexal" -o "$1.ps" "$1.vx" >"$1.out" 2>"$1.err")
  rc=$?
  log=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$1.ps" 2>&1 </dev/null)
  gs_rc=$?
  if [ $rc -ne 0 ] || [ $gs_rc -ne 0 ] || echo "$log" | grep -q Error; then
    echo "FAIL $1: exit status $rc, Ghostscript $gs_rc"
    sed -n 1,20p "$1.err"
    echo "$log" | sed -n 1,20p
    status=1
  fi
}

printf '1 2\n2 3\n' >small.txt
printf 'QUIET\nDATA small.txt\nPLOT\nQUIT\n' >small.vx
run small 300000
if ! grep -q '^%! PLOT' small.ps || [ -s small.err ]; then
  echo "FAIL small: no plot, or messages:"
  cat small.err
  status=1
fi

# "$P", CR, LF, one column, no comment records, then zeros: 6,000,000
# points whose X and Y columns need more than the limit.
printf '\044P\r\n\001\000\000\000' >big.dat
truncate -s 48000008 big.dat
printf 'QUIET\nMAXP 20000000\nDATA big.dat\nLOAD\nDOAXES\nDOPLOT\nQUIT\n' >big.vx
run big 100000
if ! grep -qx 'Error--not enough memory: the points read so far are kept.' big.err ||
  ! grep -q '^%! DOPLOT' big.ps; then
  echo "FAIL big: no memory message, or no plot:"
  cat big.err
  status=1
fi
[ $status -eq 0 ] && echo "memory_limit: ok"
exit $status
