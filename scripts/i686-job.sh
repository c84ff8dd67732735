#!/usr/bin/env bash
# Runs the i686 build's tests under 32-bit Wine: inside the emulated test
# guest, or directly on a machine whose kernel runs 32-bit programs. Wine's
# environment (LANG, WINEPREFIX, WINEARCH) is set by the caller.
#
#   i686-job.sh PAYLOAD RESULTS WORK
#
# PAYLOAD holds the build's bin/ and tests/ folders, the test scripts, the
# release package and plan.txt (one "NAME LANE" a line; lane 0 runs first,
# then lanes 1 and 2 side by side). Everything is copied to WORK first: a DLL
# loaded from the host's shared folder can fail to load (error 998). For each
# test one line goes to RESULTS.LANE:
#   RESULT NAME Passed|Failed SECONDS
# and its output to RESULTS's folder, logs/NAME.log.
set -u
payload=$1 results=$2 work=$3
logs=$(dirname "$results")/logs

rm -rf "$work"
mkdir -p "$work" "$logs"
cp -r "$payload"/. "$work/"
cd "$work" || exit 1
printf '#!/bin/sh\nexec wine "$@"\n' > wine-run.sh
chmod +x wine-run.sh
wine_run=$work/wine-run.sh
bin=$work/tests/bin

# Windows need an X display; without a window manager they have no frames,
# which the tests do not look at.
xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :7 -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:7
  for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X7 ] && break; sleep 0.2; done
fi
wineserver -p > /dev/null 2>&1
wine cmd /c exit > /dev/null 2>&1

# The package is installed where a user might put it: a path with a blank and
# Japanese characters. The data to compress lies apart from it.
program_folder='C:\Program Files\ツール\Tarvik32'
program="$program_folder\\Tarvik32.exe"
data=$WINEPREFIX/drive_c/data

# probe MODE ARGUMENTS...: the package probe on the installed program; its
# report (CP932) is logged as UTF-8.
probe() {
  (set -o pipefail; cd "$bin" && wine package_probe.exe "$program" "$@" | iconv -f CP932 -t UTF-8)
}

package_compress() {
  local install="$WINEPREFIX/drive_c/Program Files/ツール"
  mkdir -p "$install" "$data"
  unzip -q Tarvik32.zip -d "$install" || return 1
  seq 1 20000 | sed 's/$/ line of the report/' > "$data/report.txt"
  head -c 200000 /dev/urandom > "$data/image.bin"
  probe compress 'C:\data\report.txt' 'C:\data\image.bin' || return 1
  echo "cabextract -t:" && cabextract -t "$data/report.cab" || return 1
  rm -rf extracted && cabextract -q -d extracted "$data/report.cab" &&
    cmp extracted/data/report.txt "$data/report.txt" && cmp extracted/data/image.bin "$data/image.bin" &&
    echo "cabextract extracts both files unchanged"
}

package_extract() {
  [ -f "$data/report.cab" ] || { echo "no cabinet: the Compress job of package_compress made none"; return 1; }
  probe extract 'C:\data\report.cab' 'data\report.txt' 'data\image.bin'
}

# run_test NAME: runs one test of the plan.
run_test() {
  local name=$1
  case $name in
    guest_code_page) [ "$(wine /opt/tarvik/acp.exe | tr -d '\r')" = "ACP 932" ] ;;
    cab32_e2e_*)
      bash tests/cab32/e2e.sh "${name#cab32_e2e_}" "$wine_run" "$bin/cab32_driver.exe" bin/cab32.dll "$work/$name" ;;
    cab32_writer_roundtrip_*)
      bash tests/cab32_writer/roundtrip.sh "$wine_run" "$bin/cabwrite.exe" "$bin/cabfdi.exe" "$work/$name" \
        "${name#cab32_writer_roundtrip_}" ;;
    help_file_format) help/hlp_tests bin/Tarvik.hlp help/tarvik_help.txt ;;
    package_compress) package_compress ;;
    package_extract) package_extract ;;
    *) (cd "$bin" && wine "$name.exe") ;;
  esac
}

# run_lane LANE: runs the plan's tests of one lane, one after the other.
run_lane() {
  local lane=$1 name start end status seconds
  awk -v lane="$lane" '$2 == lane { print $1 }' plan.txt | while read -r name; do
    start=$(date +%s%N)
    if timeout 900 bash -c 'run_test "$1"' run_test "$name" > "$logs/$name.log" 2>&1; then
      status=Passed
    else
      status=Failed
    fi
    end=$(date +%s%N)
    seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    echo "RESULT $name $status $seconds" | tee -a "$results.$lane"
  done
}

export -f run_test probe package_compress package_extract
export work bin wine_run program data
# Lane 0 checks the machine; nothing else is worth running in a guest whose
# Wine is not Japanese. Lanes 1 and 2 run side by side: the plan keeps the
# tests that share the registry or the response file in one lane.
run_lane 0
if ! grep -q ' Failed ' "$results.0" 2>/dev/null; then
  run_lane 1 &
  lane1=$!
  run_lane 2
  wait "$lane1"  # not a bare wait: Xvfb runs in the background too
fi
wineserver -k > /dev/null 2>&1
[ -z "$xvfb" ] || kill "$xvfb"
