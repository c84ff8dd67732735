#!/usr/bin/env bash
# Measures how fast the program shows a big cabinet's members, against the
# library's own enumeration of the same cabinet, under Wine: stored cabinets
# of 2,000, 10,000 and 65,535 one-byte members. For each: the library's
# enumeration alone (CabOpenArchive/FindFirst/FindNext inside one process),
# the program from the archive field's change to a filled list, and the
# selective-extraction copy into the check list. Not a test: it prints a table.
#
# Usage: scripts/bench-lists.sh [--before REV] [COUNTS...]
#   --before REV  also builds the program and library of git revision REV in a
#                 scratch worktree and measures them in the same run, first.
# Uses the x86_64 build tree ($BUILD_DIR_X64), which the caller has built.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

before=""
if [ "${1:-}" = "--before" ]; then before=$2; shift 2; fi
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(2000 10000 65535)
limit_s=120

run_dir=$BUILD_DIR_X64
bench=$run_dir/tools/bin/list_bench.exe
for f in "$bench" "$run_dir/bin/Tarvik32.exe" "$run_dir/bin/cab32.dll" "$run_dir/wine-run.sh"; do
  [ -e "$f" ] || { echo "bench-lists: $f is missing; build $run_dir first" >&2; exit 1; }
done
export WINEPREFIX=$run_dir/wineprefix
wine_run=$run_dir/wine-run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-lists.XXXXXX")
scratch=""
cleanup() {
  if [ -n "$scratch" ]; then git -C "$TARVIK_ROOT" worktree remove --force "$scratch" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Builds the program and library of another revision (no tests).
build_revision() {
  scratch=$work/before-src
  git -C "$TARVIK_ROOT" worktree add --detach "$scratch" "$1" >/dev/null
  cmake -S "$scratch" -B "$work/before-build" -DTARVIK_BUILD_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$scratch/cmake/toolchain-x86_64-mingw.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$work/before-build" -j "$(nproc)" --target Tarvik32 cab32 >/dev/null
}

# measure LABEL BIN_DIR: one table row per cabinet for the program in BIN_DIR.
measure() {
  local label=$1 bin=$2 n cab enum window pid
  for n in "${counts[@]}"; do
    cab=$work/members-$n.cab
    enum=$("$wine_run" "$bench" enum "$(winpath "$bin/cab32.dll")" "$(winpath "$cab")" | tr -d '\r')
    "$wine_run" "$bin/Tarvik32.exe" >/dev/null 2>&1 &
    pid=$!
    window=$("$wine_run" "$bench" window "$limit_s" "$(winpath "$cab")" | tr -d '\r' || true)
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ "$window" = timeout ] || [ -z "$window" ]; then
      printf '| %s | %s | %s ms | over %s s | — |\n' "$label" "$n" "${enum#* }" "$limit_s"
    else
      read -r listed field copy copied <<<"$window"
      printf '| %s | %s | %s ms | %s ms | %s ms |\n' "$label" "$listed" "${enum#* }" "$field" "$copy"
      [ "$listed" = "$n" ] && [ "$copied" = "$n" ] || echo "bench-lists: $label listed $listed, copied $copied of $n" >&2
    fi
  done
}

for n in "${counts[@]}"; do "$wine_run" "$bench" craft "$n" "$(winpath "$work/members-$n.cab")"; done
echo "| build | members | library enumeration | archive field to filled list | check list copy |"
echo "|---|---:|---:|---:|---:|"
if [ -n "$before" ]; then
  build_revision "$before"
  measure "before ($before)" "$work/before-build/bin"
fi
measure "now" "$run_dir/bin"
