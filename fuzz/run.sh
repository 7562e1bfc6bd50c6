#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for a number of seconds.
#
#   fuzz/run.sh [seconds] [libFuzzer flags...]     # default 600 seconds, with the dictionary
#   NO_DICT=1 fuzz/run.sh 600                      # without it
#
# The corpus grows in build-fuzz/corpus, seeded from the golden inputs, the examples and
# fuzz/regressions. Inputs that fail land in build-fuzz/artifacts: fix the fault, then
# keep the input in fuzz/regressions, which the replay test runs in every build.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
build=$root/build-fuzz

CXX=${CXX_FUZZ:-clang++} cmake -S "$root" -B "$build" -DTORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target torvane_fuzz -j >/dev/null

mkdir -p "$build/corpus" "$build/artifacts"
cp "$root"/tests/golden/*.cdb "$root"/examples/*/*.cdb "$build/corpus/"
cp "$root"/fuzz/regressions/* "$build/corpus/" 2>/dev/null || true

dict=(-dict="$root/fuzz/cdb.dict")
[ "${NO_DICT:-0}" = 1 ] && dict=()
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
exec "$build/torvane_fuzz" "${dict[@]}" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$@" "$build/corpus"
