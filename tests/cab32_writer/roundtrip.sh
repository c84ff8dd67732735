#!/bin/bash
# Round trips through the library's cabinet writer (cabwrite.exe under Wine)
# and two independent readers: libmspack (cabextract on Linux) and Windows'
# FDI (cabfdi.exe under Wine). Every cabinet must test clean and extract
# byte for byte.
#
#   roundtrip.sh WINE_RUN CABWRITE CABFDI WORK_DIR SCENARIO [SEED]
#   SCENARIO: methods | volumes | fuzz | refusals
set -euo pipefail

WINE_RUN=$1
CABWRITE=$2
CABFDI=$3
WORK=$4
SCENARIO=$5
SEED=${6:-$(date +%s)}
rm -rf "$WORK"
mkdir -p "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { echo "Z:$1" | tr / '\\'; }
# repeat TEXT BYTES: the line repeated up to BYTES bytes (yes stops on a broken pipe).
repeat() { yes "$1" | head -c "$2" || true; }

# cabwrite METHOD VOLUME_BYTES CAB_PATH INPUT_DIR: stores every file of the
# folder under its relative path, through a list file.
cabwrite() {
  local method=$1 volume=$2 cab=$3 dir=$4 list=$WORK/list.txt
  (cd "$dir" && find . -type f | sort) | sed 's|^\./||' | while read -r f; do
    printf '%s*%s\r\n' "${f//\//\\}" "$(winpath "$dir/$f")"
  done > "$list"
  "$WINE_RUN" "$CABWRITE" "$method" "$volume" "$(winpath "$cab")" "@$(winpath "$list")" > "$WORK/cabwrite.out"
}

# check FIRST_CAB INPUT_DIR: cabextract tests and extracts the cabinet (and
# the volumes after it) without a warning, FDI extracts it too, and the
# files come out identical.
check() {
  local cab=$1 dir=$2 out=$WORK/extracted
  rm -rf "$out" "$out-fdi"
  "$WINE_RUN" "$CABFDI" "$(winpath "$cab")" "$(winpath "$out-fdi")" || fail "FDI could not extract $cab"
  diff -r "$dir" "$out-fdi" > /dev/null || { diff -r "$dir" "$out-fdi" | head; fail "FDI contents differ for $cab"; }
  cabextract -t "$cab" > "$WORK/test.log" 2>&1 || { cat "$WORK/test.log"; fail "cabextract -t $cab"; }
  if grep -q WARNING "$WORK/test.log"; then cat "$WORK/test.log"; fail "warnings for $cab"; fi
  cabextract -q -d "$out" "$cab" 2>&1 | (! grep .) || fail "cabextract -d $cab"
  diff -r "$dir" "$out" > /dev/null || { diff -r "$dir" "$out" | head; fail "contents differ for $cab"; }
}

# Inputs that sit on the edges: empty files, one byte, frames of exactly and
# just over 32 KB, a window-sized repeated pattern plus one byte, random
# data and plain text.
make_awkward_inputs() {
  local dir=$1
  mkdir -p "$dir/sub folder"
  : > "$dir/empty-first"
  printf 'x' > "$dir/one-byte"
  head -c 32768 /dev/urandom > "$dir/frame-exact.bin"
  head -c 32769 /dev/urandom > "$dir/frame-plus-one.bin"
  repeat 'pattern 0123456789 abcdefghijklmnopqrstuvwxyz' $(( (1 << 21) + 1 )) > "$dir/pattern-2M-plus-1.txt"
  head -c 150000 /dev/urandom > "$dir/sub folder/random.bin"
  seq 1 40000 | sed 's/$/ line of text/' > "$dir/sub folder/text.txt"
  : > "$dir/sub folder/zzz-empty-last"
}

scenario_methods() {
  make_awkward_inputs "$WORK/in"
  for method in none mszip lzx15 lzx16 lzx17 lzx18 lzx19 lzx20 lzx21; do
    cabwrite "$method" 0 "$WORK/$method.cab" "$WORK/in"
    check "$WORK/$method.cab" "$WORK/in"
  done
  # Members that are all empty make a folder without data blocks.
  mkdir -p "$WORK/empties"
  : > "$WORK/empties/a"
  : > "$WORK/empties/b"
  cabwrite lzx21 0 "$WORK/empties.cab" "$WORK/empties"
  check "$WORK/empties.cab" "$WORK/empties"
  # LZX must really compress: the pattern file alone would take 2 MB.
  [ "$(stat -c %s "$WORK/lzx21.cab")" -lt 600000 ] || fail "lzx21 did not compress"
}

