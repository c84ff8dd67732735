#!/usr/bin/env bash
# Measures cab32.dll against gcab and cabextract on the same generated data
# (default 150 MB: half text, a quarter random bytes, a quarter program
# files). Not a test: it prints a table and removes its files at the end.
#
# The library compresses on one thread per processor; each cabinet is also
# made on one thread (CAB32_THREADS=1), and the two must be identical.
# The machine's load average is printed before and after: the threads'
# figures mean little on a machine busy with other work.
#
# The library's figures time the Cab call inside the calling process
# (cab32_driver prints "cab-seconds" and "cab-cpu-seconds"); Wine's start-up
# is measured apart and shown on its own line. gcab's and cabextract's
# figures are their process times. Each rate is given by the clock (wall)
# and by processor time (CPU): on a machine busy with other work the wall
# figures drop, the CPU figures much less. When a native build of the
# portable core exists ($BUILD_DIR_NATIVE/cabcore_bench, from tools/native/),
# its decoders are timed on the same cabinets too.
#
# Usage: scripts/bench-cab32.sh [SIZE_MB]
# Uses the x86_64 build tree ($BUILD_DIR_X64, built by the caller).
#   CAB32_DLL=PATH          another build of the library to measure
#   BEFORE_DLL=PATH         a second build whose cabinets are made (on one
#                           thread) beside the first's in the same run, and
#                           which extracts the first's (e.g. a saved one)
#   LZX_LEVELS="15 ... 21"  the LZX windows to create with (default 21)
#   CREATE_ONLY=1           skip the extraction rows
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

size_mb=${1:-150}
run_dir=$BUILD_DIR_X64
native_bench=${BUILD_DIR_NATIVE:-$TARVIK_ROOT/build-native}/cabcore_bench
driver=$run_dir/tests/bin/cab32_driver.exe
fdi=$run_dir/tests/bin/cabfdi.exe
dll=${CAB32_DLL:-$run_dir/bin/cab32.dll}  # CAB32_DLL: another build of the library, e.g. a saved one
for f in "$driver" "$dll" "$run_dir/wine-run.sh"; do
  [ -e "$f" ] || { echo "bench-cab32: $f is missing; build $run_dir first" >&2; exit 1; }
done
command -v gcab >/dev/null && command -v cabextract >/dev/null || { echo "bench-cab32: needs gcab and cabextract" >&2; exit 1; }

export WINEPREFIX=$run_dir/wineprefix
wine_run=$run_dir/wine-run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-cab32.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Half text (numbered lines of words), a quarter random bytes, a quarter
# program files from this system (they compress moderately).
generate_data() {
  local half=$((size_mb / 2)) quarter=$((size_mb / 4)) i
  mkdir -p "$work/data/text" "$work/data/bin"
  for i in $(seq 1 "$half"); do
    awk -v seed="$i" 'BEGIN { srand(seed); for (n = 0; n < 20000; n++) {
      printf "%07d", n; for (w = 0; w < 8; w++) printf " w%d", int(rand() * 5000); printf "\n" } }' \
      | head -c 1048576 > "$work/data/text/t$i.txt" || true  # head ends the pipe early
  done
  for i in $(seq 1 "$quarter"); do head -c 1048576 /dev/urandom > "$work/data/bin/r$i.bin"; done
  find /usr/lib /usr/bin -type f -size +200k 2>/dev/null | sort | head -600 | xargs cat 2>/dev/null \
    | head -c $(( (size_mb - half - quarter) * 1048576 )) | split -b 1048576 - "$work/data/bin/p" || true
}

# timed COMMAND...: runs the command once and prints its wall and processor
# seconds (user + system, children included).
timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" "$@" >/dev/null 2>&1 || { echo "bench-cab32: failed: $*" >&2; exit 1; }
  awk '{ printf "%.3f %.3f", $1, $2 + $3 }' "$work/time.txt"
}

# startup COMMAND...: wall time of a process whose result does not matter.
startup() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

# lib DLL COMMAND: runs one Cab call and prints the wall and processor
# seconds the call itself took (THREADS: the compressing threads, else all).
lib() {
  local seconds
  seconds=$(CAB32_THREADS=${THREADS:-} "$wine_run" "$driver" "$(winpath "$1")" cab "$2" 2>&1 >/dev/null |
    awk '/^cab-seconds/ { w = $2 } /^cab-cpu-seconds/ { c = $2 } END { if (w != "") print w, c }')
  [ -n "$seconds" ] || { echo "bench-cab32: failed: Cab $2" >&2; exit 1; }
  echo "$seconds"
}

# core CABINET: the portable core's decoders, natively (seconds of decoding).
core() { "$native_bench" "$1" | awk '/^decode-seconds/ { print $2 }'; }

