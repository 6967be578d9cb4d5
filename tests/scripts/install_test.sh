#!/bin/bash
# Installs the build into a temporary prefix and runs the installed program
# on an installed example: the manual page, the command reference and the
# examples must be in place and the document must be read by Ghostscript.
#
#   install_test.sh BUILD-DIR
set -u
build=$(realpath "$1")
prefix=$(mktemp -d "${TMPDIR:-/tmp}/vexal-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "install_test: $*"
  exit 1
}
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
[ -x "$prefix/bin/vexal" ] || fail "no bin/vexal"
[ -f "$prefix/share/man/man1/vexal.1" ] || fail "no share/man/man1/vexal.1"
[ -f "$prefix/share/doc/vexal/command_reference.txt" ] || fail "no share/doc/vexal/command_reference.txt"
examples="$prefix/share/doc/vexal/examples"
[ -f "$examples/first.vx" ] || fail "no examples in share/doc/vexal/examples"

work="$prefix/run"
mkdir -p "$work"
cp "$examples"/* "$work"/
(cd "$work" && HOME="$work" "$prefix/bin/vexal" -q -o first.ps first.vx </dev/null >/dev/null) ||
  fail "the installed program failed on first.vx"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$work/first.ps" </dev/null >"$work/gs.log" 2>&1 &&
  ! grep -q Error "$work/gs.log" || fail "Ghostscript rejects the document: $(head -5 "$work/gs.log")"
echo "install_test: installed and ran in $prefix"
