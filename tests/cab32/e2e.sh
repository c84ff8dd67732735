#!/usr/bin/env bash
# End-to-end tests of cab32.dll under Wine, checked against cabextract and gcab.
# Usage: e2e.sh SUITE WINE_RUN DRIVER_EXE CAB32_DLL WORK_DIR
# SUITE is one of: roundtrip refusals volumes selfextract busy (the last two
# need a display: windows are shown).
set -u
suite=$1 wine_run=$(realpath "$2") driver=$(realpath "$3") dll=$(realpath "$4") work=$(realpath -m "$5")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" >/dev/null 2>&1 || fail "$what"; }

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
DLL=$(winpath "$dll")

# lib "COMMAND": runs Cab; sets RC and OUT (the output as UTF-8).
lib() {
  "$wine_run" "$driver" "$DLL" cab "$1" > lib-output.txt 2>/dev/null
  RC=$?
  OUT=$(iconv -f CP932 -t UTF-8 < lib-output.txt)
}
expect_rc() {
  local want=$1 what=$2
  [ "$RC" = "$want" ] || fail "$what: result $RC, expected $want; output: $OUT"
}
# drv ARGS...: runs the driver; its error output is kept for the failure
# messages (drv_error).
drv() { "$wine_run" "$driver" "$DLL" "$@" 2>driver-error.txt; }
drv_error() { echo "driver result $1, error output: $(head -c 400 driver-error.txt | tr '\n' ' ')"; }
# Text in CP932, as the program writes its list files.
sjis() { printf "$@" | iconv -f UTF-8 -t CP932; }

rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

# Every data file comes from a generator with a fixed seed, so a failure
# depends on the code only and a run can be repeated byte for byte
# (E2E_SEED=N replays a run that printed "seed N").
seed=${E2E_SEED:-20261209}
echo "seed $seed"
# random_bytes COUNT NAME: COUNT bytes that look random (no compressor finds
# anything in them), the same for the same seed and NAME. Perl is part of
# every Debian system; its rand() gives the same sequence everywhere.
random_bytes() {
  perl -e '
    my ($count, $label) = @ARGV;
    my $state = 0;
    $state = ($state * 31 + ord) % 4294967296 for split //, $label;
    srand($state);
    binmode STDOUT;
    for (my $left = $count; $left > 0; $left -= 65536) {
      my $n = $left < 65536 ? $left : 65536;
      print substr(pack("V*", map { int(rand(4294967296)) } 1 .. ($n + 3) >> 2), 0, $n);
    }' "$1" "$seed:$2"
}

make_sources() {
  mkdir -p src/sub "src/blank dir" "src/ソフト表" full
  seq 1 40000 | sed 's/$/ some text to compress/' > full/text.txt
  random_bytes 300000 src/sub/random.bin > src/sub/random.bin
  : > src/empty.txt
  echo "blank" > "src/blank dir/a b.txt"
  echo "sjis" > "src/ソフト表/表示.txt"
  echo "so" > "src/ソ.txt"
  touch -d "2001-02-03 04:05:06" full/text.txt
  chmod a-w src/sub/random.bin
}

# A list file naming the sources: full paths, relative names, quoted names.
write_list() {
  {
    printf '%s\r\n' "$(winpath "$work/full/text.txt")"
    printf 'src\\sub\\random.bin\r\nsrc\\empty.txt\r\n"src\\blank dir\\a b.txt"\r\n'
    printf 'src\\ソフト表\\表示.txt\r\nsrc\\ソ.txt\n'
  } | iconv -f UTF-8 -t CP932 > list.txt
}

same_tree() { diff -r "$1" "$2" >/dev/null 2>&1; }

