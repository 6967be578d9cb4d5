#!/bin/sh
# Makes src/interp/command_reference.inc, the command reference compiled into
# the program (HELP name), from src/interp/command_reference.txt: the text as
# one C++ raw string literal. Run it after editing the .txt and commit both;
# tests/interp/help_test.cc fails while they differ.
#
#   make-command-reference.sh [OUTPUT]    (default src/interp/command_reference.inc)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/src/interp/command_reference.txt"
out=${1:-"$root/src/interp/command_reference.inc"}

# The raw string's delimiter must not occur in the text.
if grep -q ')vexalref"' "$src"; then
  echo "make-command-reference: the text holds the delimiter )vexalref\"" >&2
  exit 1
fi
{
  echo '// Made by scripts/make-command-reference.sh from command_reference.txt; do not edit.'
  printf 'R"vexalref('
  cat "$src"
  echo ')vexalref"'
} >"$out"
