#!/bin/bash
# Runs every fuzz target for the given number of seconds each, one after the
# other at low priority, and prints one line per target.
#
#   fuzz/run-all.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build-fuzz)
#
# Each target starts from a copy of its seeds (fuzz/corpus/NAME, lessons and
# index.txt for the book compiler) in a scratch folder, so the repository
# stays as it is. "corpus" is the number of its corpus files at the end.
# A target that finds a fault leaves crash-* files in that folder and makes
# the script exit non-zero.
set -uo pipefail
seconds=${1:?usage: fuzz/run-all.sh SECONDS [BUILD_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build-fuzz}" && pwd)
work=$(mktemp -d /tmp/tovanel-fuzz-XXXXXX)
status=0
printf '%-22s %8s %10s %8s %8s  %s\n' target seconds runs runs/s corpus result
for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe")
    dir="$work/$name"
    mkdir -p "$dir/corpus"
    seeds="$root/fuzz/corpus/${name#fuzz_}"
    [ -d "$seeds" ] && cp "$seeds"/* "$dir/corpus/"
    if [ "$name" = fuzz_book_lesson ]; then
        cp "$root"/book/lessons/00*.txt "$dir/corpus/" 2>/dev/null
    fi
    if [ "$name" = fuzz_book_index ]; then
        cp "$root"/book/index.txt "$dir/corpus/" 2>/dev/null
    fi
    start=$SECONDS
    (cd "$dir" && nice -n 19 "$exe" -max_total_time="$seconds" -max_len=20000 \
        -print_final_stats=1 corpus >log.txt 2>&1)
    code=$?
    elapsed=$((SECONDS - start))
    corpus=$(find "$dir/corpus" -type f | wc -l)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log.txt" | tail -1)
    result="no fault"
    if [ $code -ne 0 ]; then
        result="FAULT (exit $code), see $dir"
        status=1
    fi
    printf '%-22s %8s %10s %8s %8s  %s\n' "$name" "$elapsed" "${runs:-?}" "${speed:-?}" "$corpus" "$result"
done
echo "logs and corpora: $work"
exit $status
