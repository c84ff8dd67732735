#!/usr/bin/env bash
# Regenerates the README's screenshots: Tarvik32 under Wine in a virtual
# desktop (so the window has its frame and caption), in Compress at start and
# in Extract with a cabinet named on the command line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tarvik_prepare
wineserver -p 2>/dev/null || true
"$WINE" cmd /c exit >/dev/null 2>&1 || true

out="$TARVIK_ROOT/docs/screenshots"
mkdir -p "$out"
sample=$(mktemp -d)
mkdir -p "$sample/ソフト"
printf 'Tarvik32 のサンプル\r\n' > "$sample/はじめに.txt"
printf 'data %s\r\n' $(seq 1 200) > "$sample/ソフト/表データ.csv"
head -c 20000 /dev/urandom > "$sample/ソフト/image.bin"
(cd "$sample" && gcab -c -z sample.cab はじめに.txt ソフト/表データ.csv ソフト/image.bin)
cabinet=$("$WINE" winepath -w "$sample/sample.cab" 2>/dev/null)

# shot NAME [arguments...]
shot() {
  local name=$1
  shift
  "$WINE" explorer /desktop=Tarvik32,700x400 "$RUN_DIR/bin/Tarvik32.exe" "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 5
  import -window root -crop 700x400+0+0 "$out/$name.png"
  kill "$pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p 2>/dev/null || true
  "$WINE" cmd /c exit >/dev/null 2>&1 || true
}

shot main-window-compress
shot main-window-extract "$cabinet"
rm -rf "$sample"
echo "screenshots written to $out"