suite_roundtrip() {
  make_sources
  write_list
  local full_name=${work#/}
  full_name=${full_name//\//\\}\\full\\text.txt
  for mode in -mz -ms -ml15 -ml16 -ml17 -ml18 -ml19 -ml20 -ml21; do
    local cab="t$mode.cab"
    lib "-a $mode $cab @list.txt"; expect_rc 0 "create $mode"
    check "cabextract -t $mode" cabextract -t "$cab"
    check "gcab lists $mode" gcab -t "$cab"
    check "CabCheckArchive $mode" drv check "$cab"
    # The full path is stored without drive and leading "\".
    drv members "$cab" > members-cp932.txt
    local members_rc=$?
    iconv -f CP932 -t UTF-8 < members-cp932.txt | tr -d '\r' > members.txt
    grep -qxF "$full_name" members.txt || fail "$mode: stored name of a full path ($(drv_error $members_rc))"
    grep -qxF 'src\ソフト表\表示.txt' members.txt || fail "$mode: Shift-JIS member name"
    [ "$(wc -l < members.txt)" = 6 ] || fail "$mode: member count"
    # cabextract and gcab extract what went in, byte for byte (ASCII names;
    # cabextract splits Shift-JIS names at their 0x5C trail byte).
    rm -rf ce gc && mkdir ce gc
    cabextract -q -d ce "$cab" >/dev/null 2>&1
    cmp -s ce/src/sub/random.bin src/sub/random.bin || fail "$mode: cabextract random.bin"
    cmp -s "ce/src/blank dir/a b.txt" "src/blank dir/a b.txt" || fail "$mode: cabextract name with blank"
    gcab -x -C gc "$cab" >/dev/null 2>&1
    cmp -s gc/src/sub/random.bin src/sub/random.bin || fail "$mode: gcab random.bin"
    # The library extracts everything back, names, dates and read-only flag.
    rm -rf "out dir"
    lib "-x $cab \"$(winpath "$work/out dir")\\\""; expect_rc 0 "extract $mode"
    same_tree src "out dir/src" || fail "$mode: extracted tree differs"
    lib "-t $cab"; expect_rc 0 "test $mode"
  done
  [ "$(stat -c %Y "out dir/${full_name//\\//}")" = "$(stat -c %Y full/text.txt)" ] || fail "date and time restored"
  [ "$(stat -c %A "out dir/src/sub/random.bin")" = "-r--r--r--" ] || fail "read-only attribute restored"
  lib "-l t-mz.cab"
  echo "$OUT" | grep -q '合計 6 ファイル' || fail "listing total line: $OUT"
  echo "$OUT" | grep -q '2001/02/03 04:05:06 MSZIP' || fail "listing date and method: $OUT"

  # -j drops folders; "@list" picks members without regard to case.
  sjis 'SRC\\SUB\\RANDOM.BIN\r\n"src\\blank dir\\A B.txt"\r\nsrc\\ソフト表\\表示.txt\r\n' > pick.txt
  lib "-x -j t-mz.cab picked @pick.txt"; expect_rc 0 "selective extract"
  [ "$(ls picked | sort | tr '\n' ' ')" = "a b.txt random.bin 表示.txt " ] || fail "selective -j: $(ls picked)"

  # Empty folder: the current folder.
  mkdir here && (cd here && "$wine_run" "$driver" "$DLL" cab "-x ../t-ms.cab " >/dev/null 2>&1)
  same_tree src here/src || fail "extract into the current folder"

  # Cabinets made by gcab list, test and extract through the library.
  cp full/text.txt src/text.txt
  (cd src && gcab -c -z ../g.cab text.txt sub/random.bin empty.txt "blank dir/a b.txt") >/dev/null 2>&1
  lib "-l g.cab"; expect_rc 0 "list gcab cabinet"
  echo "$OUT" | grep -q 'blank dir.a b.txt' || fail "gcab member with blank listed"
  lib "-t g.cab"; expect_rc 0 "test gcab cabinet"
  lib "-x g.cab gout"; expect_rc 0 "extract gcab cabinet"
  for f in text.txt sub/random.bin empty.txt "blank dir/a b.txt"; do
    cmp -s "gout/$f" "src/$f" || fail "gcab cabinet member $f"
  done
  [ "$(drv members g.cab | tr -d '\r' | wc -l)" = 4 ] || fail "gcab cabinet enumeration"

  # Without a switch the library's registry defaults choose the compression.
  # Each row: CompressionMode, LzxCompressLevel ("-": no value) and the
  # method the library must then report.
  local key='HKCU\Software\ArchiverDll\Cab32' row mode level method n=0
  for row in "- - MSZIP" "1 17 LZX (レベル 17)" "2 17 MSZIP"; do
    read -r mode level method <<< "$row"
    n=$((n + 1))
    "$wine_run" reg delete "$key" /f >/dev/null 2>&1
    [ "$mode" = - ] || "$wine_run" reg add "$key" /v CompressionMode /t REG_DWORD /d "$mode" /f >/dev/null 2>&1
    [ "$level" = - ] || "$wine_run" reg add "$key" /v LzxCompressLevel /t REG_DWORD /d "$level" /f >/dev/null 2>&1
    lib "-a d$n.cab full\\text.txt"; expect_rc 0 "create with CompressionMode $mode"
    echo "$OUT" | tr -d "\r" | grep -qxF "圧縮方法: $method" || fail "CompressionMode $mode means $method: $OUT"
  done
  "$wine_run" reg delete "$key" /f >/dev/null 2>&1

  # A cabinet of zero-byte members only.
  lib "-a zero.cab src\\empty.txt"; expect_rc 0 "zero-byte cabinet"
  check "cabextract zero-byte cabinet" cabextract -t zero.cab
  lib "-x zero.cab zout"; expect_rc 0 "extract zero-byte cabinet"
  [ -f zout/src/empty.txt ] && [ ! -s zout/src/empty.txt ] || fail "zero-byte member extracted"
  # A cabinet without any member (header only) lists, tests and extracts.
  printf 'MSCF\0\0\0\0\x24\0\0\0\0\0\0\0\x24\0\0\0\0\0\0\0\x03\x01\0\0\0\0\0\0\x01\0\0\0' > none.cab
  check "CabCheckArchive of an empty cabinet" drv check none.cab
  lib "-l none.cab"; expect_rc 0 "list empty cabinet"
  echo "$OUT" | grep -q '合計 0 ファイル' || fail "empty cabinet total: $OUT"
  lib "-t none.cab"; expect_rc 0 "test empty cabinet"
  lib "-x none.cab nout"; expect_rc 0 "extract empty cabinet"
  chmod -R u+w src "out dir" here 2>/dev/null
}

suite_refusals() {
  make_sources
  write_list
  lib "-a -mz good.cab @list.txt"; expect_rc 0 "create"
  local sum; sum=$(md5sum < good.cab)

  lib "-a -mz good.cab src\\text.txt"; expect_rc 3 "existing archive refused"
  [ "$(md5sum < good.cab)" = "$sum" ] || fail "existing archive changed"
  cp good.cab v01.cab
  lib "-a -v:100 v.cab src\\text.txt"; expect_rc 3 "existing first volume refused"
  lib "-a -mz new.cab src\\missing.txt"; expect_rc 6 "missing source"
  [ -e new.cab ] && fail "cabinet left after a missing source"
  lib "-a -mz new.cab @nolist.txt"; expect_rc 2 "unreadable list file"
  lib "-q good.cab"; expect_rc 1 "unknown switch"
  lib "-x absent.cab out"; expect_rc 4 "missing archive"

  # Truncated and non-cabinet files: refused by every command, nothing written.
  head -c 5000 good.cab > cut.cab
  echo "just text, no cabinet at all" > text.cab
  for bad in cut.cab text.cab; do
    drv check "$bad" && fail "CabCheckArchive passes $bad"
    lib "-x $bad badout"; expect_rc 5 "extract $bad"
    lib "-t $bad"; expect_rc 5 "test $bad"
    lib "-l $bad"; expect_rc 5 "list $bad"
    [ -e badout ] && fail "$bad: target folder written"
  done

  # Damaged data: the tables still look sound (no decompression in the
  # check), the test finds it, and extraction leaves no partial file.
  cp good.cab damaged.cab
  printf '\x55\xAA\x55\xAA\x55\xAA\x55\xAA' | dd of=damaged.cab bs=1 seek=120000 conv=notrunc 2>/dev/null
  check "CabCheckArchive passes damaged data" drv check damaged.cab
  lib "-t damaged.cab"; expect_rc 8 "test damaged data"
  lib "-x damaged.cab dmg"; expect_rc 8 "extract damaged data"
  [ -n "$(find dmg -name 'c32*.tmp' 2>/dev/null)" ] && fail "temporary file left"
  if [ -e dmg/src/sub/random.bin ]; then cmp -s dmg/src/sub/random.bin src/sub/random.bin || fail "partial file"; fi

  # Names that would leave the folder are refused; the sound one comes out.
  drv craft evil.cab 'ok.txt' '..\escape1.txt' '\escape2.txt' 'C:\escape3.txt' 'sub\..\..\escape4.txt' '...\escape5.txt'
  mkdir -p jail/inner
  lib "-x evil.cab $(winpath "$work/jail/inner")"; expect_rc 9 "unsafe names"
  [ "$(cat jail/inner/ok.txt 2>/dev/null)" = "ok.txt" ] || fail "sound member next to unsafe ones"
  for n in 1 2 3 4 5; do
    [ -n "$(find "$work" / -maxdepth 2 -name "escape$n.txt" 2>/dev/null)" ] && fail "escape$n.txt written"
  done
  for n in 1 2 3 4 5; do echo "$OUT" | grep -q "escape$n.txt" || fail "refusal of escape$n.txt reported"; done
  chmod -R u+w src 2>/dev/null
}

suite_volumes() {
  mkdir -p src
  random_bytes 500000 src/r1.bin > src/r1.bin
  seq 1 30000 > src/n.txt
  random_bytes 200000 src/r2.bin > src/r2.bin
  printf 'src\\r1.bin\r\nsrc\\n.txt\r\nsrc\\r2.bin\r\n' > list.txt
  for mode in -mz -ms -ml21; do
    rm -f a*.cab
    lib "-a $mode -v:200 a.cab @list.txt"; expect_rc 0 "create volumes $mode"
    [ -e a01.cab ] && [ -e a02.cab ] && [ -e a03.cab ] || fail "$mode: volumes a01, a02, a03: $(ls a*.cab)"
    [ -e a.cab ] && fail "$mode: unnumbered cabinet written"
    for v in a0*.cab; do [ "$(stat -c %s "$v")" -le 204800 ] || fail "$mode: $v larger than 200 KB"; done
    check "$mode: CabCheckArchive a01" drv check a01.cab
    check "$mode: cabextract -t set" cabextract -t a01.cab
    rm -rf ce && mkdir ce && cabextract -q -d ce a01.cab >/dev/null 2>&1
    same_tree src ce/src || fail "$mode: cabextract extracts the set"
    rm -rf kx && lib "-x -k a01.cab kx"; expect_rc 0 "$mode: extract set"
    same_tree src kx/src || fail "$mode: library extracts the set"
    lib "-t a01.cab"; expect_rc 0 "$mode: test set"
  done
  # Without -k a member that goes on in the next volume is left out.
  rm -rf nk && lib "-x a01.cab nk"; expect_rc 11 "member continued without -k"
  [ -e nk/src/r1.bin ] && fail "continued member written without -k"
  # A missing volume is reported by name, and no partial file remains.
  mv a02.cab a02.away
  rm -rf mv && lib "-x -k a01.cab mv"; expect_rc 4 "missing volume"
  echo "$OUT" | grep -q 'a02.cab' || fail "missing volume named: $OUT"
  [ -e mv/src/r1.bin ] && fail "partial member from a broken set"
  [ -n "$(find mv -name 'c32*.tmp' 2>/dev/null)" ] && fail "temporary file left"
  mv a02.away a02.cab
  # A later volume that exists already stops the job; it stays as it was and
  # the volumes written before it are removed.
  rm -f q*.cab && echo keep > q02.cab
  lib "-a -ms -v:200 q.cab @list.txt"; expect_rc 3 "existing later volume"
  [ "$(ls q*.cab | tr '\n' ' ')" = "q02.cab " ] && [ "$(cat q02.cab)" = keep ] || fail "volumes after a refused set: $(ls q*.cab)"
}

suite_selfextract() {
  mkdir -p src/sub  # "out dir" is left to the library to create
  random_bytes 100000 src/sub/r.bin > src/sub/r.bin
  echo "hello" > "src/a b.txt"
  sjis 'src\\sub\\r.bin\r\n"src\\a b.txt"\r\n' > list.txt
  lib "-a -mz my.cab @list.txt"; expect_rc 0 "create"
  # The program quotes a folder with blanks (as the folder of -x); another
  # caller may pass it unquoted, blanks and all, and the library joins the
  # words again.
  lib "-f my.cab \"$(winpath "$work/quoted dir")\\\""; expect_rc 0 "self-extractor into a quoted folder"
  [ -f "quoted dir/my.exe" ] || fail "my.exe written into the quoted folder"
  lib "-f my.cab $(winpath "$work/out dir")\\"; expect_rc 0 "self-extractor"
  [ -f "out dir/my.exe" ] || fail "my.exe written into the chosen folder"
  check "cabextract reads the appended cabinet" cabextract -t "out dir/my.exe"
  "$wine_run" "out dir/my.exe" -d "$(winpath "$work/sfx out")" >/dev/null 2>&1 || fail "my.exe -d exit code"
  same_tree src "sfx out/src" || fail "self-extracted files differ"
  # Empty folder: beside the cabinet.
  lib "-f my.cab "; expect_rc 0 "self-extractor beside the cabinet"
  [ -f my.exe ] || fail "my.exe beside the cabinet"
  lib "-f absent.cab out"; expect_rc 4 "self-extractor of a missing cabinet"
  # Run without -d it asks for the folder, proposing its own.
  (timeout 60 "$wine_run" "out dir/my.exe" >/dev/null 2>&1) &
  local proposed
  proposed=$("$wine_run" "$driver" - answer "$(winpath "$work/asked")" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r')
  wait
  [ "$proposed" = "$(winpath "$work/out dir")" ] || fail "proposed folder: $proposed"
  same_tree src asked/src || fail "files extracted to the answered folder"
}

suite_busy() {
  # Big enough that compressing takes longer than the half second after
  # which the progress window appears.
  random_bytes 40000000 big.bin > big.bin
  "$wine_run" "$driver" "$DLL" busy "-a -ms b1.cab big.bin" > busy.txt 2>/dev/null || fail "busy flag: $(cat busy.txt)"
  "$wine_run" "$driver" "$DLL" progress "-a -mz b2.cab big.bin" owner > p1.txt 2>/dev/null ||
    fail "progress window with owner: $(cat p1.txt)"
  "$wine_run" "$driver" "$DLL" progress "-a -mz b3.cab big.bin" none > p2.txt 2>/dev/null ||
    fail "no progress window without owner: $(cat p2.txt)"
  # Enumeration with a wildcard, in cabinet order.
  echo a > one.txt && echo b > two.dat && echo c > three.txt
  lib "-a -ms w.cab one.txt two.dat three.txt"; expect_rc 0 "create for enumeration"
  [ "$(drv members w.cab '*.TXT' | tr -d '\r' | tr '\n' ' ')" = "one.txt three.txt " ] || fail "wildcard enumeration"
  [ "$(drv members w.cab '*.*' | tr -d '\r' | wc -l)" = 3 ] || fail "*.* enumeration"
}

# Extraction onto a volume that fills up: the member that does not fit fails
# loudly and leaves nothing; the members that fit come out whole.
suite_fulldisk() {
  mkdir -p small
  if ! mount -t tmpfs -o size=2m tarvik-small small 2>/dev/null; then
    echo "SKIPPED: a small tmpfs cannot be mounted here (root is needed)"
    exit 77
  fi
  trap 'umount -l "$work/small" 2>/dev/null' EXIT
  mkdir src
  random_bytes 1500000 src/big1.bin > src/big1.bin
  random_bytes 1500000 src/big2.bin > src/big2.bin
  echo "small" > src/small.txt
  lib "-a -ms full.cab src\\big1.bin src\\big2.bin src\\small.txt"; expect_rc 0 "create"
  no_leftovers() { [ -z "$(find small -name 'c32*.tmp' 2>/dev/null)" ] || fail "$1: temporary file left"; }

  lib "-x full.cab $(winpath "$work/small/x")\\"; expect_rc 7 "extract onto a full volume"
  echo "$OUT" | grep -q 'big2.bin (ディスクの空きが足りません)' || fail "the failed member and why: $OUT"
  echo "$OUT" | grep -q '解凍を終了しました' && fail "a failed extraction reported as finished: $OUT"
  cmp -s small/x/src/big1.bin src/big1.bin || fail "first member whole"
  [ -e small/x/src/big2.bin ] && fail "member that did not fit left behind"
  cmp -s small/x/src/small.txt src/small.txt || fail "member after the failed one whole"
  no_leftovers "-x"
  rm -rf small/x

  # Only the big member, picked through a list, onto a volume with 1 MB left.
  head -c 1000000 /dev/zero > small/filler
  printf 'src\\big2.bin\r\n' > pick.txt
  lib "-x full.cab $(winpath "$work/small/s")\\ @pick.txt"; expect_rc 7 "selective extract onto a full volume"
  [ -z "$(find small/s -type f 2>/dev/null)" ] || fail "selective extraction left: $(find small/s -type f)"
  no_leftovers "selective -x"
  rm -rf small/s small/filler

  lib "-f full.cab "; expect_rc 0 "self-extractor"
  "$wine_run" full.exe -d "$(winpath "$work/small/sfx")" >/dev/null 2>&1 && fail "self-extractor reports success"
  cmp -s small/sfx/src/big1.bin src/big1.bin || fail "self-extractor: first member whole"
  [ -e small/sfx/src/big2.bin ] && fail "self-extractor: member that did not fit left behind"
  no_leftovers "self-extractor"
}

# Folders go in with everything under them; names that code page 932 cannot
# spell go in and come out exactly (UTF-8 with the name flag), checked with
# cabextract and gcab.
suite_names() {
  mkdir -p tree/dir1/sub/deeper tree/dir1/empty names
  echo one > tree/dir1/a.txt
  random_bytes 70000 tree/dir1/sub/b.bin > tree/dir1/sub/b.bin
  echo deep > tree/dir1/sub/deeper/c.txt
  ln -s .. tree/dir1/sub/up  # a link back up is not walked again
  local name i=0
  local -a kinds=("Café.txt" "Cafe.txt" "한글.txt" "😀.txt" "Ünï.txt" "Ωmega.txt" "ソ表.txt")
  for name in "${kinds[@]}"; do i=$((i + 1)); random_bytes $((i * 9000)) "$name" > "names/$name"; done

  # A folder by its full path, and by a bare name in the current folder.
  lib "-a -mz f1.cab $(winpath "$work/tree/dir1")"; expect_rc 0 "folder by full path"
  cabextract -l f1.cab 2>/dev/null | awk -F' [|] ' 'NF == 3 && $1 ~ /[0-9]/ { print $3 }' > f1.txt
  printf '%s\n' "$work/tree/dir1/a.txt" "$work/tree/dir1/sub/b.bin" "$work/tree/dir1/sub/deeper/c.txt" |
    sed 's|^/||' > f1.want
  diff f1.want f1.txt >/dev/null || fail "folder by full path: stored $(cat f1.txt)"
  (cd tree && "$wine_run" "$driver" "$DLL" cab "-a -mz ../f2.cab dir1" >/dev/null 2>&1) || fail "folder by bare name"
  [ "$(cabextract -l f2.cab 2>/dev/null | awk -F' [|] ' 'NF == 3 && $1 ~ /[0-9]/ { print $3 }' | tr '\n' ' ')" = \
    "dir1/a.txt dir1/sub/b.bin dir1/sub/deeper/c.txt " ] || fail "folder by bare name: $(cabextract -l f2.cab)"
  lib "-a -ms f3.cab $(winpath "$work/tree/dir1/empty")"; expect_rc 13 "an empty folder stores nothing"

  # Every name kind through each compression: the library gives back the
  # exact names and bytes, and so does cabextract for the names stored as
  # UTF-8 (it reads Shift-JIS names as Latin-1).
  for mode in -mz -ml21 -ms; do
    rm -rf ce out && mkdir ce
    lib "-a $mode n$mode.cab names"; expect_rc 0 "names $mode"
    cabextract -q -d ce "n$mode.cab" >/dev/null 2>&1
    for name in "${kinds[@]:0:5}"; do
      cmp -s "names/$name" "ce/names/$name" || fail "$mode: cabextract does not give $name: $(ls ce/names)"
    done
    lib "-x n$mode.cab out"; expect_rc 0 "extract names $mode"
    diff -r names out/names >/dev/null 2>&1 || fail "$mode: the library gives other names or bytes: $(ls out/names)"
  done
  # Listing shows code page 932 forms: Shift-JIS names as they are.
  lib "-l n-mz.cab"; echo "$OUT" | grep -q 'names.ソ表.txt' || fail "listing of a Shift-JIS name: $OUT"

  # A gcab cabinet of such names: -x, -x with a list naming the shown form,
  # and the self-extractor.
  (cd names && gcab -c -z ../g.cab "${kinds[@]}") >/dev/null 2>&1
  rm -rf gx && lib "-x g.cab gx"; expect_rc 0 "extract gcab names"
  diff -r names gx >/dev/null 2>&1 || fail "gcab names extracted: $(ls gx)"
  drv members g.cab | tr -d '\r' > shown.txt
  sed -n 3p shown.txt | sed 's/$/\r/' > pick.txt  # the member listed third: 한글.txt
  rm -rf picked && lib "-x g.cab picked @pick.txt"; expect_rc 0 "selective extract of a UTF-8 name"
  cmp -s "picked/한글.txt" "names/한글.txt" || fail "selected UTF-8 member: $(ls picked)"
  lib "-f g.cab $(winpath "$work/sfx")\\"; expect_rc 0 "self-extractor of gcab names"
  "$wine_run" sfx/g.exe -d "$(winpath "$work/sfx out")" >/dev/null 2>&1 || fail "self-extractor of UTF-8 names"
  diff -r names "sfx out" >/dev/null 2>&1 || fail "self-extracted names: $(ls "sfx out")"

  # One member per source file; two sources for one name are refused.
  sjis 'names\\Cafe.txt\r\nnames\\Cafe.txt\r\nnames\r\n' > twice.txt
  lib "-a -mz twice.cab @twice.txt"; expect_rc 0 "a file listed twice"
  [ "$(cabextract -l twice.cab 2>/dev/null | grep -c 'names/Cafe.txt$')" = 1 ] || fail "a file listed twice: $OUT"
  [ "$(cabextract -l twice.cab 2>/dev/null | grep -c ' | names/')" = "${#kinds[@]}" ] || fail "folder after its file"
  mkdir -p t1/t2 t2 && echo 1 > t1/t2/x.txt && echo 2 > t2/x.txt
  (cd t1 && "$wine_run" "$driver" "$DLL" cab "-a -mz ../clash.cab t2\\x.txt ..\\t2\\x.txt" > ../clash.txt 2>/dev/null)
  [ $? = 1 ] && iconv -f CP932 -t UTF-8 < clash.txt | grep -q '同じ名前で格納されるファイルが二つあります' ||
    fail "two sources for one name: $(iconv -f CP932 -t UTF-8 < clash.txt)"
  [ ! -e clash.cab ] || fail "a refused job left a cabinet"
}

case $suite in
  roundtrip|refusals|volumes|selfextract|busy|fulldisk|names) "suite_$suite" ;;
  *) echo "unknown suite $suite"; exit 2 ;;
esac
if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all passed"
