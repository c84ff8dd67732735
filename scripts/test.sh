#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ "${TARVIK_SKIP_I686:-0}" != 1 ] && ! tarvik_runs_32bit; then
  tarvik_install
  source "$TARVIK_ROOT/scripts/guest.sh"
  tarvik_guest_image_early
fi
tarvik_prepare
echo "tarvik: installed and built after $SECONDS s"
wineserver -p 2>/dev/null || true   # keep the Wine server up (it may be running already)
# Start Wine's own background processes now, detached from CTest's pipes:
# a test's output pipe would otherwise stay open until they end.
"$WINE" cmd /c exit >/dev/null 2>&1 || true

cd "$RUN_DIR"
# A test process that Wine leaves hanging is tried once more; a real
# failure fails twice.
status=0
ctest --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@" || status=$?
echo "tarvik: CTest suite done after $SECONDS s"

# The shipped i686 build under 32-bit Wine (emulated where this kernel cannot
# run it) and the release package; TARVIK_SKIP_I686=1 leaves it out.
if [ "${TARVIK_SKIP_I686:-0}" != 1 ]; then
  bash "$TARVIK_ROOT/scripts/test-i686.sh" || status=1
fi
exit "$status"
