#!/usr/bin/env bash
# A longer campaign of the library's mutation fuzzer (the test command runs
# 300 cases with a fixed seed): sound cabinets of every kind, mutated and read
# with the check, the member enumeration, -l, -t and -x under Wine.
#
# Usage: scripts/fuzz-cab32.sh [CASES] [SEED]   (defaults: 20000, the time)
# Uses the x86_64 build tree ($BUILD_DIR_X64), which the caller has built.
# Failing cabinets are kept in $BUILD_DIR_X64/fuzz-campaign/run/failures.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

cases=${1:-20000}
seed=${2:-$(date +%s)}
run_dir=$BUILD_DIR_X64
for f in "$run_dir/tests/bin/cab32_mutate.exe" "$run_dir/tests/bin/cab32_driver.exe" "$run_dir/bin/cab32.dll"; do
  [ -e "$f" ] || { echo "fuzz-cab32: $f is missing; build $run_dir first" >&2; exit 1; }
done
export WINEPREFIX=$run_dir/wineprefix
echo "fuzz-cab32: $cases cases, seed $seed"
start=$(date +%s)
bash "$TARVIK_ROOT/tests/cab32/mutation_fuzz.sh" "$run_dir/wine-run.sh" "$run_dir/tests/bin/cab32_driver.exe" \
  "$run_dir/tests/bin/cab32_mutate.exe" "$run_dir/bin/cab32.dll" "$run_dir/fuzz-campaign" "$cases" "$seed"
echo "fuzz-cab32: $(( $(date +%s) - start )) s"
