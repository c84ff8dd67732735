# Reading the CTest output that scripts/test.sh keeps. Sourced.
#
# CTest writes one line per finished test:
#   12/226 Test  #12: NAME ..........   Passed    1.20 sec
#   12/226 Test  #12: NAME ..........***Failed    1.20 sec
#   12/226 Test  #12: NAME ..........***Skipped   0.50 sec
#   12/226 Test  #12: NAME ..........***Not Run   0.00 sec

# tarvik_ctest_retried LOG: the tests that failed and then passed (a second
# try), one name a line.
tarvik_ctest_retried() {
  awk '/Test +#[0-9]+: / {
      name = $0; sub(/^.*Test +#[0-9]+: /, "", name); sub(/ .*$/, "", name)
      if (index($0, "***")) failed[name] = 1
      else if ($0 ~ / Passed /) passed[name] = 1
    }
    END { for (name in failed) if (name in passed) print name }' "$1" | sort
}

# tarvik_ctest_not_run LOG: the tests that did not run, as "NAME (Skipped)"
# (the test asked to be skipped) or "NAME (Not Run)", one a line; a test
# that passed on a later try is not among them.
tarvik_ctest_not_run() {
  awk '/Test +#[0-9]+: / {
      name = $0; sub(/^.*Test +#[0-9]+: /, "", name); sub(/ .*$/, "", name)
      if (index($0, "***Skipped")) why[name] = "Skipped"
      else if (index($0, "***Not Run")) why[name] = "Not Run"
      else if ($0 ~ / Passed /) passed[name] = 1
    }
    END { for (name in why) if (!(name in passed)) print name " (" why[name] ")" }' "$1" | sort
}

# tarvik_can_mount_tmpfs: true when this machine lets a small tmpfs be
# mounted (as root, outside a container that forbids it): then the full-disk
# suite has no reason to skip.
tarvik_can_mount_tmpfs() {
  local dir status=1
  dir=$(mktemp -d)
  if mount -t tmpfs -o size=1m tarvik-probe "$dir" 2>/dev/null; then
    umount "$dir" && status=0
  fi
  rmdir "$dir" 2>/dev/null
  return "$status"
}
