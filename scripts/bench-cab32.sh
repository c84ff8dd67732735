#!/usr/bin/env bash
# Measures cab32.dll under Wine against gcab and cabextract on the same
# generated data (about 100 MB: text and binary): MB/s to create an MSZIP
# cabinet and to extract it, and the cabinet sizes. Not a test: it prints a
# table and leaves its files in a scratch folder (removed at the end).
#
# Usage: scripts/bench-cab32.sh [SIZE_MB]
# Uses the x86_64 build tree ($BUILD_DIR_X64, built if needed by the caller).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

size_mb=${1:-100}
run_dir=$BUILD_DIR_X64
driver=$run_dir/tests/bin/cab32_driver.exe
dll=$run_dir/bin/cab32.dll
for f in "$driver" "$dll" "$run_dir/wine-run.sh"; do
  [ -e "$f" ] || { echo "bench-cab32: $f is missing; build $run_dir first" >&2; exit 1; }
done
command -v gcab >/dev/null && command -v cabextract >/dev/null || { echo "bench-cab32: needs gcab and cabextract" >&2; exit 1; }

export WINEPREFIX=$run_dir/wineprefix
wine_run=$run_dir/wine-run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-cab32.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Half text (numbered lines of words), half binary (a quarter random bytes,
# a quarter program files from this system, which compress moderately).
generate_data() {
  local half=$((size_mb / 2)) i
  mkdir -p "$work/data/text" "$work/data/bin"
  for i in $(seq 1 "$half"); do
    awk -v seed="$i" 'BEGIN { srand(seed); for (n = 0; n < 20000; n++) {
      printf "%07d", n; for (w = 0; w < 8; w++) printf " w%d", int(rand() * 5000); printf "\n" } }' \
      | head -c 1048576 > "$work/data/text/t$i.txt" || true  # head ends the pipe early
  done
  for i in $(seq 1 $((half / 2))); do head -c 1048576 /dev/urandom > "$work/data/bin/r$i.bin"; done
  find /usr/lib /usr/bin -type f -size +200k 2>/dev/null | head -400 | xargs cat 2>/dev/null \
    | head -c $(( (half - half / 2) * 1048576 )) | split -b 1048576 - "$work/data/bin/p" || true  # head ends the pipe early
}

# seconds NAME COMMAND...: runs the command once and prints the wall time.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "bench-cab32: failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }' 
}

rate() { awk -v mb="$total_mb" -v s="$1" 'BEGIN { printf "%.1f", mb / s }'; }
size_of() { stat -c %s "$1"; }

generate_data
total_bytes=$(du -sb "$work/data" | cut -f1)
total_mb=$(awk -v b="$total_bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
cd "$work"
(cd data && find . -type f | sed 's|^\./||; s|/|\\|g' | sort) > list.txt

"$wine_run" "$driver" "$(winpath "$dll")" check nothing >/dev/null 2>&1 || true  # starts the Wine server

t_lib_create=$(cd data && seconds "$wine_run" "$driver" "$(winpath "$dll")" cab "-a -mz $(winpath "$work/lib.cab") @$(winpath "$work/list.txt")")
t_gcab_create=$(cd data && seconds gcab -c -z "$work/gcab.cab" $(sed 's|\\|/|g' "$work/list.txt"))
t_lib_extract=$(seconds "$wine_run" "$driver" "$(winpath "$dll")" cab "-x lib.cab $(winpath "$work/out-lib")")
t_cabextract=$(seconds cabextract -q -d "$work/out-cabextract" lib.cab)
t_gcab_extract=$(mkdir -p out-gcab && seconds gcab -x -C "$work/out-gcab" gcab.cab)
t_lib_extract_gcab=$(seconds "$wine_run" "$driver" "$(winpath "$dll")" cab "-x gcab.cab $(winpath "$work/out-lib-g")")
t_lib_test=$(seconds "$wine_run" "$driver" "$(winpath "$dll")" cab "-t lib.cab")
t_members=$(seconds "$wine_run" "$driver" "$(winpath "$dll")" members lib.cab)
t_check=$(seconds "$wine_run" "$driver" "$(winpath "$dll")" check lib.cab)

diff -r data out-lib/. >/dev/null || { echo "bench-cab32: library extraction differs" >&2; exit 1; }
diff -r data out-cabextract >/dev/null || { echo "bench-cab32: cabextract extraction differs" >&2; exit 1; }

echo "Data: $total_mb MB in $(wc -l < list.txt) files (half text, half binary)"
printf '%-48s %8s %9s\n' "Step" "seconds" "MB/s"
row() { printf '%-48s %8.2f %9s\n' "$1" "$2" "$(rate "$2")"; }
row "create MSZIP, cab32.dll under Wine" "$t_lib_create"
row "create MSZIP, gcab -z" "$t_gcab_create"
row "extract, cab32.dll under Wine (own cabinet)" "$t_lib_extract"
row "extract, cabextract (cab32.dll's cabinet)" "$t_cabextract"
row "extract, gcab -x (gcab's cabinet)" "$t_gcab_extract"
row "extract, cab32.dll under Wine (gcab's cabinet)" "$t_lib_extract_gcab"
row "test (-t), cab32.dll under Wine" "$t_lib_test"
printf '%-48s %8.2f\n' "CabCheckArchive(lib.cab, 2) incl. Wine start" "$t_check"
printf '%-48s %8.2f\n' "member enumeration incl. Wine start" "$t_members"
echo "Sizes: data $total_bytes bytes; cab32.dll MSZIP $(size_of lib.cab); gcab -z $(size_of gcab.cab)"
