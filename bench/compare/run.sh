#!/usr/bin/env bash
# Times varomby-cli against `cmp -l` and a plain read+memcmp scan on two
# 256 MiB files with 20,000 sparse runs of differing bytes, in one run, with
# warm caches. Each program writes its output to a file (GNU cmp stops at the
# first difference when its output is /dev/null). Prints seconds (best of
# REPEAT), peak memory and the ratios.
#   bench/compare/run.sh [BUILD_DIR]     (default build/core-release)
# Environment: SIZE_MIB (256), RUNS (20000), REPEAT (5), WORK_DIR (a temp folder).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=${1:-$source_dir/build/core-release}
size_mib=${SIZE_MIB:-256}
runs=${RUNS:-20000}
repeat=${REPEAT:-5}

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVAROMBY_BUILD_GUI=OFF -DVAROMBY_BUILD_TESTS=OFF -DVAROMBY_BUILD_BENCH=ON ${CMAKE_EXTRA_ARGS:-} >/dev/null
cmake --build "$build_dir" -j2 --target varomby-cli varomby_bench_make_inputs varomby_bench_plain_scan >/dev/null

work=${WORK_DIR:-$(mktemp -d)}
trap '[ -z "${WORK_DIR:-}" ] && rm -rf "$work"' EXIT
first=$work/first.bin
second=$work/second.bin
"$build_dir/bench/compare/varomby_bench_make_inputs" "$first" "$second" "$size_mib" "$runs"

cli=$build_dir/src/cli/varomby-cli
scan=$build_dir/bench/compare/varomby_bench_plain_scan

# measure NAME COMMAND...: best wall time and its peak RSS over $repeat runs.
declare -A seconds kib
measure() {
  local name=$1; shift
  "$@" >"$work/$name.out" 2>/dev/null || true  # warm the page cache
  local best="" best_kib=""
  for _ in $(seq "$repeat"); do
    local start=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$work/time" "$@" >"$work/$name.out" 2>/dev/null || true
    local wall rss
    wall=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN{printf "%.4f", b - a}')
    rss=$(tail -n 1 "$work/time")
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$wall; best_kib=$rss; fi
  done
  seconds[$name]=$best
  kib[$name]=$best_kib
  printf '%-12s %7.3f s  %8d KiB peak  %s lines\n' "$name" "$best" "$best_kib" "$(wc -l <"$work/$name.out")"
}

echo "inputs: 2 x $size_mib MiB, $runs runs"
measure varomby-cli "$cli" "$first" "$second"
measure cmp-l cmp -l "$first" "$second"
measure plain-scan "$scan" "$first" "$second"

awk -v v="${seconds[varomby-cli]}" -v c="${seconds[cmp-l]}" -v p="${seconds[plain-scan]}" -v m="${kib[varomby-cli]}" 'BEGIN {
  printf "varomby-cli / cmp -l     = %.2f (target <= 0.5)\n", v / c
  printf "varomby-cli / plain scan = %.2f (target <= 1.5)\n", v / p
  printf "varomby-cli peak memory  = %.1f MiB (target <= 64)\n", m / 1024
}'
