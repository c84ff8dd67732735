#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time, starting from a copy of its
# committed seeds (the committed folder is never written to), and prints
# the executions and coverage it reached.
#   run_fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS [extra libFuzzer options]
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
shift 4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds" > "$work/log.txt" 2>&1 || {
  tail -60 "$work/log.txt"
  echo "fuzzer found a fault; inputs in $work/artifacts"
  exit 1
}
grep -E '^#[0-9]+.*(DONE|pulse)|stat::number_of_executed_units|cov:' "$work/log.txt" | tail -3
