#!/usr/bin/env bash
# Makes a corpus of sound cabinets (the library's own in every method and as a
# volume set, and gcab's) and runs the mutation fuzzer over it under Wine.
# Usage: mutation_fuzz.sh WINE_RUN DRIVER_EXE MUTATOR_EXE CAB32_DLL WORK_DIR CASES SEED
set -u
wine_run=$(realpath "$1") driver=$(realpath "$2") mutator=$(realpath "$3") dll=$(realpath "$4")
work=$(realpath -m "$5") cases=$6 seed=$7
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

rm -rf "$work" && mkdir -p "$work/corpus" "$work/src/sub" && cd "$work" || exit 1
seq 1 3000 | sed 's/$/ lines of text to compress/' > src/text.txt
head -c 20000 /dev/urandom > src/sub/random.bin
printf 'x' > src/one.txt
: > src/empty.txt
printf 'src\\text.txt\r\nsrc\\sub\\random.bin\r\nsrc\\one.txt\r\nsrc\\empty.txt\r\n' > list.txt
seq 1 30000 | sed 's/$/ more text for three volumes/' > src/volume.txt
head -c 150000 /dev/urandom >> src/volume.txt
printf 'src\\volume.txt\r\nsrc\\sub\\random.bin\r\n' > vlist.txt

cab() { "$wine_run" "$driver" "$(winpath "$dll")" cab "$1" >/dev/null 2>&1; }
for mode in -ms -mz -ml15 -ml21; do cab "-a $mode corpus\\lib${mode#-m}.cab @list.txt" || { echo "cannot make lib$mode.cab"; exit 1; }; done
cab "-a -mz -v:200 corpus\\set.cab @vlist.txt" || { echo "cannot make the volume set"; exit 1; }
(cd src && gcab -c ../corpus/gcab-stored.cab text.txt sub/random.bin one.txt && gcab -c -z ../corpus/gcab-mszip.cab text.txt sub/random.bin empty.txt) >/dev/null || { echo "gcab failed"; exit 1; }
ls corpus

# The fuzzer exits 3 on a hang; a crash ends it with another code: the last
# "case" line printed names the cabinet and seed to rerun with ONLY_CASE.
"$wine_run" "$mutator" "$(winpath "$dll")" "$(winpath "$work/corpus")" "$(winpath "$work/run")" "$cases" "$seed" > fuzz.log 2>&1
rc=$?
grep -E '^(FAIL|HANG)' fuzz.log
tail -n 1 fuzz.log
[ $rc -eq 0 ] || { echo "fuzzer ended with code $rc after: $(grep '^case' fuzz.log | tail -n 1)"; exit 1; }
