# Shared steps of the build, test and run scripts. Sourced, not run.
#
# The program is built for 32-bit Windows (build/). Tests and the program run
# under Wine. Where the Linux kernel cannot run 32-bit processes (32-bit
# emulation switched off, so 32-bit Wine cannot start), the same sources are
# also built for 64-bit Windows (build-x64/) and run under 64-bit Wine.

TARVIK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$TARVIK_ROOT/build}
BUILD_DIR_X64=${BUILD_DIR_X64:-$TARVIK_ROOT/build-x64}

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

tarvik_install() {
  if [ "$(id -u)" = 0 ]; then
    bash "$TARVIK_ROOT/scripts/install-deps.sh"
  else
    sudo bash "$TARVIK_ROOT/scripts/install-deps.sh"
  fi
}

# True when this kernel runs 32-bit x86 programs.
tarvik_runs_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# tarvik_build DIR ARCH [cmake options...]: configures and builds one tree.
tarvik_build() {
  local dir=$1 arch=$2
  shift 2
  cmake -S "$TARVIK_ROOT" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$TARVIK_ROOT/cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# Builds the tree that runs here and sets RUN_DIR, WINE, WINEPREFIX, WINEARCH.
tarvik_build_runnable() {
  tarvik_build "$BUILD_DIR" i686 "$@"
  if tarvik_runs_32bit; then
    RUN_DIR=$BUILD_DIR
    WINE=wine
    export WINEARCH=win32
  else
    echo "tarvik: this kernel cannot run 32-bit programs; running the 64-bit build under 64-bit Wine"
    tarvik_build "$BUILD_DIR_X64" x86_64 "$@"
    RUN_DIR=$BUILD_DIR_X64
    WINE=/usr/lib/wine/wine64
    export WINEARCH=win64
  fi
  export WINEPREFIX="$RUN_DIR/wineprefix"
}

# Builds the library's portable core natively with the host's clang
# (build-native/): its sanitizer tests and fuzz targets.
BUILD_DIR_NATIVE=${BUILD_DIR_NATIVE:-$TARVIK_ROOT/build-native}
tarvik_build_native() {
  CC=clang CXX=clang++ cmake -S "$TARVIK_ROOT/tests/native" -B "$BUILD_DIR_NATIVE" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD_DIR_NATIVE" -j "$(nproc)"
}

# Prepares the run tree's Wine prefix once; later runs reuse it.
tarvik_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "tarvik: preparing the Wine prefix in $WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # No crash dialog that would wait for a click in a test run.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    # The windows ask for "ＭＳ Ｐゴシック" / "ＭＳ ゴシック"; Wine has neither, so
    # point them at the IPA fonts with the same metrics style.
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "ＭＳ Ｐゴシック" /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "ＭＳ ゴシック" /t REG_SZ /d IPAGothic /f >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Starts Xvfb when there is no display; the display is also written to the
# run tree so that CTest's Wine wrapper finds it. Xvfb picks a free display
# number itself and names it once it takes connections (-displayfd).
tarvik_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "$DISPLAY" > "$RUN_DIR/xvfb-display"
    return
  fi
  local number_file n=""
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  TARVIK_XVFB_PID=$!
  for _ in $(seq 1 100); do
    n=$(tr -dc 0-9 < "$number_file")
    if [ -n "$n" ] || ! kill -0 "$TARVIK_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  rm -f "$number_file"
  if [ -z "$n" ] || ! DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
    echo "tarvik: Xvfb did not start a display" >&2
    return 1
  fi
  export DISPLAY=":$n"
  echo "$DISPLAY" > "$RUN_DIR/xvfb-display"
}

# Everything a script needs before it runs a Windows program here: packages,
# the runnable build, its Wine prefix and a display; cleaned up on exit.
tarvik_prepare() {
  tarvik_install
  tarvik_build_runnable
  tarvik_wine_prefix
  tarvik_display
  trap tarvik_cleanup EXIT
}

# Whether this prefix's desktop process (explorer /desktop) is running.
tarvik_desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

tarvik_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${TARVIK_XVFB_PID:-}" ]; then kill "$TARVIK_XVFB_PID" 2>/dev/null || true; fi
  rm -f "$RUN_DIR/xvfb-display"
}
