#!/bin/bash
# Benchmark of the library's own cabinet writer against gcab (not a test).
#
#   BUILD_DIR_X64=... bash scripts/bench-writer.sh [MEGABYTES] [WORK_DIR]
#
# Gathers about MEGABYTES (default 100) of mixed data from this machine's
# own files: half text (headers, documentation), half binary (shared
# libraries and programs). Writes it with LZX 15, 18 and 21 and MSZIP
# through cabwrite.exe under Wine and with `gcab -c -z`, checks every cabinet
# with `cabextract -t`, and prints sizes and MB/s (by processor time and by
# wall-clock time; the first is steadier on a busy machine).
set -euo pipefail
source "$(dirname "$0")/common.sh"

MEGABYTES=${1:-100}
WORK=${2:-/tmp/tarvik-bench-writer}
RUN_DIR=$BUILD_DIR_X64
WINE_RUN=$RUN_DIR/wine-run.sh
CABWRITE=${CABWRITE:-$RUN_DIR/tests/bin/cabwrite.exe}  # CABWRITE: another build of the writer
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
  gather_files "$half" "$DATA/text" /usr/include /usr/lib/python3* /usr/share \
    \( -name '*.[hc]' -o -name '*.txt' -o -name '*.pm' -o -name '*.html' -o -name '*.py' -o -name '*.xml' -o -name '*.js' -o -name '*.css' \)
  gather_files "$half" "$DATA/binary" /usr/lib/x86_64-linux-gnu /usr/bin \( -name '*.so*' -o -perm -u+x \)
  touch "$WORK/data.done.$MEGABYTES"
fi
INPUT_BYTES=$(du -sb "$DATA" | cut -f1)
LIST=$WORK/list.txt
WIN_DATA="Z:$(echo "$DATA" | tr / '\\')"
# One "stored*source" entry a line, in Windows form.
(cd "$DATA" && find . -type f | sort) | sed 's|^\./||' |
  BASE=$WIN_DATA awk '{ gsub("/", "\\"); printf "%s*%s\\%s\r\n", $0, ENVIRON["BASE"], $0 }' > "$LIST"
WIN_LIST="Z:$(echo "$LIST" | tr / '\\')"

export WINEPREFIX=$RUN_DIR/wineprefix WINEARCH=win64 WINE=/usr/lib/wine/wine64
tarvik_wine_prefix
"$WINE" cmd /c exit >/dev/null 2>&1

# timed COMMAND...: runs it; sets WALL and CPU (user + system seconds of the
# command and its children), so that a busy machine shows in the wall time only.
timed() {
  local times
  times=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null 2>&1; } 2>&1 | tail -1)
  WALL=$(echo "$times" | cut -d' ' -f1)
  CPU=$(echo "$times" | awk '{ print $2 + $3 }')
}
report() {  # name bytes
  awk -v n="$1" -v b="$2" -v w="$WALL" -v c="$CPU" -v in_="$INPUT_BYTES" -v ref="${GCAB_BYTES:-0}" 'BEGIN {
    rel = ref > 0 ? sprintf("%+.1f%% vs gcab", (b - ref) * 100 / ref) : "";
    printf "%-8s %11d bytes %6.2f%% of input  %6.2f MB/s cpu  %6.2f MB/s wall  %s\n",
           n, b, b * 100 / in_, in_ / 1048576 / c, in_ / 1048576 / w, rel }'
}

echo "input: $INPUT_BYTES bytes in $(wc -l < "$LIST") files ($DATA)"
gcab_all() { cd "$DATA" && gcab -c -z "$WORK/gcab.cab" $(find . -type f | sort | sed 's|^\./||'); }
rm -f "$WORK/gcab.cab"
timed gcab_all
GCAB_BYTES=$(stat -c %s "$WORK/gcab.cab")
report "gcab -z" "$GCAB_BYTES"
cabextract -q -t "$WORK/gcab.cab" >/dev/null

for method in ${METHODS:-mszip lzx15 lzx18 lzx21}; do
  rm -f "$WORK/$method.cab"
  timed "$WINE_RUN" "$CABWRITE" "$method" 0 "Z:$(echo "$WORK/$method.cab" | tr / '\\')" "@$WIN_LIST"
  report "$method" "$(stat -c %s "$WORK/$method.cab")"
  cabextract -q -t "$WORK/$method.cab" >/dev/null || echo "  cabextract -t FAILED for $method"
done
