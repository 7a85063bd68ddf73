#!/usr/bin/env bash
# Runs every benchmark program (*_bench) of the bench build and prints its
# table: time per run and the counters each benchmark reports.
#
#   tools/run-benchmarks.sh [extra Google Benchmark arguments...]
#
# Environment: LINTRA_BENCH_TREE, the build tree (default build/bench).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree=${LINTRA_BENCH_TREE:-$root/build/bench}

mapfile -t programs < <(find "$tree/bench" -maxdepth 1 -type f -name '*_bench' -perm -u+x 2>/dev/null | sort)
if [ ${#programs[@]} -eq 0 ]; then
  echo "no benchmark programs in $tree/bench (run make bench)" >&2
  exit 1
fi

status=0
for program in "${programs[@]}"; do
  echo "== $(basename "$program")"
  "$program" --benchmark_counters_tabular=true "$@" || status=1
done
exit $status
