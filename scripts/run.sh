#!/usr/bin/env bash
# Installs what is missing, builds Tarvik32 and starts it under Wine with the
# stand-in archiver library beside it. Without a display it starts Xvfb.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tarvik_prepare

program="$RUN_DIR/bin/Tarvik32.exe"
if [ ! -f "$program" ]; then
  echo "tarvik: $program is not built yet" >&2
  exit 1
fi
echo "tarvik: starting Tarvik32 on display $DISPLAY"
"$WINE" "$program" "$@"