rate() { awk -v mb="$total_mb" -v s="$1" 'BEGIN { printf "%.1f", mb / s }'; }
size_of() { stat -c %s "$1"; }
# row STEP "LIB_WALL LIB_CPU" REFERENCE "REF_WALL REF_CPU": one table line.
row() {
  local lw lc rw rc
  read -r lw lc <<< "$2"
  if [ -z "$3" ]; then
    printf '| %s | %s | %s | — | — | — | — | — |\n' "$1" "$(rate "$lw")" "$(rate "$lc")"
    return
  fi
  read -r rw rc <<< "$4"
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$1" "$(rate "$lw")" "$(rate "$lc")" "$3" \
    "$(rate "$rw")" "$(rate "$rc")" "$(ratio "$lw" "$rw")" "$(ratio "$lc" "$rc")"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b / a }'; }

generate_data
total_bytes=$(du -sb "$work/data" | cut -f1)
total_mb=$(awk -v b="$total_bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
cd "$work"
(cd data && find . -type f | sed 's|^\./||; s|/|\\|g' | sort) > list.txt

t_wine=$(startup "$wine_run" "$driver" "$(winpath "$dll")" check nothing)  # starts the Wine server
t_wine_warm=$(startup "$wine_run" "$driver" "$(winpath "$dll")" check nothing)

levels=${LZX_LEVELS:-21}
# create NAME DLL: the library's MSZIP and LZX cabinets NAME-mszip.cab,
# NAME-lzxN.cab (THREADS as for lib).
create() {
  local level
  t_create["$1-mszip"]=$(cd data && lib "$2" "-a -mz $(winpath "$work/$1-mszip.cab") @$(winpath "$work/list.txt")")
  for level in $levels; do
    t_create["$1-lzx$level"]=$(cd data && lib "$2" "-a -ml$level $(winpath "$work/$1-lzx$level.cab") @$(winpath "$work/list.txt")")
  done
}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
declare -A t_create
create lib "$dll"
THREADS=1 create one "$dll"
[ -z "${BEFORE_DLL:-}" ] || THREADS=1 create before "$BEFORE_DLL"
t_gcab=$(cd data && timed gcab -c -z "$work/gcab.cab" $(sed 's|\\|/|g' "$work/list.txt"))
# The cabinets' set ID (bytes 32-33) comes from the clock; the rest must
# not depend on the number of threads.
same_bytes() { cmp -s <(head -c 32 "$1"; tail -c +35 "$1") <(head -c 32 "$2"; tail -c +35 "$2"); }

echo "Data: $total_mb MB in $(wc -l < list.txt) files (half text, a quarter random, a quarter program files)"
echo "Wine start-up (not in the library's figures): first process $t_wine s, later processes $t_wine_warm s"
echo "Processors: $(nproc); load average (1, 5, 15 min) before: $load_before"
echo
echo "| step | library MB/s wall | library MB/s CPU | reference | reference MB/s wall | reference MB/s CPU | library / reference wall | library / reference CPU |"
echo "|---|---:|---:|---|---:|---:|---:|---:|"
for name in lib one ${BEFORE_DLL:+before}; do
  case $name in
    lib) label=", all threads" ;;
    one) label=", 1 thread" ;;
    before) label=" (before)" ;;
  esac
  row "create MSZIP$label" "${t_create[$name-mszip]}" "gcab -z" "$t_gcab"
  [ "$name" != lib ] || row "create MSZIP$label" "${t_create[lib-mszip]}" "1 thread" "${t_create[one-mszip]}"
  for level in $levels; do
    if [ "$name" = lib ]; then
      row "create LZX $level$label" "${t_create[lib-lzx$level]}" "1 thread" "${t_create[one-lzx$level]}"
    else
      row "create LZX $level$label" "${t_create[$name-lzx$level]}" ""
    fi
  done
done
if [ -z "${CREATE_ONLY:-}" ]; then
  for kind in lib-mszip lib-lzx21 gcab; do
    [ -f "$kind.cab" ] || continue
    t_x=$(lib "$dll" "-x $kind.cab $(winpath "$work/out-$kind")")
    diff -r data "out-$kind" >/dev/null || { echo "bench-cab32: library extraction of $kind differs" >&2; exit 1; }
    rm -rf "out-$kind"
    t_t=$(lib "$dll" "-t $kind.cab")
    t_ce=$(timed cabextract -q -d "$work/out-ce" "$kind.cab")
    diff -r data out-ce >/dev/null || { echo "bench-cab32: cabextract extraction of $kind differs" >&2; exit 1; }
    rm -rf out-ce
    row "extract $kind.cab (-x)" "$t_x" "cabextract" "$t_ce"
    row "test $kind.cab (-t)" "$t_t" "cabextract" "$t_ce"
    if [ -n "${BEFORE_DLL:-}" ]; then
      t_xb=$(lib "$BEFORE_DLL" "-x $kind.cab $(winpath "$work/out-before")")
      diff -r data out-before >/dev/null || { echo "bench-cab32: extraction of $kind by the library before differs" >&2; exit 1; }
      rm -rf out-before
      row "extract $kind.cab (-x), library before" "$t_xb" "cabextract" "$t_ce"
    fi
    # Windows' FDI, the reader the library used before its own, as a second
    # reference (its time is the whole Wine process).
    if [ -e "$fdi" ]; then
      t_fdi=$(timed "$wine_run" "$fdi" "$(winpath "$work/$kind.cab")" "$(winpath "$work/out-fdi")")
      diff -r data out-fdi >/dev/null || { echo "bench-cab32: FDI extraction of $kind differs" >&2; exit 1; }
      rm -rf out-fdi
      row "extract $kind.cab, Windows' FDI (cabfdi process)" "$t_fdi" "cabextract" "$t_ce"
    fi
    if [ -x "$native_bench" ]; then
      t_core=$(core "$kind.cab")
      row "decode $kind.cab, portable core (native)" "$t_core $t_core" "cabextract" "$t_ce"
    fi
  done
fi
echo
echo "Sizes (bytes): data $total_bytes; gcab -z $(size_of gcab.cab)"
for cab in lib-*.cab one-*.cab before-*.cab; do [ ! -f "$cab" ] || echo "  $cab $(size_of "$cab")"; done
for cab in lib-*.cab; do
  if same_bytes "$cab" "one-${cab#lib-}"; then echo "  $cab: the same bytes with 1 thread and with all"
  else echo "  $cab: DIFFERS between 1 thread and all"; fi
done
echo "Load average (1, 5, 15 min) after: $(cut -d' ' -f1-3 /proc/loadavg)"