scenario_volumes() {
  make_awkward_inputs "$WORK/in"
  local method volume count
  for method in none mszip lzx15 lzx16 lzx17 lzx18 lzx19 lzx20 lzx21 small:none small:mszip small:lzx21; do
    volume=65536
    if [ "${method#small:}" != "$method" ]; then method=${method#small:}; volume=4000; fi
    mkdir -p "$WORK/$method-$volume"
    cabwrite "$method" "$volume" "$WORK/$method-$volume/set.cab" "$WORK/in"
    count=$(ls "$WORK/$method-$volume" | wc -l)
    [ "$count" -gt 1 ] || fail "$method $volume made one volume"
    for f in "$WORK/$method-$volume"/*; do
      [ "$(stat -c %s "$f")" -le "$volume" ] || fail "$f is larger than $volume bytes"
    done
    check "$WORK/$method-$volume/set01.cab" "$WORK/in"
  done
}

# Random files of random sizes and contents, random methods and volume sizes.
scenario_fuzz() {
  echo "seed $SEED"
  RANDOM=$SEED
  local methods=(none mszip lzx15 lzx16 lzx17 lzx18 lzx19 lzx20 lzx21)
  local round files i size kind method volume dir deadline=$((SECONDS + 150))
  for round in $(seq 1 14); do
    [ $SECONDS -lt $deadline ] || break
    dir=$WORK/fuzz$round/in
    mkdir -p "$dir"
    files=$((RANDOM % 6 + 1))
    for i in $(seq 1 $files); do
      size=$(( (RANDOM * 32768 + RANDOM) % (RANDOM % 4 == 0 ? 400000 : 70000) ))
      kind=$((RANDOM % 4))
      case $kind in
        0) head -c "$size" /dev/urandom ;;
        1) head -c "$size" /dev/zero ;;
        2) head -c "$size" /dev/urandom | tr -c 'ab' 'a' ;;
        3) repeat "$RANDOM words $RANDOM" "$size" ;;
      esac > "$dir/f$i"
    done
    method=${methods[$((RANDOM % ${#methods[@]}))]}
    volume=$(( RANDOM % 3 == 0 ? 0 : 3000 + (RANDOM * 8) % 200000 ))
    cabwrite "$method" "$volume" "$WORK/fuzz$round/c.cab" "$dir"
    if [ "$volume" = 0 ]; then check "$WORK/fuzz$round/c.cab" "$dir"; else check "$WORK/fuzz$round/c01.cab" "$dir"; fi
  done
}

# expect_exit CODE COMMAND...: the writer refuses with the given exit code.
expect_exit() {
  local code=$1 status=0
  shift
  "$@" > /dev/null 2>&1 || status=$?
  [ "$status" = "$code" ] || fail "expected exit $code, got $status from: $*"
}

scenario_refusals() {
  mkdir -p "$WORK/in" "$WORK/out"
  printf 'data' > "$WORK/in/a.txt"
  local src; src=$(winpath "$WORK/in/a.txt")
  # A stored name of 256 bytes (exit 10 + NameTooLong).
  expect_exit 14 "$WINE_RUN" "$CABWRITE" mszip 0 "$(winpath "$WORK/out/long.cab")" "$(printf 'n%.0s' $(seq 1 256))*$src"
  # 65536 files (exit 10 + TooManyFiles), refused before any file is read.
  { yes "x*$src" | head -n 65536 || true; } > "$WORK/many.txt"
  expect_exit 12 "$WINE_RUN" "$CABWRITE" none 0 "$(winpath "$WORK/out/many.cab")" "@$(winpath "$WORK/many.txt")"
  # A missing source (exit 10 + SourceUnreadable).
  expect_exit 16 "$WINE_RUN" "$CABWRITE" lzx21 0 "$(winpath "$WORK/out/missing.cab")" "m*$(winpath "$WORK/in/nothing")"
  # An existing cabinet is never replaced (exit 10 + OutputExists).
  printf 'keep me' > "$WORK/out/exists.cab"
  expect_exit 22 "$WINE_RUN" "$CABWRITE" mszip 0 "$(winpath "$WORK/out/exists.cab")" "a*$src"
  [ "$(cat "$WORK/out/exists.cab")" = "keep me" ] || fail "existing cabinet changed"
  # Volumes too small for a header and data (exit 10 + VolumeTooSmall).
  expect_exit 24 "$WINE_RUN" "$CABWRITE" none 60 "$(winpath "$WORK/out/tiny.cab")" "a*$src"
  # A bad window size (exit 10 + BadSettings).
  expect_exit 15 "$WINE_RUN" "$CABWRITE" lzx22 0 "$(winpath "$WORK/out/bad.cab")" "a*$src"
  # Nothing was left behind by the refusals.
  [ "$(ls "$WORK/out")" = "exists.cab" ] || fail "refused jobs left files: $(ls "$WORK/out")"

  # A Shift-JIS name whose second bytes are 0x5C is stored as its bytes.
  "$WINE_RUN" "$CABWRITE" none 0 "$(winpath "$WORK/out/sjis.cab")" "表ソ\\能.txt*$src" > /dev/null
  LC_ALL=C grep -qaF "$(printf '\x95\x5c\x83\x5c\x5c\x94\x5c.txt')" "$WORK/out/sjis.cab" || fail "name not stored as CP932 bytes"
}

"scenario_$SCENARIO"
echo "ok: $SCENARIO"
