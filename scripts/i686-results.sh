# Reading the i686 stage's results. Sourced.

# tarvik_i686_report PLAN RESULTS LOGS: prints one CTest-style line for each
# test named in PLAN, in its order, from the "RESULT NAME STATUS SECONDS"
# lines of RESULTS (a later line of a name replaces an earlier one), then the
# output of each failed test (LOGS/NAME.log) and a summary. A planned test
# without a result line, or with any status but "Passed", has failed.
# Returns 1 when any has.
tarvik_i686_report() {
  awk -v results="$2" -v logs="$3" '
    BEGIN {
      while ((getline line < results) > 0) {
        if (split(line, f, " ") == 4 && f[1] == "RESULT") { status[f[2]] = f[3]; seconds[f[2]] = f[4] }
      }
    }
    NF { names[++total] = $1 }
    END {
      for (i = 1; i <= total; i++) {
        name = names[i]
        dots = "."
        while (length(name dots) < 41) dots = dots "."
        known = name in status  # before status[name] is read: reading it would create it
        if (known && status[name] == "Passed") {
          printf "%3d/%d Test #%d: %s %s   Passed %8.2f sec\n", i, total, i, name, dots, seconds[name]
          continue
        }
        why = known ? sprintf("***Failed %8.2f sec", seconds[name]) : "***Failed (no result line)"
        printf "%3d/%d Test #%d: %s %s %s\n", i, total, i, name, dots, why
        output = logs "/" name ".log"
        while ((getline line < output) > 0) print "    " line
        failed[++failures] = sprintf("\t%3d - %s", i, name)
      }
      printf "\n%d%% tests passed, %d tests failed out of %d\n", total ? (total - failures) * 100 / total : 0, failures, total
      if (failures) {
        print "\nThe following tests FAILED:"
        for (i = 1; i <= failures; i++) print failed[i]
      }
      exit failures > 0 || total == 0
    }' "$1"
}
