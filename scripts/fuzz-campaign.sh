#!/usr/bin/env bash
# Long fuzzing campaigns of the portable core's fuzz targets (not a test).
#
#   bash scripts/fuzz-campaign.sh [MINUTES] [TARGET...]
#
# Runs each target (default: all: cabinet lzx mszip quantum stored roundtrip) for
# MINUTES (default 30) one after another from its committed seeds, in
# build-native/campaign/TARGET, and prints executions and coverage. A fault
# leaves its input in build-native/campaign/TARGET/artifacts and fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

minutes=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(cabinet lzx mszip quantum stored roundtrip)
tarvik_build_native >/dev/null
status=0
for target in "${targets[@]}"; do
  echo "== $target, $minutes min"
  bash "$TARVIK_ROOT/tests/native/run_fuzzer.sh" "$BUILD_DIR_NATIVE/fuzz_$target" \
    "$TARVIK_ROOT/tests/native/corpus/$target" "$BUILD_DIR_NATIVE/campaign/$target" $((minutes * 60)) || status=1
done
exit $status
