#!/bin/sh
# Makes command_reference.inc, the command reference compiled into the program
# (HELP name), from src/interp/command_reference.txt: the text as one C++ raw
# string literal. The build runs it (src/CMakeLists.txt) into the build tree
# whenever the text or this script changes.
#
#   make-command-reference.sh OUTPUT
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/src/interp/command_reference.txt"
out=${1:?usage: make-command-reference.sh OUTPUT}

# The raw string's delimiter must not occur in the text. The literal is
# written whole or not at all, so a failed run leaves no half file to compile.
if grep -q ')vexalref"' "$src"; then
  echo "make-command-reference: the text holds the delimiter )vexalref\"" >&2
  exit 1
fi
{
  echo '// Made by scripts/make-command-reference.sh from command_reference.txt; do not edit.'
  printf 'R"vexalref('
  cat "$src"
  echo ')vexalref"'
} >"$out.tmp"
mv "$out.tmp" "$out"
