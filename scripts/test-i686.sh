#!/usr/bin/env bash
# The i686 stage of the test command: the tests of the shipped 32-bit build
# under 32-bit Wine, and the release package installed and used. Where this
# kernel cannot run 32-bit programs they run in the emulated test guest
# (scripts/guest.sh); where it can, directly. Prints one CTest-style line per
# test and fails when any test failed or gave no result.
#
# Expects the i686 tree (build/) to be built, as scripts/test.sh leaves it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$TARVIK_ROOT/scripts/guest.sh"
source "$TARVIK_ROOT/scripts/i686-results.sh"

stage=$BUILD_DIR/i686-stage
share=$stage/share
payload=$share/payload
start=$SECONDS

# What runs, one "NAME LANE" a line: every GoogleTest program, the library's
# end-to-end suites, the writer's round trips, the help file's format, and
# the package last. Lanes 1 and 2 run side by side; the tests that use the
# registry or a response file keep to lane 1. The help viewer tests are left
# out: they wait on the viewer's windows with timings that emulation does
# not keep.
write_plan() {
  local shared=" settings_tests main_window_tests program_tests cab32_e2e_roundtrip package_compress package_extract " name
  {
    tarvik_runs_32bit || echo guest_code_page
    sed 's/\.exe$//' "$BUILD_DIR/gtest-programs.txt"
    printf 'cab32_e2e_%s\n' roundtrip refusals volumes selfextract busy fulldisk names
    printf 'cab32_writer_roundtrip_%s\n' methods volumes fuzz refusals
    printf '%s\n' help_file_format package_compress package_extract
  } | while read -r name; do
    case $name in
      guest_code_page) echo "$name 0" ;;
      *) if [[ $shared == *" $name "* ]]; then echo "$name 1"; else echo "$name 2"; fi ;;
    esac
  done
}

# The binaries, the test scripts and the package, laid out as in the build tree.
assemble_payload() {
  local package
  package=$(bash "$TARVIK_ROOT/scripts/package.sh" | tail -1)
  rm -rf "$share"
  mkdir -p "$payload/bin" "$payload/tests/cab32" "$payload/tests/cab32_writer" "$payload/help"
  cp "$BUILD_DIR"/bin/{Tarvik32.exe,cab32.dll,Tarvik.hlp} "$payload/bin/"
  (cd "$BUILD_DIR" && find tests/bin -name '*.exe' -o -name '*.dll') | (cd "$BUILD_DIR" && xargs cp --parents -t "$payload")
  cp "$TARVIK_ROOT/tests/cab32/e2e.sh" "$payload/tests/cab32/"
  cp "$TARVIK_ROOT/tests/cab32_writer/roundtrip.sh" "$payload/tests/cab32_writer/"
  cp "$BUILD_DIR/host/hlp_tests" "$TARVIK_ROOT/help/tarvik_help.txt" "$payload/help/"
  cp "$package" "$payload/Tarvik32.zip"
  cp "$TARVIK_ROOT/scripts/i686-job.sh" "$payload/"
  write_plan > "$payload/plan.txt"
}

run_in_guest() {
  tarvik_guest_image || { cat "$BUILD_DIR/guest-build.log" 2>/dev/null; return 1; }
  echo "i686: guest image ready after $((SECONDS - start)) s; running $(grep -c . "$payload/plan.txt") tests in the guest"
  cp "$TARVIK_ROOT/scripts/guest/test-job.sh" "$share/job.sh"
  tarvik_guest_boot "$TARVIK_GUEST_IMAGE" "$share" "${TARVIK_GUEST_SECONDS:-2700}" -snapshot ||
    echo "i686: the guest did not power off by itself (console: $share/console.log)"
}

run_here() {
  echo "i686: this kernel runs 32-bit programs; running the tests under 32-bit Wine here"
  (
    export WINEPREFIX=$stage/wineprefix WINEARCH=win32 WINE=wine
    tarvik_wine_prefix
    bash "$payload/i686-job.sh" "$payload" "$share/results.txt" "$stage/work"
  )
}

echo "i686: building the release package and the test payload"
assemble_payload
if tarvik_runs_32bit; then run_here; else run_in_guest; fi
echo "i686: tests ended after $((SECONDS - start)) s"
# Each lane wrote its own lines; those of a lane cut short still count.
cat "$share"/results.txt.* > "$share/results.txt" 2>/dev/null || true
tarvik_i686_report "$payload/plan.txt" "$share/results.txt" "$share/logs"
