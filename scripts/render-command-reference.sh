#!/bin/sh
# Renders the command reference, src/interp/command_reference.txt, as the
# Markdown page docs/commands.md: one table per initial letter (the names that
# begin with a digit or a sign share one table), names in alphabetical order.
# Run it after editing the .txt and commit the page; tests/interp/help_test.cc
# fails while the page is out of date.
#
#   render-command-reference.sh [OUTPUT]    (default docs/commands.md)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/src/interp/command_reference.txt"
out=${1:-"$root/docs/commands.md"}

# Each line gets its group's sort key in front (signs and digits first), so
# that sort puts every group together; the renderer drops the key again.
grep -v '^#' "$src" | awk '{ print ($0 ~ /^[A-Z]/ ? "1" : "0") $0 }' | LC_ALL=C sort |
  cut -c2- | awk -F '\t' '
function cell(s) {
  gsub(/\\/, "\\\\", s)
  gsub(/\|/, "\\|", s)
  gsub(/\*/, "\\*", s)
  gsub(/_/, "\\_", s)
  gsub(/</, "\\&lt;", s)
  return s
}
function group(name) {
  c = substr(name, 1, 1)
  return c ~ /[A-Z]/ ? c : "Signs and digits"
}
BEGIN {
  print "# vexal commands"
  print ""
  print "Every command of the language, with its parameters and what it does. A command"
  print "word may be longer than the name (XLABEL runs XLAB); `HELP name` at the prompt"
  print "lists the commands whose names begin with name. Parameters in brackets may be"
  print "left out."
  print ""
  print "This page is made by scripts/render-command-reference.sh from"
  print "src/interp/command_reference.txt; edit that file, not this page."
}
{
  g = group($1)
  if (g != last) {
    print ""
    print "## " g
    print ""
    print "| Command | Parameters | Effect |"
    print "|---|---|---|"
    last = g
  }
  printf "| `%s` | %s | %s |\n", $1, cell($2), cell($3)
}' >"$out"
