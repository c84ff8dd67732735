#!/usr/bin/env bash
# Opens a help file in Wine's help viewer on a private X display and saves
# a screenshot, so that the rendering of the generated help can be looked at.
#
#   scripts/help-screenshot.sh BUILD_DIR_X64 OUT.png [PROGRAM ARGS...]
#
# PROGRAM defaults to "winhlp32 BUILD_DIR_X64/bin/Tarvik.hlp". Any Windows
# program can be given instead, for example the help probe that calls
# WinHelp:  tests/bin/help_probe.exe bin/Tarvik.hlp context 4
set -euo pipefail
run_dir=$(cd "$1" && pwd)
out=$2
shift 2
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
RUN_DIR=$run_dir
WINE=/usr/lib/wine/wine64
export WINEPREFIX="$RUN_DIR/wineprefix" WINEARCH=win64
unset DISPLAY
tarvik_wine_prefix
tarvik_display
trap tarvik_cleanup EXIT
if [ $# -eq 0 ]; then
  set -- winhlp32 "$(winepath -w "$RUN_DIR/bin/Tarvik.hlp" 2>/dev/null || echo "$RUN_DIR/bin/Tarvik.hlp")"
fi
(cd "$RUN_DIR" && "$WINE" "$@" >/dev/null 2>&1 &)
sleep "${HELP_SHOT_WAIT:-8}"
import -window root "$out"
echo "help-screenshot: saved $out"
