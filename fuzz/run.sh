#!/usr/bin/env bash
# Builds a libFuzzer target with clang and runs it for a number of seconds.
#
#   fuzz/run.sh [cdb|map|rst] [seconds] [libFuzzer flags...]   # default: cdb, 600 seconds
#   NO_DICT=1 fuzz/run.sh map 600                          # without the dictionary
#
# The target cdb reads CDB files, the target map linker maps, the target rst relocated
# listings (and converts a small program with each as its listing). Its corpus grows in
# build-fuzz/corpus-TARGET, seeded from the golden inputs and the examples of its kind
# and from fuzz/regressions/TARGET. Inputs that fail land in build-fuzz/artifacts-TARGET:
# fix the fault, then keep the input in fuzz/regressions/TARGET, which the replay test
# runs in every build.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
target=cdb
case "${1:-}" in
  cdb | map | rst) target=$1; shift ;;
esac
seconds=${1:-600}
shift || true
build=$root/build-fuzz

CXX=${CXX_FUZZ:-clang++} cmake -S "$root" -B "$build" -DTORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "torvane_${target}_fuzz" -j >/dev/null

corpus=$build/corpus-$target
artifacts=$build/artifacts-$target
mkdir -p "$corpus" "$artifacts"
cp "$root"/tests/golden/*."$target" "$root"/examples/*/*."$target" "$corpus/" 2>/dev/null || true
cp "$root"/fuzz/regressions/"$target"/* "$corpus/" 2>/dev/null || true

# A map is longer than a CDB line and its records: its inputs may be too.
max_len=4096
[ "$target" != cdb ] && max_len=16384
dict=(-dict="$root/fuzz/$target.dict")
[ "${NO_DICT:-0}" = 1 ] && dict=()
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
exec "$build/torvane_${target}_fuzz" "${dict[@]}" -max_total_time="$seconds" -max_len="$max_len" \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "$@" "$corpus"
