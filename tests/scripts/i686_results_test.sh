#!/usr/bin/env bash
# The i686 stage's reading of its result lines: a test counts as passed only
# with its own "Passed" line; a missing or malformed line fails the stage.
#   i686_results_test.sh SCRIPTS_DIR WORK_DIR
source "$(dirname "${BASH_SOURCE[0]}")/script_check.sh" "$1" "$2" i686-results.sh
mkdir -p logs

printf 'core_tests\ncab32_e2e_busy\npackage_extract\n' > plan.txt

# case NAME EXPECTED_STATUS RESULT_LINES...: the report's exit status.
case_() {
  local name=$1 expected=$2 status=0
  shift 2
  printf '%s\n' "$@" > results.txt
  tarvik_i686_report plan.txt results.txt logs > report.txt || status=$?
  [ "$status" = "$expected" ] || { fail "$name: exit $status, expected $expected"; cat report.txt; }
}
case_ "all passed" 0 "RESULT core_tests Passed 5.60" "RESULT cab32_e2e_busy Passed 80.1" "RESULT package_extract Passed 9"
case_ "one line missing" 1 "RESULT core_tests Passed 5.60" "RESULT cab32_e2e_busy Passed 80.1"
grep -q 'package_extract .*Failed (no result line)' report.txt || fail "the missing test is named"
case_ "one failed" 1 "RESULT core_tests Passed 5.60" "RESULT cab32_e2e_busy Failed 80.1" "RESULT package_extract Passed 9"
case_ "a cut line" 1 "RESULT core_tests Passed 5.60" "RESULT cab32_e2e_busy Passed" "RESULT package_extract Passed 9"
case_ "a status other than Passed" 1 "RESULT core_tests Passed 5.60" "RESULT cab32_e2e_busy Timeout 900" "RESULT package_extract Passed 9"
case_ "no results at all" 1
case_ "a result of another test only" 1 "RESULT core_tests_x Passed 1" "RESULT cab32_e2e_busy Passed 2" "RESULT package_extract Passed 9"
: > plan.txt
case_ "an empty plan" 1

# A failed test's output is shown.
printf 'core_tests\n' > plan.txt
echo "expected 1, got 2" > logs/core_tests.log
case_ "output of a failure" 1 "RESULT core_tests Failed 1.00"
grep -q 'expected 1, got 2' report.txt || fail "the failed test's output is shown"

finish
