# What the tests of the test command's own scripts share. Sourced as
#   source script_check.sh SCRIPTS_DIR WORK_DIR SCRIPT
# it sources SCRIPT from SCRIPTS_DIR and enters WORK_DIR, made afresh.
# `fail WHAT` counts a failure; `finish` ends the test with the verdict.
set -u
source "$1/$3"
rm -rf "$2" && mkdir -p "$2" && cd "$2" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
  [ "$failures" = 0 ] && echo "all passed"
  exit "$((failures > 0))"
}
