#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tarvik_prepare
# The portable core on Linux first: unit tests under the address and
# undefined-behaviour sanitizers, then each fuzz target for a bounded time.
tarvik_build_native
(cd "$BUILD_DIR_NATIVE" && ctest --output-on-failure -j "$(nproc)")
wineserver -p 2>/dev/null || true   # keep the Wine server up (it may be running already)
# Start Wine's own background processes now, detached from CTest's pipes:
# a test's output pipe would otherwise stay open until they end.
"$WINE" cmd /c exit >/dev/null 2>&1 || true

cd "$RUN_DIR"
# A test process that Wine leaves hanging is tried once more; a real
# failure fails twice.
ctest --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@"
