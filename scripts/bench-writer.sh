#!/bin/bash
# Benchmark of the library's own cabinet writer against gcab (not a test).
#
#   BUILD_DIR_X64=... bash scripts/bench-writer.sh [MEGABYTES] [WORK_DIR]
#
# Gathers about MEGABYTES (default 100) of mixed data from this machine's
# own files: half text (headers, documentation), half binary (shared
# libraries and programs). Writes it with LZX 15, 18 and 21 and MSZIP
# through cabwrite.exe under Wine and with `gcab -c -z`, checks every cabinet
# with `cabextract -t`, and prints sizes and MB/s.
set -euo pipefail
source "$(dirname "$0")/common.sh"

MEGABYTES=${1:-100}
WORK=${2:-/tmp/tarvik-bench-writer}
RUN_DIR=$BUILD_DIR_X64
WINE_RUN=$RUN_DIR/wine-run.sh
CABWRITE=$RUN_DIR/tests/bin/cabwrite.exe
[ -x "$WINE_RUN" ] && [ -f "$CABWRITE" ] || { echo "build cabwrite first (tree $RUN_DIR)"; exit 1; }

# gather_files BYTES OUT_DIR FIND_ARGS...: copies whole files until BYTES are reached.
gather_files() {
  local limit=$1 out=$2 total=0 n=0 size
  shift 2
  mkdir -p "$out"
  while IFS= read -r -d '' file; do
    size=$(stat -c %s "$file")
    [ "$size" -gt 0 ] && [ "$size" -lt 8000000 ] || continue
    n=$((n + 1))
    cp "$file" "$out/$(printf %05d $n)_$(basename "$file")"
    total=$((total + size))
    [ "$total" -lt "$limit" ] || break
  done < <(find "$@" -type f -print0 2>/dev/null | sort -z)
}

DATA=$WORK/data
if [ ! -f "$WORK/data.done.$MEGABYTES" ]; then
  rm -rf "$WORK"
  mkdir -p "$WORK"
  half=$((MEGABYTES * 1024 * 1024 / 2))
  gather_files "$half" "$DATA/text" /usr/include /usr/share/doc /usr/share/perl5 -name '*.[hc]' -o -name '*.txt' -o -name '*.pm' -o -name '*.html'
  gather_files "$half" "$DATA/binary" /usr/lib/x86_64-linux-gnu /usr/bin -name '*.so*' -o -perm -u+x
  touch "$WORK/data.done.$MEGABYTES"
fi
INPUT_BYTES=$(du -sb "$DATA" | cut -f1)
LIST=$WORK/list.txt
(cd "$DATA" && find . -type f | sort) | sed 's|^\./||' | while read -r f; do
  printf '%s*Z:%s\r\n' "${f//\//\\}" "$(echo "$DATA/$f" | tr / '\\')"
done > "$LIST"
WIN_LIST="Z:$(echo "$LIST" | tr / '\\')"

export WINEPREFIX=$RUN_DIR/wineprefix WINEARCH=win64 WINE=/usr/lib/wine/wine64
tarvik_wine_prefix
"$WINE" cmd /c exit >/dev/null 2>&1

now() { date +%s.%N; }
report() {  # name bytes seconds
  awk -v n="$1" -v b="$2" -v s="$3" -v in_="$INPUT_BYTES" -v ref="${GCAB_BYTES:-0}" 'BEGIN {
    rel = ref > 0 ? sprintf("%+.1f%%", (b - ref) * 100 / ref) : "";
    printf "%-10s %12d bytes  %6.2f%% of input  %7.2f MB/s  %s\n", n, b, b * 100 / in_, in_ / 1048576 / s, rel }'
}

echo "input: $INPUT_BYTES bytes in $(wc -l < "$LIST") files ($DATA)"
start=$(now)
(cd "$DATA" && gcab -c -z "$WORK/gcab.cab" $(cd "$DATA" && find . -type f | sort | sed 's|^\./||'))
GCAB_SECONDS=$(echo "$(now) - $start" | bc)
GCAB_BYTES=$(stat -c %s "$WORK/gcab.cab")
report "gcab -z" "$GCAB_BYTES" "$GCAB_SECONDS"
cabextract -q -t "$WORK/gcab.cab" >/dev/null

for method in ${METHODS:-mszip lzx15 lzx18 lzx21}; do
  rm -f "$WORK/$method.cab"
  start=$(now)
  "$WINE_RUN" "$CABWRITE" "$method" 0 "Z:$(echo "$WORK/$method.cab" | tr / '\\')" "@$WIN_LIST" >/dev/null
  seconds=$(echo "$(now) - $start" | bc)
  report "$method" "$(stat -c %s "$WORK/$method.cab")" "$seconds"
  cabextract -q -t "$WORK/$method.cab" >/dev/null || echo "  cabextract -t FAILED for $method"
done
