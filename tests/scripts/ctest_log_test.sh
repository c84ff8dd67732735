#!/usr/bin/env bash
# The test command's reading of CTest's output: which tests passed only on
# a second try, and which did not run at all (named in its last lines).
#   ctest_log_test.sh SCRIPTS_DIR WORK_DIR
source "$(dirname "${BASH_SOURCE[0]}")/script_check.sh" "$1" "$2" ctest-log.sh

cat > ctest.log <<'LOG'
Test project /build
      Start  1: core.Passes
 1/6 Test  #1: core.Passes ........................   Passed    0.50 sec
 2/6 Test  #2: cab32_e2e_fulldisk .................***Skipped   0.40 sec
 3/6 Test  #3: missing_program ....................***Not Run   0.00 sec
 4/6 Test  #4: core.Fails .........................***Failed    0.10 sec
 5/6 Test  #5: cab32_e2e_busy .....................***Timeout 300.01 sec
 6/6 Test #16: cab32_e2e_names ....................***Failed    9.00 sec
Test project /build
 1/3 Test #16: cab32_e2e_names ....................   Passed    8.00 sec
 2/3 Test  #5: cab32_e2e_busy .....................   Passed   80.00 sec
 3/3 Test  #2: cab32_e2e_fulldisk .................***Skipped   0.40 sec
LOG

# case NAME EXPECTED ACTUAL
case_() { [ "$2" = "$3" ] || fail "$1: got [$3], expected [$2]"; }
case_ "passed on a second try" "cab32_e2e_busy cab32_e2e_names " "$(tarvik_ctest_retried ctest.log | tr '\n' ' ')"
case_ "did not run" "cab32_e2e_fulldisk (Skipped)|missing_program (Not Run)|" \
      "$(tarvik_ctest_not_run ctest.log | tr '\n' '|')"

# A test that ran on its second try after not running is no longer missing.
printf ' 1/1 Test  #2: late ....***Not Run   0.00 sec\n 1/1 Test  #2: late ....   Passed    1.00 sec\n' > late.log
case_ "ran on a second try" "" "$(tarvik_ctest_not_run late.log)"
: > empty.log
case_ "an empty log: nothing retried" "" "$(tarvik_ctest_retried empty.log)"
case_ "an empty log: nothing missing" "" "$(tarvik_ctest_not_run empty.log)"

finish
