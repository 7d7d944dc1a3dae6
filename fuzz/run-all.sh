#!/bin/bash
# Runs every fuzz target for the given number of seconds each, one after the
# other at low priority, and prints one line per target.
#
#   fuzz/run-all.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build-fuzz)
#
# Each target starts from a copy of its seeds (fuzz/corpus/NAME, lessons for
# the book compiler) in a scratch folder, so the repository stays as it is.
# A target that finds a fault leaves crash-* files in that folder and makes
# the script exit non-zero.
set -uo pipefail
seconds=${1:?usage: fuzz/run-all.sh SECONDS [BUILD_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build-fuzz}" && pwd)
work=$(mktemp -d /tmp/tovanel-fuzz-XXXXXX)
status=0
printf '%-22s %10s %10s  %s\n' target runs runs/s result
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
    (cd "$dir" && nice -n 19 "$exe" -max_total_time="$seconds" -max_len=20000 \
        -print_final_stats=1 corpus >log.txt 2>&1)
    code=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log.txt" | tail -1)
    result="no fault"
    if [ $code -ne 0 ]; then
        result="FAULT (exit $code), see $dir"
        status=1
    fi
    printf '%-22s %10s %10s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "$result"
done
echo "logs and corpora: $work"
exit $status
