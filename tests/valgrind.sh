#!/usr/bin/env bash
# Runs torvane under Valgrind's memcheck on every golden input and example: any memory
# error or leak fails the run.
#
#   tests/valgrind.sh [path/to/torvane]      # default build/torvane
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
torvane=$(cd "$(dirname "${1:-$root/build/torvane}")" && pwd)/$(basename "${1:-torvane}")
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=0
for input in "$root"/tests/golden/*.cdb "$root"/examples/*/*.cdb; do
  name=$(basename "$input")
  cp "$input" "$work/$name"
  # Exit codes 0 to 3 are the program's own; 99 is memcheck's finding.
  status=0
  (cd "$work" && valgrind --quiet --error-exitcode=99 --leak-check=full \
    --errors-for-leak-kinds=definite,indirect "$torvane" "$name" >/dev/null 2>"$work/log") ||
    status=$?
  if [ "$status" -eq 99 ] || [ -s "$work/log" ]; then
    echo "memcheck found errors on $name:" >&2
    cat "$work/log" >&2
    exit 1
  fi
  count=$((count + 1))
done
echo "memcheck clean on $count inputs"
